#include "formats/dff/GltfExport.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <map>
#include <stdexcept>

#include "base/ByteOrder.h"
#include "base/FileIO.h"
#include "base/NameCodec.h"
#include "formats/picture/PngWriter.h"

namespace korvane {

static_assert(std::endian::native == std::endian::little, "glTF buffers are little-endian");

namespace {

using json = nlohmann::json;

enum : int {
    glFloat = 5126,
    glUnsignedInt = 5125,
    glArrayBuffer = 34962,
    glElementArrayBuffer = 34963,
};

// Material colours are sRGB bytes; glTF's colour factors are linear.
double Linear(uint8_t c)
{
    const double s = c / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
}

bool Finite(const TVec3& p) { return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z); }

// Normals must be unit vectors; a stored one that is zero or broken points up.
TVec3 UnitNormal(const TVec3& n)
{
    const double len = std::sqrt(double(n.X) * n.X + double(n.Y) * n.Y + double(n.Z) * n.Z);
    if (!(len > 0) || !std::isfinite(len)) return {0, 0, 1};
    return {float(n.X / len), float(n.Y / len), float(n.Z / len)};
}

// One primitive's vertices and corner indices.
struct TPrimitive {
    std::vector<TVec3> Positions, Normals;
    std::vector<TTexCoord> TexCoords;
    std::vector<uint32_t> Indices;
};

class TGlbBuilder {
public:
    json Doc = json::object();
    std::string Bin;

    // A buffer view over bytes appended at a 4-byte boundary.
    int View(const void* data, size_t size, int target)
    {
        Bin.resize((Bin.size() + 3) & ~size_t(3), '\0');
        json view = {{"buffer", 0}, {"byteOffset", Bin.size()}, {"byteLength", size}};
        if (target) view["target"] = target;
        Bin.append(static_cast<const char*>(data), size);
        return Push("bufferViews", std::move(view));
    }
    template <class T>
    int Accessor(const std::vector<T>& items, int componentType, const char* type, int target)
    {
        json a = {{"bufferView", View(items.data(), items.size() * sizeof(T), target)},
                  {"componentType", componentType},
                  {"count", items.size()},
                  {"type", type}};
        return Push("accessors", std::move(a));
    }
    int Positions(const std::vector<TVec3>& p)
    {
        const int a = Accessor(p, glFloat, "VEC3", glArrayBuffer);
        float lo[3] = {p[0].X, p[0].Y, p[0].Z}, hi[3] = {lo[0], lo[1], lo[2]};
        for (const TVec3& v : p) {
            const float c[3] = {v.X, v.Y, v.Z};
            for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], c[k]), hi[k] = std::max(hi[k], c[k]);
        }
        Doc["accessors"][size_t(a)]["min"] = lo;
        Doc["accessors"][size_t(a)]["max"] = hi;
        return a;
    }
    int Push(const char* array, json item)
    {
        json& list = Doc[array];
        list.push_back(std::move(item));
        return int(list.size() - 1);
    }
};

class TGltfWriter {
public:
    TGltfWriter(const TModelRead& model, const TModelTextures& textures, const TVehiclePaint& paint)
        : model_(model), textures_(textures), paint_(paint)
    {
    }

    // The glTF mesh of geometry g, made once; -1 when it has no triangle to draw.
    int Mesh(uint32_t g)
    {
        const auto known = meshes_.find(g);
        if (known != meshes_.end()) return known->second;
        json primitives = json::array();
        const TModelPart& part = model_.Parts[g];
        const size_t materials = part.Materials.size();
        for (size_t m = 0; m <= materials; ++m) {
            TPrimitive p = Primitive(part, m, materials);
            if (p.Indices.empty()) continue;
            json attributes = {{"POSITION", out_.Positions(p.Positions)},
                               {"NORMAL", out_.Accessor(p.Normals, glFloat, "VEC3", glArrayBuffer)}};
            if (part.TexCoordSets > 0)
                attributes["TEXCOORD_0"] = out_.Accessor(p.TexCoords, glFloat, "VEC2", glArrayBuffer);
            json prim = {{"attributes", std::move(attributes)},
                         {"indices", out_.Accessor(p.Indices, glUnsignedInt, "SCALAR", glElementArrayBuffer)}};
            if (m < materials) prim["material"] = Material(g, m);
            primitives.push_back(std::move(prim));
        }
        const int mesh = primitives.empty() ? -1 : out_.Push("meshes", json::object({{"primitives", std::move(primitives)}}));
        meshes_[g] = mesh;
        return mesh;
    }

