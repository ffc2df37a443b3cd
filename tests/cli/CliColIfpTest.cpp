// korvane-cli col and ifp, run as separate processes.
#include <gtest/gtest.h>

#include "CliRun.h"
#include "formats/col/CollisionWriter.h"
#include "formats/ifp/AnimationWriter.h"

using namespace korvane;

namespace {

// "first" (version 3): a sphere, four vertices, two faces, a one-face shadow
// mesh; "second" (version 1): three vertices and one face.
std::string TwoModels()
{
    TCollisionModelData a;
    a.Name = "first";
    a.ModelId = 7;
    a.Shape.Spheres = {{{0, 0, 0}, 1, 0}};
    a.Shape.Vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    a.Shape.Faces = {{0, 1, 2, 0, 0}, {0, 2, 3, 0, 0}};
    a.Shape.ShadowVertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    a.Shape.ShadowFaces = {{0, 1, 2, 0, 0}};
    TCollisionModelData b;
    b.Version = 1;
    b.Name = "second";
    b.ModelId = 65535;
    b.Shape.Vertices = {{0, 0, 0}, {1.5f, 0, 0}, {0, -2, 0}};
    b.Shape.Faces = {{0, 1, 2, 0, 0}};
    return CollisionModelBytes(a) + CollisionModelBytes(b);
}

}  // namespace

TEST(CliCol, ModelsTotalsJsonAndObj)
{
    TempDir dir;
    WriteBytes(dir.File("a.col"), TwoModels());
    const std::string lines = "first\t3\t7\t1\t0\t4\t2\t1\nsecond\t1\t65535\t0\t0\t3\t1\t0\n";
    const TRun text = Cli("col " + Quote(dir.File("a.col")));
    EXPECT_EQ(text.code, 0) << text.err;
    EXPECT_EQ(text.out, lines + "2 моделей, 3 граней\n");
    EXPECT_EQ(Cli("col " + Quote(dir.File("a.col")) + " --format tsv").out, lines);
    EXPECT_EQ(Cli("col " + Quote(dir.File("a.col")) + " --format json").out,
              "[\n {\"name\": \"first\", \"version\": 3, \"id\": 7, \"spheres\": 1, \"boxes\": 0, \"vertices\": 4, "
              "\"faces\": 2, \"shadow_faces\": 1},\n {\"name\": \"second\", \"version\": 1, \"id\": 65535, \"spheres\": 0, "
              "\"boxes\": 0, \"vertices\": 3, \"faces\": 1, \"shadow_faces\": 0}\n]\n");

    // An archive entry, its number after the archive.
    std::string archive = Ver2Bytes({{1, 1, "a.txt"}, {2, 1, "a.col"}}, 3 * 2048);
    archive.replace(2 * 2048, TwoModels().size(), TwoModels());
    WriteBytes(dir.File("a.img"), archive);
    EXPECT_EQ(Cli("col " + Quote(dir.File("a.img")) + " 1").out, lines + "2 моделей, 3 граней\n");

    // One model by name, a-z and A-Z alike; then both, the second's corners
    // counted on after the first's four vertices.
    EXPECT_EQ(Cli("col " + Quote(dir.File("a.col")) + " --obj " + Quote(dir.File("s.obj")) + " --model SECOND").code, 0);
    EXPECT_EQ(ReadBytes(dir.File("s.obj")), "o second\nv 0 0 0\nv 1.5 0 0\nv 0 -2 0\nf 1 2 3\n");
    EXPECT_EQ(Cli("col " + Quote(dir.File("a.col")) + " --obj " + Quote(dir.File("all.obj"))).code, 0);
    const std::string all = ReadBytes(dir.File("all.obj"));
    EXPECT_EQ(all.substr(0, all.find("v ")), "o first\n");
    EXPECT_NE(all.find("f 1 3 4\no second\n"), std::string::npos);
    EXPECT_NE(all.find("f 5 6 7\n"), std::string::npos);
    const TRun none = Cli("col " + Quote(dir.File("a.col")) + " --obj " + Quote(dir.File("n.obj")) + " --model third");
    EXPECT_EQ(none.code, 1);
    EXPECT_EQ(none.err, "korvane-cli: no collision model named 'third'\n");
    EXPECT_EQ(Cli("col " + Quote(dir.File("a.col")) + " --model first").code, 2);
}

TEST(CliCol, ADamagedModelIsNamedAfterTheModelsBeforeIt)
{
    TempDir dir;
    std::string bytes = TwoModels();
    bytes.resize(bytes.size() - 1);  // the second model's size now runs past the end
    WriteBytes(dir.File("cut.col"), bytes);
    const TRun r = Cli("col " + Quote(dir.File("cut.col")));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "first\t3\t7\t1\t0\t4\t2\t1\n");
    EXPECT_EQ(r.err, "korvane-cli: " + dir.File("cut.col") +
                         ": the collision model \"second\" (number 2) is damaged: it runs past the end of the file\n");
    WriteBytes(dir.File("no.col"), "COLX");
    EXPECT_EQ(Cli("col " + Quote(dir.File("no.col"))).err,
              "korvane-cli: " + dir.File("no.col") + ": the file holds no collision model\n");
}

