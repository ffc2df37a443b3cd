#include "demo/RenderWareWriter.h"

#include <cstring>

namespace korvane {

namespace {

constexpr uint32_t Stamp = 0x1803FFFF;  // library 3.6, as the last games wrote

void U32(std::string& out, uint32_t v)
{
    for (int k = 0; k < 4; ++k) out += char(v >> (8 * k) & 0xFF);
}
void U16(std::string& out, uint16_t v)
{
    out += char(v & 0xFF);
    out += char(v >> 8);
}
void F32(std::string& out, float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    U32(out, v);
}
std::string Section(uint32_t id, const std::string& body)
{
    std::string out;
    U32(out, id);
    U32(out, uint32_t(body.size()));
    U32(out, Stamp);
    return out + body;
}
std::string Struct(const std::string& body) { return Section(0x01, body); }
std::string Extension() { return Section(0x03, {}); }
std::string FixedName(const std::string& name)
{
    std::string out = name.substr(0, 32);
    out.resize(32, '\0');
    return out;
}

std::string TextureNative(const TDemoTexture& t)
{
    std::string data;
    uint32_t rasterFormat = 0, depth = 32, compression = 0;
    switch (t.Encoding) {
    case TDemoEncoding::Dxt1:
        data = EncodeDxt1(t.Image), rasterFormat = 0x0200, depth = 16, compression = 1;
        break;
    case TDemoEncoding::Dxt3:
        data = EncodeDxt3(t.Image), rasterFormat = 0x0300, depth = 16, compression = 3;
        break;
    case TDemoEncoding::Bgra32:
        data.assign(t.Image.Pixels.begin(), t.Image.Pixels.end()), rasterFormat = 0x0500;
        break;
    }
    const bool alpha = t.Encoding != TDemoEncoding::Dxt1;
    std::string h;
    U32(h, 8);           // platform: Direct3D 8
    U32(h, 0x1106);      // filtering and addressing
    h += FixedName(t.Name);
    h += FixedName(t.MaskName);
    U32(h, rasterFormat);
    U32(h, alpha ? 1 : 0);
    U16(h, uint16_t(t.Image.Width));
    U16(h, uint16_t(t.Image.Height));
    h += char(depth);
    h += char(1);        // one image level
    h += char(4);        // texture raster
    h += char(compression);
    U32(h, uint32_t(data.size()));
    return Section(0x15, Struct(h + data) + Extension());
}

std::string Geometry(const TDemoPart& part)
{
    const TDemoMesh& m = part.Mesh;
    const uint32_t v = uint32_t(m.Positions.size() / 3), t = uint32_t(m.Triangles.size() / 3);
    const bool normals = !m.Normals.empty();
    std::string s;
    // positions, one texture-coordinate set, lit, material colour; normals when present
    U16(s, uint16_t(0x02 | 0x04 | 0x20 | 0x40 | (normals ? 0x10 : 0)));
    s += char(1);
    s += char(0);
    U32(s, t);
    U32(s, v);
    U32(s, 1);  // one morph target
    for (float f : m.TexCoords) F32(s, f);
    // Stored as second vertex, first vertex, material, third vertex.
    for (uint32_t i = 0; i < t; ++i) {
        U16(s, m.Triangles[3 * i + 1]);
        U16(s, m.Triangles[3 * i]);
        U16(s, 0);
        U16(s, m.Triangles[3 * i + 2]);
    }
    F32(s, 0), F32(s, 0), F32(s, 0), F32(s, m.Radius);
    U32(s, 1);
    U32(s, normals ? 1 : 0);
    for (float f : m.Positions) F32(s, f);
    for (float f : m.Normals) F32(s, f);

    std::string material;
    U32(material, 0);           // flags
    material.append(reinterpret_cast<const char*>(part.Colour), 4);
    U32(material, 0);
    U32(material, part.Texture.empty() ? 0 : 1);
    F32(material, 1), F32(material, 1), F32(material, 1);
    std::string texture;
    if (!part.Texture.empty()) {
        std::string filtering;
        U32(filtering, 0x1106);  // linear, wrapped
        std::string name = part.Texture + '\0';
        name.resize((name.size() + 3) / 4 * 4, '\0');
        texture = Section(0x06, Struct(filtering) + Section(0x02, name) + Section(0x02, std::string(4, '\0')) + Extension());
    }
    std::string materialListStruct;
    U32(materialListStruct, 1);
    U32(materialListStruct, 0xFFFFFFFF);
    const std::string materials =
        Section(0x08, Struct(materialListStruct) + Section(0x07, Struct(material) + texture + Extension()));
    return Section(0x0F, Struct(s) + materials + Extension());
}

}  // namespace

std::string DemoDictionaryBytes(const std::vector<TDemoTexture>& textures)
{
    std::string head;
    U16(head, uint16_t(textures.size()));
    U16(head, 0);
    std::string body = Struct(head);
    for (const TDemoTexture& t : textures) body += TextureNative(t);
    return Section(0x16, body + Extension());
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
    U32(clumpStruct, n);  // atomics
    U32(clumpStruct, 0);  // lights
    U32(clumpStruct, 0);  // cameras

    std::string frameStruct, names;
    U32(frameStruct, uint32_t(frames.size()));
    for (const TDemoFrame& f : frames) {
        for (float v : f.Rotation) F32(frameStruct, v);
        for (float v : f.Position) F32(frameStruct, v);
        U32(frameStruct, uint32_t(f.Parent));
        U32(frameStruct, 0);
        names += Section(0x03, f.Name.empty() ? std::string() : Section(0x0253F2FE, f.Name));
    }
    const std::string frameList = Section(0x0E, Struct(frameStruct) + names);

    std::string geometries;
    U32(geometries, n);
    std::string list = Struct(geometries);
    for (const TDemoPart& p : parts) list += Geometry(p);

    std::string atomics;
    for (uint32_t i = 0; i < n; ++i) {
        std::string a;
        U32(a, parts[i].Frame);
        U32(a, i);  // geometry
        U32(a, 5);  // collision test + render
        U32(a, 0);
        atomics += Section(0x14, Struct(a) + Extension());
    }
    return Section(0x10, Struct(clumpStruct) + frameList + Section(0x1A, list) + atomics + Extension());
}

std::string DemoPlacementBytes(const std::vector<TDemoInstance>& instances, const std::vector<TDemoParkedCar>& cars)
{
    const uint32_t instOffset = 76, carOffset = instOffset + 40 * uint32_t(instances.size());
    std::string out = "bnry";
    U32(out, uint32_t(instances.size()));
    U32(out, 0), U32(out, 0), U32(out, 0);  // zones, culls, pick-ups: none
    U32(out, uint32_t(cars.size()));
    U32(out, 0);
    U32(out, instOffset);
    for (int k = 0; k < 7; ++k) U32(out, 0);
    U32(out, carOffset);
    for (int k = 0; k < 3; ++k) U32(out, 0);
    for (const TDemoInstance& i : instances) {
        for (float f : i.Position) F32(out, f);
        for (float f : i.Rotation) F32(out, f);
        U32(out, uint32_t(i.Id));
        U32(out, uint32_t(i.Interior));
        U32(out, uint32_t(i.Lod));
    }
    for (const TDemoParkedCar& c : cars) {
        for (float f : c.Position) F32(out, f);
        F32(out, c.Angle);
        for (int32_t v : c.Values) U32(out, uint32_t(v));
    }
    return out;
}

}  // namespace korvane