    TGlbBuilder& Out() { return out_; }

private:
    // The triangles of material m (m = materials: those whose material is
    // missing). Stored normals share vertices; flat ones give each triangle
    // its own three, and a triangle without area (no normal) is left out.
    TPrimitive Primitive(const TModelPart& part, size_t m, size_t materials)
    {
        TPrimitive p;
        const size_t v = part.Positions.size();
        const bool flat = !(part.Flags & gfNormals);
        remap_.assign(flat ? 0 : v, UINT32_MAX);
        auto add = [&](uint16_t k, const TVec3& normal) {
            p.Positions.push_back(part.Positions[k]);
            p.Normals.push_back(normal);
            p.TexCoords.push_back(part.TexCoords[k]);
            return uint32_t(p.Positions.size() - 1);
        };
        for (const TTriangle& t : part.Triangles) {
            if (std::min<size_t>(t.Material, materials) != m || t.A >= v || t.B >= v || t.C >= v) continue;
            const uint16_t corners[3] = {t.B, t.A, t.C};
            const TVec3* pos = part.Positions.data();
            if (!Finite(pos[t.A]) || !Finite(pos[t.B]) || !Finite(pos[t.C])) continue;
            if (flat) {
                const TVec3 n = FlatNormal(pos[t.B], pos[t.A], pos[t.C]);
                if (n.X == 0 && n.Y == 0 && n.Z == 0) continue;
                for (uint16_t k : corners) p.Indices.push_back(add(k, n));
            } else {
                for (uint16_t k : corners) {
                    if (remap_[k] == UINT32_MAX) remap_[k] = add(k, UnitNormal(part.Normals[k]));
                    p.Indices.push_back(remap_[k]);
                }
            }
        }
        for (TTexCoord& uv : p.TexCoords)
            if (!std::isfinite(uv.U) || !std::isfinite(uv.V)) uv = {0, 0};
        return p;
    }

    int Material(uint32_t g, size_t m)
    {
        const auto key = std::make_pair(g, m);
        const auto known = materials_.find(key);
        if (known != materials_.end()) return known->second;
        const TMaterial& mat = model_.Parts[g].Materials[m];
        uint8_t c[4];
        PaintedColour(mat.Colour, paint_, c);
        json pbr = {{"baseColorFactor", {Linear(c[0]), Linear(c[1]), Linear(c[2]), c[3] / 255.0}},
                    {"metallicFactor", 0},
                    {"roughnessFactor", 1}};
        bool blend = c[3] < 255;
        const int32_t image = textures_.ImageOf(g, uint32_t(m));
        // A texture needs coordinates to be laid on.
        if (image >= 0 && model_.Parts[g].TexCoordSets > 0) {
            pbr["baseColorTexture"] = {{"index", Texture(image)}};
            blend = blend || textures_.Images[size_t(image)].HasAlpha;
        }
        json material = {{"pbrMetallicRoughness", std::move(pbr)}};
        if (mat.Textured && !mat.Texture.empty()) material["name"] = Cp1251ToUtf8(mat.Texture);
        if (blend) material["alphaMode"] = "BLEND";
        const int index = out_.Push("materials", std::move(material));
        materials_[key] = index;
        return index;
    }

    int Texture(int32_t image)
    {
        const auto known = textureOf_.find(image);
        if (known != textureOf_.end()) return known->second;
        if (!out_.Doc.contains("samplers"))
            out_.Push("samplers", {{"magFilter", 9729}, {"minFilter", 9987}, {"wrapS", 10497}, {"wrapT", 10497}});
        const TModelImage& img = textures_.Images[size_t(image)];
        const std::string png = EmbeddedPng(img);
        const int view = out_.View(png.data(), png.size(), 0);
        const int source =
            out_.Push("images", {{"name", Cp1251ToUtf8(img.Name)}, {"bufferView", view}, {"mimeType", "image/png"}});
        const int texture = out_.Push("textures", {{"sampler", 0}, {"source", source}});
        textureOf_[image] = texture;
        return texture;
    }

    const TModelRead& model_;
    const TModelTextures& textures_;
    const TVehiclePaint& paint_;
    TGlbBuilder out_;
    std::map<uint32_t, int> meshes_;
    std::map<std::pair<uint32_t, size_t>, int> materials_;
    std::map<int32_t, int> textureOf_;
    std::vector<uint32_t> remap_;
};

}  // namespace

