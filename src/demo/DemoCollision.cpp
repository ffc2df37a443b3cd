#include "demo/DemoCollision.h"

#include "demo/DemoModels.h"
#include "formats/col/CollisionWriter.h"
#include "formats/ifp/AnimationWriter.h"

namespace korvane {

namespace {

// Appends a demo mesh's triangles as faces of one material.
void AddFaces(TCollisionShape& s, const TDemoMesh& mesh, uint8_t material)
{
    const uint32_t base = uint32_t(s.Vertices.size());
    for (size_t i = 0; i + 2 < mesh.Positions.size(); i += 3)
        s.Vertices.push_back({mesh.Positions[i], mesh.Positions[i + 1], mesh.Positions[i + 2]});
    for (size_t t = 0; t + 2 < mesh.Triangles.size(); t += 3)
        s.Faces.push_back({base + mesh.Triangles[t], base + mesh.Triangles[t + 1], base + mesh.Triangles[t + 2], material, 0});
}

TCollisionModelData Lamp()
{
    TCollisionModelData m;
    m.Version = 3;
    m.Name = "lamp";
    m.ModelId = 1200;
    m.Min = {-1, -1, 0};
    m.Max = {1, 1, 3.6f};
    m.Centre = {0, 0, 1.8f};
    m.Radius = 2.1f;
    AddFaces(m.Shape, DemoBox(-0.6f, -0.6f, 0, 0.6f, 0.6f, 0.3f), 4);
    AddFaces(m.Shape, DemoCylinder(0.15f, 0.3f, 3.0f, 12), 9);
    AddFaces(m.Shape, DemoBox(-0.25f, -0.25f, 3.0f, 0.25f, 0.25f, 3.1f), 13);
    m.Shape.Spheres.push_back({{0, 0, 3.25f}, 0.35f, 13});
    m.Shape.Boxes.push_back({{-1, -1, 0}, {1, 1, 0.3f}, 4});
    m.Shape.ShadowVertices = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    m.Shape.ShadowFaces = {{0, 1, 2, 4, 0}, {0, 2, 3, 4, 0}};
    return m;
}

TCollisionModelData Crate()
{
    TCollisionModelData m;
    m.Version = 1;
    m.Name = "crate";
    m.ModelId = 1221;
    m.Min = {-0.5f, -0.5f, 0};
    m.Max = {0.5f, 0.5f, 1};
    m.Centre = {0, 0, 0.5f};
    m.Radius = 0.87f;
    AddFaces(m.Shape, DemoBox(-0.5f, -0.5f, 0, 0.5f, 0.5f, 1), 9);
    return m;
}

TCollisionModelData Barrier()
{
    TCollisionModelData m;
    m.Version = 2;
    m.Name = "barrier";
    m.ModelId = 1228;
    m.Min = {-1.5f, -0.2f, 0};
    m.Max = {1.5f, 0.2f, 1};
    m.Centre = {0, 0, 0.5f};
    m.Radius = 1.6f;
    m.Shape.Boxes = {{{-1.5f, -0.2f, 0.6f}, {1.5f, 0.2f, 0.9f}, 1}, {{-1.4f, -0.1f, 0}, {-1.2f, 0.1f, 0.6f}, 1},
                     {{1.2f, -0.1f, 0}, {1.4f, 0.1f, 0.6f}, 1}};
    m.Shape.Spheres = {{{-1.3f, 0, 0.95f}, 0.1f, 2}, {{1.3f, 0, 0.95f}, 0.1f, 2}};
    return m;
}

}  // namespace

std::string DemoCollisionFile()
{
    return CollisionModelBytes(Lamp()) + CollisionModelBytes(Crate()) + CollisionModelBytes(Barrier());
}

std::string DemoAnimationPackage()
{
    auto bone = [](const char* name, int32_t id, TKeyKind kind, float seconds, int keys) {
        TAnimationBoneData b{name, id, kind, {}};
        for (int k = 0; k < keys; ++k) b.Times.push_back(seconds * float(k) / float(keys - 1));
        return b;
    };
    const std::vector<TAnimationData> animations = {
        {"walk_start",
         {bone("Root", 0, TKeyKind::kRotationTranslation, 0.5f, 4), bone("Pelvis", 1, TKeyKind::kRotation, 0.5f, 4),
          bone("Spine", 2, TKeyKind::kRotation, 0.5f, 2)}},
        {"walk_loop",
         {bone("Root", 0, TKeyKind::kRotationTranslation, 1.0f, 7), bone("Pelvis", 1, TKeyKind::kRotation, 1.0f, 7),
          bone("L Thigh", 41, TKeyKind::kRotation, 1.0f, 5), bone("R Thigh", 51, TKeyKind::kRotation, 1.0f, 5)}},
    };
    return AnimationPackageBytes("ANP3", "walk", animations);
}

}  // namespace korvane
