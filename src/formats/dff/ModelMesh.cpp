#include "formats/dff/ModelMesh.h"

#include <algorithm>
#include <cmath>

namespace korvane {

void AppendPartMesh(const TModelPart& part, const TColour& colour, std::vector<TMeshVertex>& out)
{
    const size_t v = part.Positions.size();
    const bool flat = !(part.Flags & gfNormals);
    const TVec3* pos = part.Positions.data();
    const TVec3* nrm = part.Normals.data();
    const TTexCoord* tex = part.TexCoords.data();
    const size_t start = out.size();
    out.resize(start + 3 * part.Triangles.size());
    TMeshVertex* o = out.data() + start;
    for (const TTriangle& t : part.Triangles) {
        if (t.A >= v || t.B >= v || t.C >= v) continue;
        const uint16_t idx[3] = {t.B, t.A, t.C};
        if (flat) {
            const TVec3 n = FlatNormal(pos[idx[0]], pos[idx[1]], pos[idx[2]]);
            for (uint16_t k : idx) *o++ = {tex[k], colour, n, pos[k]};
        } else {
            for (uint16_t k : idx) *o++ = {tex[k], colour, nrm[k], pos[k]};
        }
    }
    out.resize(size_t(o - out.data()));
}

std::vector<std::vector<TMeshVertex>> BuildModelMeshes(const std::vector<TModelPart>& parts, size_t meshed,
                                                       const std::vector<bool>& checked, int selected)
{
    std::vector<std::vector<TMeshVertex>> meshes(std::min(meshed, parts.size()));
    for (size_t i = 0; i < meshes.size(); ++i) {
        if (i >= checked.size() || !checked[i]) continue;
        AppendPartMesh(parts[i], int(i) == selected ? SelectedPartColour : PartColour, meshes[i]);
    }
    return meshes;
}

}  // namespace korvane
