#include "demo/RenderWareWriter.h"

#include "base/ByteOrder.h"
#include "formats/txd/TextureDictionaryWriter.h"
#include "rw/SectionIds.h"
#include "rw/SectionWriter.h"

namespace korvane {

namespace {

constexpr uint32_t Stamp = 0x1803FFFF;  // library 3.6, as the last games wrote

std::string Section(uint32_t id, const std::string& body) { return SectionBytes(id, Stamp, body); }
std::string Struct(const std::string& body) { return Section(rwStruct, body); }
std::string Extension() { return Section(rwExtension, {}); }
std::string Geometry(const TDemoPart& part)
{
    const TDemoMesh& m = part.Mesh;
    const uint32_t v = uint32_t(m.Positions.size() / 3), t = uint32_t(m.Triangles.size() / 3);
    const bool normals = !m.Normals.empty();
    std::string s;
    // positions, one texture-coordinate set, lit, material colour; normals when present
    AppendLE16(s, uint16_t(0x02 | 0x04 | 0x20 | 0x40 | (normals ? 0x10 : 0)));
    s += char(1);
    s += char(0);
    AppendLE32(s, t);
    AppendLE32(s, v);
    AppendLE32(s, 1);  // one morph target
    for (float f : m.TexCoords) AppendLEFloat(s, f);
    // Stored as second vertex, first vertex, material, third vertex.
    for (uint32_t i = 0; i < t; ++i) {
        AppendLE16(s, m.Triangles[3 * i + 1]);
        AppendLE16(s, m.Triangles[3 * i]);
        AppendLE16(s, 0);
        AppendLE16(s, m.Triangles[3 * i + 2]);
    }
    AppendLEFloat(s, 0), AppendLEFloat(s, 0), AppendLEFloat(s, 0), AppendLEFloat(s, m.Radius);
    AppendLE32(s, 1);
    AppendLE32(s, normals ? 1 : 0);
    for (float f : m.Positions) AppendLEFloat(s, f);
    for (float f : m.Normals) AppendLEFloat(s, f);

    std::string material;
    AppendLE32(material, 0);           // flags
    material.append(reinterpret_cast<const char*>(part.Colour), 4);
    AppendLE32(material, 0);
    AppendLE32(material, part.Texture.empty() ? 0 : 1);
    AppendLEFloat(material, 1), AppendLEFloat(material, 1), AppendLEFloat(material, 1);
    std::string texture;
    if (!part.Texture.empty()) {
        std::string filtering;
        AppendLE32(filtering, 0x1106);  // linear, wrapped
        std::string name = part.Texture + '\0';
        name.resize((name.size() + 3) / 4 * 4, '\0');
        texture = Section(rwTexture, Struct(filtering) + Section(rwString, name) + Section(rwString, std::string(4, '\0')) + Extension());
    }
    std::string materialListStruct;
    AppendLE32(materialListStruct, 1);
    AppendLE32(materialListStruct, 0xFFFFFFFF);
    const std::string materials =
        Section(rwMaterialList, Struct(materialListStruct) + Section(rwMaterial, Struct(material) + texture + Extension()));
    return Section(rwGeometry, Struct(s) + materials + Extension());
}

}  // namespace

std::string DemoDictionaryBytes(const std::vector<TDemoTexture>& textures)
{
    TTextureDictionaryParts parts;
    parts.Version = parts.StructVersion = Stamp;
    parts.StructTail = std::string("\x01\x00", 2);  // device id: Direct3D 8, so the textures are platform 8
    parts.After = Extension();
    for (const TDemoTexture& t : textures) AddTexture(parts, t.Image, t.Name, t.Name, t.Encoding, t.MaskName);
    return JoinDictionary(parts);
}

std::string DemoModelBytes(const std::vector<TDemoMesh>& parts)
{
    std::vector<TDemoPart> onRoot;
    for (const TDemoMesh& m : parts) onRoot.push_back({m});
    return DemoModelBytes({TDemoFrame{}}, onRoot);
}

std::string DemoModelBytes(const std::vector<TDemoFrame>& frames, const std::vector<TDemoPart>& parts)
{
    const uint32_t n = uint32_t(parts.size());
    std::string clumpStruct;
    AppendLE32(clumpStruct, n);  // atomics
    AppendLE32(clumpStruct, 0);  // lights
    AppendLE32(clumpStruct, 0);  // cameras

    std::string frameStruct, names;
    AppendLE32(frameStruct, uint32_t(frames.size()));
    for (const TDemoFrame& f : frames) {
        for (float v : f.Rotation) AppendLEFloat(frameStruct, v);
        for (float v : f.Position) AppendLEFloat(frameStruct, v);
        AppendLE32(frameStruct, uint32_t(f.Parent));
        AppendLE32(frameStruct, 0);
        names += Section(rwExtension, f.Name.empty() ? std::string() : Section(rwFrameName, f.Name));
    }
    const std::string frameList = Section(rwFrameList, Struct(frameStruct) + names);

    std::string geometries;
    AppendLE32(geometries, n);
    std::string list = Struct(geometries);
    for (const TDemoPart& p : parts) list += Geometry(p);

    std::string atomics;
    for (uint32_t i = 0; i < n; ++i) {
        std::string a;
        AppendLE32(a, parts[i].Frame);
        AppendLE32(a, i);  // geometry
        AppendLE32(a, 5);  // collision test + render
        AppendLE32(a, 0);
        atomics += Section(rwAtomic, Struct(a) + Extension());
    }
    return Section(rwClump, Struct(clumpStruct) + frameList + Section(rwGeometryList, list) + atomics + Extension());
}

std::string DemoPlacementBytes(const std::vector<TDemoInstance>& instances, const std::vector<TDemoParkedCar>& cars)
{
    const uint32_t instOffset = 76, carOffset = instOffset + 40 * uint32_t(instances.size());
    std::string out = "bnry";
    AppendLE32(out, uint32_t(instances.size()));
    AppendLE32(out, 0), AppendLE32(out, 0), AppendLE32(out, 0);  // zones, culls, pick-ups: none
    AppendLE32(out, uint32_t(cars.size()));
    AppendLE32(out, 0);
    AppendLE32(out, instOffset);
    for (int k = 0; k < 7; ++k) AppendLE32(out, 0);
    AppendLE32(out, carOffset);
    for (int k = 0; k < 3; ++k) AppendLE32(out, 0);
    for (const TDemoInstance& i : instances) {
        for (float f : i.Position) AppendLEFloat(out, f);
        for (float f : i.Rotation) AppendLEFloat(out, f);
        AppendLE32(out, uint32_t(i.Id));
        AppendLE32(out, uint32_t(i.Interior));
        AppendLE32(out, uint32_t(i.Lod));
    }
    for (const TDemoParkedCar& c : cars) {
        for (float f : c.Position) AppendLEFloat(out, f);
        AppendLEFloat(out, c.Angle);
        for (int32_t v : c.Values) AppendLE32(out, uint32_t(v));
    }
    return out;
}

}  // namespace korvane
