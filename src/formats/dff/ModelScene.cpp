#include "formats/dff/ModelScene.h"

#include <algorithm>
#include <cmath>

namespace korvane {

namespace {

// World matrices of all frames, each parent's before its children's.
std::vector<TMatrix> WorldMatrices(const std::vector<TFrame>& frames)
{
    const size_t n = frames.size();
    std::vector<TMatrix> world(n);
    std::vector<bool> done(n, false);
    std::vector<size_t> path;
    for (size_t i = 0; i < n; ++i) {
        // Up to the first frame already placed (or a root), then back down.
        // The bound keeps a looping hierarchy (refused when read) from hanging.
        for (size_t k = i; !done[k] && path.size() <= n;) {
            path.push_back(k);
            const int32_t parent = frames[k].Parent;
            if (parent < 0 || size_t(parent) >= n) break;
            k = size_t(parent);
        }
        for (; !path.empty(); path.pop_back()) {
            const size_t j = path.back();
            const int32_t parent = frames[j].Parent;
            const TMatrix local = FrameMatrix(frames[j]);
            world[j] = parent < 0 || size_t(parent) >= n ? local : world[size_t(parent)] * local;
            done[j] = true;
        }
    }
    return world;
}

bool EndsWithNoCase(const std::string& s, const char* tail)
{
    const size_t n = std::char_traits<char>::length(tail);
    if (s.size() < n) return false;
    for (size_t i = 0; i < n; ++i) {
        char c = s[s.size() - n + i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != tail[i]) return false;
    }
    return true;
}

}  // namespace

TMatrix FrameMatrix(const TFrame& f)
{
    const float* r = f.Rotation;
    return {{r[0], r[1], r[2], 0, r[3], r[4], r[5], 0, r[6], r[7], r[8], 0, f.Position.X, f.Position.Y,
             f.Position.Z, 1}};
}

std::vector<TModelPlacement> AssembleModel(const TModelRead& model)
{
    std::vector<TModelPlacement> out;
    if (model.Frames.empty() || model.Atomics.empty()) {
        for (size_t i = 0; i < model.Parts.size(); ++i) out.push_back({uint32_t(i), -1, TMatrix{}, {}});
        return out;
    }
    const std::vector<TMatrix> world = WorldMatrices(model.Frames);
    for (const TAtomic& a : model.Atomics)
        if (a.Geometry < model.Parts.size() && a.Frame < world.size())
            out.push_back({a.Geometry, int32_t(a.Frame), world[a.Frame], {}});
    // The game draws the wheel part at every wheel dummy, the left ones
    // mirrored so that their outer face points out.
    // Only the first frame of each dummy name counts, as the game finds a
    // frame by its name: at most six copies, however many frames repeat one.
    std::vector<TPartCopy> wheels;
    std::vector<std::string> seen;
    for (size_t f = 0; f < model.Frames.size(); ++f) {
        const int side = WheelDummySide(model.Frames[f].Name);
        if (side == 0) continue;
        std::string name = model.Frames[f].Name;
        for (char& ch : name) ch = ch >= 'A' && ch <= 'Z' ? char(ch - 'A' + 'a') : ch;
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) continue;
        seen.push_back(std::move(name));
        TPartCopy c{int32_t(f), world[f], side < 0};
        if (c.Mirrored)
            for (int k = 0; k < 3; ++k) c.World.M[k] = -c.World.M[k];  // times diag(-1, 1, 1)
        wheels.push_back(c);
    }
    if (!wheels.empty())
        for (TModelPlacement& p : out)
            if (IsWheelFrame(PlacementName(model, p))) p.Copies = wheels;
    return out;
}

std::vector<TPartCopy> DrawnAt(const TModelPlacement& p)
{
    if (!p.Copies.empty()) return p.Copies;
    return {{p.Frame, p.World, false}};
}

std::string PlacementName(const TModelRead& model, const TModelPlacement& p)
{
    if (p.Frame < 0 || size_t(p.Frame) >= model.Frames.size()) return {};
    return model.Frames[size_t(p.Frame)].Name;
}

bool HiddenAtFirst(const std::string& frameName)
{
    return EndsWithNoCase(frameName, "_dam") || EndsWithNoCase(frameName, "_vlo");
}