TEST(CliIfp, AnimationsAndTheirBones)
{
    TempDir dir;
    const std::vector<TAnimationData> anims = {
        {"walk", {{"Root", 0, TKeyKind::kRotationTranslation, {0, 0.5f, 1.25f}}, {"Pelvis", 7, TKeyKind::kRotation, {0, 2}}}},
        {"idle", {}}};
    WriteBytes(dir.File("p.ifp"), AnimationPackageBytes("ANP3", "ped", anims));
    WriteBytes(dir.File("k.ifp"), AnimationPackageBytes("ANPK", "ped", anims));
    for (const char* name : {"p.ifp", "k.ifp"}) {
        const TRun r = Cli("ifp " + Quote(dir.File(name)));
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, "walk\t2\t5\t2.000\nidle\t0\t0\t0.000\n") << name;
    }
    EXPECT_EQ(Cli("ifp " + Quote(dir.File("k.ifp")) + " --format json").out,
              "[\n {\"name\": \"walk\", \"bones\": [\n  {\"name\": \"Root\", \"id\": -1, \"kind\": \"KRT0\", \"keys\": 3},\n"
              "  {\"name\": \"Pelvis\", \"id\": -1, \"kind\": \"KR00\", \"keys\": 2}\n ], \"keys\": 5, \"seconds\": 2.000},\n"
              " {\"name\": \"idle\", \"bones\": [], \"keys\": 0, \"seconds\": 0.000}\n]\n");
    std::string cut = AnimationPackageBytes("ANP3", "ped", anims);
    cut.resize(cut.size() - 1);
    const TRun r = Cli("ifp " + Quote(dir.File("p.ifp")) + " --format tsv");
    EXPECT_EQ(r.out, "walk\t2\t5\t2.000\nidle\t0\t0\t0.000\n");
    WriteBytes(dir.File("cut.ifp"), cut);
    const TRun damaged = Cli("ifp " + Quote(dir.File("cut.ifp")));
    EXPECT_EQ(damaged.code, 1);
    EXPECT_EQ(damaged.err,
              "korvane-cli: " + dir.File("cut.ifp") + ": the animation package is damaged: it runs past the end of the file\n");
}

TEST(CliColIfp, ADamagedModelOrAnimationNamesTheFileOrTheEntryFirst)
{
    TempDir dir;
    TCollisionModelData liar;
    liar.Version = 1;
    liar.Name = "liar";
    liar.Shape.Vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    liar.Shape.Faces = {{0, 1, 2, 0, 0}, {0, 1, 3, 0, 0}};  // vertex 3 is not there
    std::string ifp = AnimationPackageBytes("ANP3", "ped", {{"walk", {{"Root", 0, TKeyKind::kRotation, {0}}}}});
    ifp[60] = '\xFF';  // 4 + 4 + 24 + 4 + the animation's 24-byte name: its bone count, 255
    WriteBytes(dir.File("liar.col"), CollisionModelBytes(liar));
    WriteBytes(dir.File("bad.ifp"), ifp);
    std::string archive = Ver2Bytes({{1, 1, "a.txt"}, {2, 1, "liar.col"}, {3, 1, "bad.ifp"}}, 4 * 2048);
    archive.replace(2 * 2048, CollisionModelBytes(liar).size(), CollisionModelBytes(liar));
    archive.replace(3 * 2048, ifp.size(), ifp);
    WriteBytes(dir.File("a.img"), archive);
    const std::string col = "the collision model \"liar\" (number 1) is damaged: face 2 names a vertex it does not have\n",
                      anim = "the animation \"walk\" (number 1) is damaged: its 255 bones run past its end\n";
    const struct {
        std::string args, err;
    } rows[] = {
        {"col liar.col", dir.File("liar.col") + ": " + col},  // relative, named from the root
        {"col liar.col --lang en --format json", dir.File("liar.col") + ": " + col},
        {"col a.img 1 --lang ru", dir.File("a.img") + ": entry 1 (liar.col): " + col},
        {"ifp bad.ifp --lang ru", dir.File("bad.ifp") + ": " + anim},
        {"ifp a.img 2 --lang en", dir.File("a.img") + ": entry 2 (bad.ifp): " + anim},
    };
    for (const auto& row : rows) {
        const TRun r = Cli(row.args, "cd " + Quote(dir.Path()) + " &&");
        EXPECT_EQ(r.code, 1) << row.args;
        EXPECT_EQ(r.err, "korvane-cli: " + row.err) << row.args;
    }
}
