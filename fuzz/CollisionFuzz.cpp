// libFuzzer target: the bytes are read as a collision file, and every model
// read is decoded, meshed and written as OBJ text would be.
// Any input must end in models or in a clear error, never a crash, a hang or
// an allocation the file's length cannot justify.
#include <cstdint>

#include "formats/col/CollisionMesh.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const TByteSpan bytes(data, size);
    std::vector<TCollisionModel> models;
    try {
        ReadCollisionFile(bytes, models);
    } catch (const ECollisionError&) {
    }
    for (const TCollisionModel& m : models) {
        // Every array the index names lies inside its model.
        if (m.At >= m.End || m.End > size) __builtin_trap();
        const TCollisionShape s = DecodeCollisionModel(bytes, m);
        for (const TCollisionFace& f : s.Faces)
            if (f.A >= s.Vertices.size() || f.B >= s.Vertices.size() || f.C >= s.Vertices.size()) __builtin_trap();
        for (const TCollisionFace& f : s.ShadowFaces)
            if (f.A >= s.ShadowVertices.size() || f.B >= s.ShadowVertices.size() || f.C >= s.ShadowVertices.size())
                __builtin_trap();
        const TCollisionMesh mesh = BuildCollisionMesh(s, true);
        if (mesh.Faces.size() != 3 * (s.Faces.size() + s.ShadowFaces.size())) __builtin_trap();
    }
    return 0;
}