std::string EmbeddedPng(const TModelImage& image)
{
    return PngBytes(image.Bgra.data(), image.Width, image.Height, image.HasAlpha ? TPngChannels::Rgba : TPngChannels::Rgb);
}

std::string GltfBytes(const TModelRead& model, const std::vector<TModelPlacement>& placements,
                      const std::vector<bool>& included, const TModelTextures& textures, const std::string& name,
                      const TVehiclePaint& paint)
{
    TGltfWriter writer(model, textures, paint);
    TGlbBuilder& out = writer.Out();
    json& doc = out.Doc;
    doc["asset"] = {{"version", "2.0"}, {"generator", "Korvane"}};
    const bool framed = std::any_of(placements.begin(), placements.end(), [](const TModelPlacement& p) { return p.Frame >= 0; });
    // Frame nodes first, then the root, then nodes for further meshes.
    json nodes = json::array();
    std::vector<std::vector<int>> children(framed ? model.Frames.size() + 1 : 1);
    const size_t root = children.size() - 1;
    if (framed) {
        for (size_t f = 0; f < model.Frames.size(); ++f) {
            const TFrame& frame = model.Frames[f];
            json node = json::object();
            if (!frame.Name.empty()) node["name"] = Cp1251ToUtf8(frame.Name);
            const TMatrix local = FrameMatrix(frame);
            if (!(local == TMatrix{})) node["matrix"] = local.M;
            nodes.push_back(std::move(node));
            children[frame.Parent < 0 ? root : size_t(frame.Parent)].push_back(int(f));
        }
    }
    // Z up to Y up: a quarter turn about X.
    nodes.push_back({{"name", Cp1251ToUtf8(name)}, {"rotation", {-std::sqrt(0.5), 0, 0, std::sqrt(0.5)}}});
    for (size_t i = 0; i < placements.size(); ++i) {
        if (i >= included.size() || !included[i]) continue;
        const TModelPlacement& p = placements[i];
        const int mesh = writer.Mesh(p.Geometry);
        if (mesh < 0) continue;
        if (framed && !p.Copies.empty()) {
            // A wheel: a node of its own under each dummy, a left one mirrored.
            for (const TPartCopy& c : p.Copies) {
                json node = {{"name", Cp1251ToUtf8(PlacementName(model, p))}, {"mesh", mesh}};
                if (c.Mirrored) node["scale"] = {-1, 1, 1};
                nodes.push_back(std::move(node));
                children[size_t(c.Frame)].push_back(int(nodes.size() - 1));
            }
            continue;
        }
        const size_t owner = framed ? size_t(p.Frame) : root;
        if (framed && !nodes[owner].contains("mesh")) {
            nodes[owner]["mesh"] = mesh;
            continue;
        }
        json node = {{"mesh", mesh}};
        const std::string partName = framed ? PlacementName(model, p) : "part_" + std::to_string(i + 1);
        if (!partName.empty()) node["name"] = Cp1251ToUtf8(partName);
        nodes.push_back(std::move(node));
        children[owner].push_back(int(nodes.size() - 1));
    }
    for (size_t n = 0; n < children.size(); ++n)
        if (!children[n].empty()) nodes[n]["children"] = children[n];
    doc["nodes"] = std::move(nodes);
    doc["scene"] = 0;
    doc["scenes"] = json::array({json::object({{"nodes", json::array({root})}})});

    std::string bin = std::move(out.Bin);
    bin.resize((bin.size() + 3) & ~size_t(3), '\0');
    if (!bin.empty()) doc["buffers"] = json::array({json::object({{"byteLength", bin.size()}})});
    std::string text = doc.dump();
    text.resize((text.size() + 3) & ~size_t(3), ' ');
    const uint64_t total = 12 + 8 + text.size() + (bin.empty() ? 0 : 8 + bin.size());
    if (total > UINT32_MAX) throw std::runtime_error("The model is too large for a glTF binary file");

    std::string glb;
    glb.reserve(size_t(total));
    glb += "glTF";
    AppendLE32(glb, 2);
    AppendLE32(glb, uint32_t(total));
    AppendLE32(glb, uint32_t(text.size()));
    glb += "JSON";
    glb += text;
    if (!bin.empty()) {
        AppendLE32(glb, uint32_t(bin.size()));
        glb.append("BIN\0", 4);
        glb += bin;
    }
    return glb;
}

void WriteGltfFile(const std::string& path, const std::string& bytes)
{
    TFile file = TFile::Create(path);
    file.Write(bytes.data(), bytes.size());
    file.Close();
}

}  // namespace korvane