float AssembledRadius(const TModelRead& model, const std::vector<TModelPlacement>& placements)
{
    float radius = 0;
    for (const TModelPlacement& p : placements) {
        const TModelPart& part = model.Parts[p.Geometry];
        for (const TPartCopy& c : DrawnAt(p)) {
            const float* m = c.World.M;
            const float scale =
                std::max({Length({m[0], m[1], m[2]}), Length({m[4], m[5], m[6]}), Length({m[8], m[9], m[10]})});
            const float r = Length(TransformPoint(c.World, part.Centre)) + part.Radius * scale;
            if (r > radius) radius = r;  // NaN never is
        }
    }
    return radius;
}

std::vector<TSceneMesh> BuildSceneMeshes(const TModelRead& model, const std::vector<TModelPlacement>& placements,
                                         const TModelTextures& textures, const std::vector<bool>& checked,
                                         int selected, const TVehiclePaint& paint)
{
    std::vector<TSceneMesh> meshes(placements.size());
    std::vector<TVec3> pos, nrm;
    std::vector<uint32_t> start, order;
    for (size_t i = 0; i < placements.size(); ++i) {
        if (i >= checked.size() || !checked[i]) continue;
        const TModelPlacement& pl = placements[i];
        const TModelPart& part = model.Parts[pl.Geometry];
        const size_t v = part.Positions.size();
        // Triangles grouped by material (a counting sort); the selected part
        // is one group in stored order. Group `m` of m materials takes the
        // triangles whose material is missing.
        const bool red = int(i) == selected;
        const size_t groups = red ? 1 : part.Materials.size() + 1;
        start.assign(groups + 1, 0);
        auto groupOf = [&](const TTriangle& t) { return red ? 0 : std::min<size_t>(t.Material, groups - 1); };
        for (const TTriangle& t : part.Triangles) ++start[groupOf(t) + 1];
        for (size_t g = 0; g < groups; ++g) start[g + 1] += start[g];
        order.resize(part.Triangles.size());
        {
            std::vector<uint32_t> next(start.begin(), start.end() - 1);
            for (size_t t = 0; t < part.Triangles.size(); ++t) order[next[groupOf(part.Triangles[t])]++] = uint32_t(t);
        }
        // Every copy's vertices in world space, copy after copy; a batch then
        // holds a material's triangles at every copy, one draw for them all.
        const std::vector<TPartCopy> copies = DrawnAt(pl);
        pos.resize(v * copies.size());
        nrm.resize(v * copies.size());
        for (size_t c = 0; c < copies.size(); ++c)
            for (size_t k = 0; k < v; ++k) {
                pos[c * v + k] = TransformPoint(copies[c].World, part.Positions[k]);
                nrm[c * v + k] = TransformNormal(copies[c].World, part.Normals[k]);
            }
        TSceneMesh& mesh = meshes[i];
        mesh.Vertices.reserve(3 * part.Triangles.size() * copies.size());
        const bool flat = !(part.Flags & gfNormals);
        for (size_t g = 0; g < groups; ++g) {
            if (start[g] == start[g + 1]) continue;
            TColour colour = red ? SelectedPartColour : PartColour;
            TMeshBatch batch;
            batch.First = uint32_t(mesh.Vertices.size());
            if (!red && g < part.Materials.size()) {
                uint8_t c[4];
                PaintedColour(part.Materials[g].Colour, paint, c);
                colour = {c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f, c[3] / 255.0f};
                batch.Texture = textures.ImageOf(pl.Geometry, uint32_t(g));
                batch.Blend = c[3] < 255 || (batch.Texture >= 0 && textures.Images[size_t(batch.Texture)].HasAlpha);
            }
            for (size_t c = 0; c < copies.size(); ++c) {
                const TVec3* cp = pos.data() + c * v;
                const TVec3* cn = nrm.data() + c * v;
                for (uint32_t k = start[g]; k < start[g + 1]; ++k) {
                    const TTriangle& t = part.Triangles[order[k]];
                    if (t.A >= v || t.B >= v || t.C >= v) continue;
                    // A mirror turns the corners the other way round on screen.
                    const bool mirrored = copies[c].Mirrored;
                    const uint16_t idx[3] = {t.B, mirrored ? t.C : t.A, mirrored ? t.A : t.C};
                    const TVec3 flatNormal = flat ? FlatNormal(cp[idx[0]], cp[idx[1]], cp[idx[2]]) : TVec3{};
                    for (uint16_t x : idx)
                        mesh.Vertices.push_back({part.TexCoords[x], colour, flat ? flatNormal : cn[x], cp[x]});
                }
            }
            batch.Count = uint32_t(mesh.Vertices.size()) - batch.First;
            if (batch.Count) mesh.Batches.push_back(batch);
        }
    }
    return meshes;
}

}  // namespace korvane
