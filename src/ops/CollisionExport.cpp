#include "ops/CollisionExport.h"

#include "base/NameCodec.h"
#include "ops/ObjText.h"

namespace korvane::ops {

void ExportCollisionObj(TByteSpan bytes, const std::vector<TCollisionModel>& models, const std::string& path)
{
    TObjText obj(path);
    uint64_t base = 1;  // OBJ counts vertices from 1 over the whole file
    for (const TCollisionModel& m : models) {
        const TCollisionShape shape = DecodeCollisionModel(bytes, m);
        obj.Line("o " + Cp1251ToUtf8(m.Name()));
        for (const TVec3& v : shape.Vertices) obj.Triple("v", v.X, v.Y, v.Z);
        for (const TCollisionFace& f : shape.Faces)
            obj.Line("f " + std::to_string(base + f.A) + " " + std::to_string(base + f.B) + " " + std::to_string(base + f.C));
        base += shape.Vertices.size();
    }
    obj.Close();
}

}  // namespace korvane::ops
