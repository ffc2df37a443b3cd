// RenderWare texture dictionaries and models, and binary placement files,
// written for the demo archives in the layouts the other game tools expect.
// Dictionaries go through the formats' own writer; models and placement
// files are written here, as the formats only read those (the tests' writers
// in tests/support build theirs byte by byte for the same reason).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "demo/DemoModels.h"
#include "demo/DemoPictures.h"
#include "formats/txd/TextureNative.h"

namespace korvane {

struct TDemoTexture {
    std::string Name;      // at most 31 characters
    std::string MaskName;  // at most 31 characters
    TTextureEncoding Encoding = TTextureEncoding::Bgra32;  // Dxt1, Dxt3, Dxt5 or Bgra32
    TTextureBitmap Image;
};

// A dictionary of native Direct3D 8 textures, one image level each, written
// by the dictionary writer the texture round trip uses.
std::string DemoDictionaryBytes(const std::vector<TDemoTexture>& textures);

// A clump of one frame and one atomic per geometry. Parts with normals carry
// the normals flag; every part carries one texture-coordinate set.
std::string DemoModelBytes(const std::vector<TDemoMesh>& parts);

// A frame: rotation rows right, up, at; position in the parent's space; the
// parent (-1: the root); a name (none when empty).
struct TDemoFrame {
    float Rotation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    float Position[3] = {0, 0, 0};
    int32_t Parent = -1;
    std::string Name;
};
// A part: its mesh on a frame, in one material of a colour and, when
// `Texture` is not empty, that texture.
struct TDemoPart {
    TDemoMesh Mesh;
    uint32_t Frame = 0;
    std::string Texture;
    uint8_t Colour[4] = {0xC0, 0xC0, 0xC0, 0xFF};
};
// A clump of the frames and one atomic per part.
std::string DemoModelBytes(const std::vector<TDemoFrame>& frames, const std::vector<TDemoPart>& parts);

struct TDemoInstance {
    float Position[3];
    float Rotation[4];
    int32_t Id;
    int32_t Interior;
    int32_t Lod;
};
struct TDemoParkedCar {
    float Position[3];
    float Angle;
    int32_t Values[8];  // model, colours, flags…
};
// "bnry" header, the instances, then the parked cars.
std::string DemoPlacementBytes(const std::vector<TDemoInstance>& instances, const std::vector<TDemoParkedCar>& cars);

}  // namespace korvane
