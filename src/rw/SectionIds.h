// The RenderWare section ids the readers and writers of dictionaries and
// models use. Nothing outside src/rw/ names a section by its number.
#pragma once

#include <cstdint>

namespace korvane {

enum TSectionId : uint32_t {
    rwStruct = 0x01,
    rwString = 0x02,
    rwExtension = 0x03,
    rwTexture = 0x06,
    rwMaterial = 0x07,
    rwMaterialList = 0x08,
    rwFrameList = 0x0E,
    rwGeometry = 0x0F,
    rwClump = 0x10,
    rwAtomic = 0x14,
    rwTextureNative = 0x15,
    rwTextureDictionary = 0x16,
    rwGeometryList = 0x1A,
    // Plugin extensions.
    rwFrameName = 0x0253F2FE,
};

}  // namespace korvane
