// korvane-cli dff, run as a separate process.
#include <gtest/gtest.h>

#include "CliRun.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "base/FileIO.h"
#include "support/ArchiveWriters.h"
#include "support/DictionaryWriters.h"
#include "support/GltfCheck.h"
#include "support/ModelWriters.h"
#include "support/PngRead.h"
#include "support/TempDir.h"

namespace {


std::string TwoParts()
{
    TRwGeometry a = QuadGeometry(1, true), b = QuadGeometry(2, false);
    a.Radius = 1.5f;
    b.Radius = NAN;
    b.Positions.push_back({9, 9, 9});
    return ModelBytes({a, b});
}

}  // namespace

TEST(CliDff, LooseFileAndArchiveEntry)
{
    TempDir dir;
    WriteBytes(dir.File("m.dff"), TwoParts());
    const std::string expected =
        "< Часть #1 >\t4\t2\t1.500000\n"
        "< Часть #2 >\t5\t2\tnan\n"
        "9 вершин, 4 полигонов\n";
    const TRun loose = Cli("dff " + Quote(dir.File("m.dff")));
    EXPECT_EQ(loose.code, 0) << loose.err;
    EXPECT_EQ(loose.out, expected);

    std::string archive = Ver2Bytes({{1, 1, "a.txd"}, {2, 1, "m.dff"}}, 3 * 2048);
    archive.replace(2 * 2048, TwoParts().size(), TwoParts());
    WriteBytes(dir.File("a.img"), archive);
    EXPECT_EQ(Cli("dff " + Quote(dir.File("a.img")) + " 1").out, expected);
    // The radius keeps its "." under a locale with a decimal comma.
    EXPECT_EQ(Cli("dff " + Quote(dir.File("m.dff")),
                  std::string("LOCPATH=") + KORVANE_TEST_LOCALES + " LC_ALL=ru_RU.UTF-8")
                  .out,
              expected);
}

TEST(CliDff, AFailurePrintsThePartsReadSoFar)
{
    TempDir dir;
    std::string cut = TwoParts();
    cut.resize(cut.size() - 200);
    WriteBytes(dir.File("cut.dff"), cut);
    const TRun r = Cli("dff " + Quote(dir.File("cut.dff")) + " --obj " + Quote(dir.File("cut.obj")));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "< Часть #1 >\t4\t2\t1.500000\n");
    EXPECT_EQ(r.err, "korvane-cli: " + dir.File("cut.dff") + ": Read beyond end of file\n");
    EXPECT_FALSE(korvane::FileExists(dir.File("cut.obj")));

    TRwClump negative;
    negative.PartCount = 0x80000000;
    WriteBytes(dir.File("neg.dff"), ClumpBytes(negative));
    EXPECT_EQ(Cli("dff " + Quote(dir.File("neg.dff"))).err, "korvane-cli: Range check error\n");
    WriteBytes(dir.File("junk.dff"), std::string(100, '\x07'));
    EXPECT_EQ(Cli("dff " + Quote(dir.File("junk.dff"))).code, 1);
}

TEST(CliDff, ObjHoldsTheMeshTheViewDraws)
{
    TempDir dir;
    TRwGeometry flat;  // one triangle, flat normal from B, A, C
    flat.Positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    flat.Triangles = {{1, 0, 0, 2}, {0, 1, 0, 3}};  // the second points past V and is left out
    TRwGeometry stored = flat;
    stored.Flags = 0x10;
    stored.Normals = {{0.5f, 0, 0}, {0, 0.25f, 0}, {0, 0, 1}};
    stored.Triangles = {{0, 1, 0, 2}};
    WriteBytes(dir.File("m.dff"), ModelBytes({flat, stored}));
    const TRun r = Cli("dff " + Quote(dir.File("m.dff")) + " --obj " + Quote(dir.File("m.obj")));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "< Часть #1 >\t3\t2\t1.000000\n< Часть #2 >\t3\t1\t1.000000\n6 вершин, 3 полигонов\n");
    EXPECT_EQ(ReadBytes(dir.File("m.obj")),
              "o part_1\n"
              "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
              "vn 0 0 1\nvn 0 0 1\nvn 0 0 1\n"
              "f 1//1 2//2 3//3\n"
              "o part_2\n"
              "v 1 0 0\nv 0 0 0\nv 0 1 0\n"
              "vn 0 0.25 0\nvn 0.5 0 0\nvn 0 0 1\n"
              "f 4//4 5//5 6//6\n");
}

TEST(CliDff, GltfTexturedFromTheArchivesDictionaryOrLooseOnes)
{
    TempDir dir;
    TRwGeometry g = QuadGeometry(1, true);
    g.Flags |= 0x04;
    g.TexSets = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}};
    g.Materials = {{{255, 255, 255, 255}, "skin", ""}};
    const std::string model = ModelBytes({g});
    const std::string dict = DictionaryBytes({Bgra32Texture("SKIN", "", 2, 2, [](unsigned, unsigned) { return 0xFF00FF00u; })});
    std::string archive = Ver2Bytes({{1, 1, "m.dff"}, {2, 1, "M.TXD"}}, 3 * 2048);
    archive.replace(2048, model.size(), model);
    archive.replace(2 * 2048, dict.size(), dict);
    WriteBytes(dir.File("a.img"), archive);
    WriteBytes(dir.File("m.dff"), model);
    WriteBytes(dir.File("skin.txd"), dict);
    const std::string m = Quote(dir.File("m.dff"));

    const TRun a = Cli("dff " + Quote(dir.File("a.img")) + " 0 --gltf " + Quote(dir.File("a.glb")));
    EXPECT_EQ(a.code, 0) << a.err;
    EXPECT_EQ(a.out, "< Часть #1 >\t4\t2\t1.414214\n4 вершин, 2 полигонов\n");
    EXPECT_EQ(GlbJson(ReadBytes(dir.File("a.glb")))["images"].size(), 1u);
    // The loose model with the loose dictionary: the same file.
    EXPECT_EQ(Cli("dff " + m + " --gltf " + Quote(dir.File("b.glb")) + " --txd " + Quote(dir.File("skin.txd"))).code, 0);
    EXPECT_EQ(ReadBytes(dir.File("b.glb")), ReadBytes(dir.File("a.glb")));
    EXPECT_EQ(Cli("dff " + m + " --gltf " + Quote(dir.File("c.glb"))).code, 0);
    EXPECT_FALSE(GlbJson(ReadBytes(dir.File("c.glb"))).contains("images"));
    EXPECT_EQ(GltfValidatorErrors({dir.File("a.glb"), dir.File("c.glb")}), "");

    const TRun missing = Cli("dff " + m + " --gltf " + Quote(dir.File("d.glb")) + " --txd " + Quote(dir.File("no.txd")));
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err, "korvane-cli: " + dir.File("no.txd") + ": File not found\n");
    EXPECT_FALSE(korvane::FileExists(dir.File("d.glb")));
    EXPECT_EQ(Cli("dff " + m + " --txd " + Quote(dir.File("skin.txd"))).code, 2);
}

TEST(CliDff, GltfPaintAndTheSharedVehicleDictionaryAfterTheLooseOnes)
{
    TempDir dir;
    TRwGeometry g = QuadGeometry(1, true);
    g.Flags |= 0x04;
    g.TexSets = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}};
    g.Triangles[1][2] = 1;
    g.Materials = {{{60, 255, 0, 255}, "wheel", ""}, {{255, 0, 175, 255}, "", ""}};
    auto dict = [](uint32_t pixel) { return DictionaryBytes({Bgra32Texture("WHEEL", "", 1, 1, [pixel](unsigned, unsigned) { return pixel; })}); };
    WriteBytes(dir.File("a.img"), Ver2OneSectorEach({{"m.dff", ModelBytes({g})}, {"VEHICLE.txd", dict(0xFF0000FFu)}}));
    WriteBytes(dir.File("w.txd"), dict(0xFFFF0000u));
    const std::string a = "dff " + Quote(dir.File("a.img")) + " 0 --gltf " + Quote(dir.File("m.glb"));
    auto pixel = [&] {
        const std::string b = ReadBytes(dir.File("m.glb"));
        return ReadPng(GlbView(b, GlbJson(b)["images"][0]["bufferView"])).Pixel(0, 0);
    };
    auto factor = [&](int m) { return GlbJson(ReadBytes(dir.File("m.glb")))["materials"][m]["pbrMetallicRoughness"]["baseColorFactor"]; };

    // vehicle.txd of the archive, painted light and dark grey by default:
    // sRGB 200 and 64 as linear, ((c/255 + 0.055)/1.055)^2.4.
    ASSERT_EQ(Cli(a).code, 0);
    EXPECT_EQ(pixel(), 0xFF0000FFu);
    EXPECT_NEAR(factor(0)[0].get<double>(), 0.5775804, 1e-6);
    EXPECT_NEAR(factor(1)[2].get<double>(), 0.0512695, 1e-6);
    // A loose dictionary comes first.
    ASSERT_EQ(Cli(a + " --txd " + Quote(dir.File("w.txd")) + " --paint 255,0,0").code, 0);
    EXPECT_EQ(pixel(), 0xFFFF0000u);
    EXPECT_EQ(factor(0), nlohmann::json({1.0, 0.0, 0.0, 1.0}));
    EXPECT_NEAR(factor(1)[0].get<double>(), 0.0512695, 1e-6);  // the trim keeps its default
    ASSERT_EQ(Cli(a + " --paint 0,0,0,255,255,255").code, 0);
    EXPECT_EQ(factor(0), nlohmann::json({0.0, 0.0, 0.0, 1.0}));
    EXPECT_EQ(factor(1), nlohmann::json({1.0, 1.0, 1.0, 1.0}));

    const TRun bad = Cli(a + " --paint 256,0,0");
    EXPECT_EQ(bad.code, 2);
    EXPECT_EQ(bad.err.find("korvane-cli dff: --paint takes R,G,B or R,G,B,R,G,B with values 0..255, not '256,0,0'\n"), 0u);
    for (const char* value : {"1,2", "1,2,3,4", "1,2,3,4,5,6,7", "-1,0,0", "1,2,3,", ",1,2,3", "a,b,c", "1 ,2,3", "0x1,2,3"})
        EXPECT_EQ(Cli(a + " --paint '" + value + "'").code, 2) << value;
    EXPECT_EQ(Cli("dff " + Quote(dir.File("a.img")) + " 0 --paint 1,2,3").code, 2);  // goes with --gltf
}

TEST(CliDff, UsageAndBadSources)
{
    TempDir dir;
    WriteBytes(dir.File("a.img"), Ver2Bytes({{1, 1, "m.dff"}}, 2 * 2048));
    EXPECT_EQ(Cli("dff").code, 2);
    EXPECT_EQ(Cli("dff " + Quote(dir.File("a.img")) + " x").code, 2);
    EXPECT_EQ(Cli("dff " + Quote(dir.File("a.img")) + " -1").code, 2);
    EXPECT_EQ(Cli("dff " + Quote(dir.File("a.img")) + " 0 1").code, 2);
    EXPECT_EQ(Cli("dff " + Quote(dir.File("a.img")) + " --obj").code, 2);
    const TRun range = Cli("dff " + Quote(dir.File("a.img")) + " 1");
    EXPECT_EQ(range.code, 1);
    EXPECT_EQ(range.err, "korvane-cli: no entry 1: the archive has 1 entries\n");
    EXPECT_EQ(Cli("dff " + Quote(dir.File("none.dff"))).err, "korvane-cli: " + dir.File("none.dff") + ": File not found\n");
    const TRun help = Cli("dff --help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("usage: korvane-cli dff"), std::string::npos);
}

TEST(CliDff, RealModels)
{
    const std::string root = RealDataDir();
    if (root.empty()) GTEST_SKIP() << "the real samples are not there";
    const struct {
        const char* file;
        int parts;
        const char* totals;
    } models[] = {{"rwparser_infernus.dff", 15, "3573 вершин, 3072 полигонов"},
                  {"rwparser_infernus_old.dff", 15, "3573 вершин, 3072 полигонов"},
                  {"rwparser_infernus2.dff", 15, "6592 вершин, 5816 полигонов"},
                  {"rwparser_wuzimu.dff", 1, "990 вершин, 1218 полигонов"},
                  {"rwng_fire_hydrant.dff", 1, "434 вершин, 278 полигонов"},
                  {"rwng_lamppost1.dff", 1, "81 вершин, 45 полигонов"}};
    TempDir dir;
    for (const auto& m : models) {
        const TRun r = Cli("dff " + Quote(root + "/dff/" + m.file) + " --obj " + Quote(dir.File("m.obj")));
        EXPECT_EQ(r.code, 0) << m.file << ": " << r.err;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), m.parts + 1) << m.file;
        EXPECT_NE(r.out.find(std::string("\n") + m.totals + "\n"), std::string::npos) << m.file << "\n" << r.out;
        EXPECT_EQ(ReadBytes(dir.File("m.obj")).substr(0, 9), "o part_1\n") << m.file;
    }
    // The cars with their own dictionaries, through the Khronos validator.
    std::vector<std::string> exported;
    for (const char* car : {"infernus", "copcarla", "bullet"}) {
        exported.push_back(dir.File(std::string(car) + ".glb"));
        const TRun r = Cli("dff " + Quote(root + "/dff/rwparser_" + car + ".dff") + " --gltf " + Quote(exported.back()) +
                           " --txd " + Quote(root + "/txd/rwparser_" + car + ".txd"));
        EXPECT_EQ(r.code + r.err.size(), 0u) << car << ": " << r.err;
    }
    EXPECT_EQ(GltfValidatorErrors(exported), "");
    EXPECT_EQ(GlbJson(ReadBytes(exported[1]))["images"].size(), 2u);  // the copcar's two textures
    // Each car on four wheels: a mesh node under each wheel dummy, the left
    // ones mirrored; no other node draws the wheel.
    for (const std::string& file : exported) {
        const nlohmann::json nodes = GlbJson(ReadBytes(file))["nodes"];
        std::multiset<std::string> wheels;  // "lf_[-1,1,1]" (a dummy and the scale), ...
        for (const auto& n : nodes)
            for (const auto& child : n.value("children", nlohmann::json::array()))
                if (const auto& w = nodes[child.get<size_t>()]; w.value("name", "") == "wheel" && w.contains("mesh"))
                    wheels.insert(n["name"].get<std::string>().substr(6, 3) + w.value("scale", nlohmann::json()).dump());
        EXPECT_EQ(wheels, (std::multiset<std::string>{"lb_[-1,1,1]", "lf_[-1,1,1]", "rb_null", "rf_null"})) << file;
    }

    const TRun car = Cli("dff " + Quote(root + "/dff/rwparser_infernus.dff"));
    EXPECT_NE(car.out.find("< Часть #15 >\t1970\t1710\t2.849858\n"), std::string::npos) << car.out;
    EXPECT_EQ(Cli("dff " + Quote(root + "/dff/rwparser_infernus_old.dff")).out, car.out);
}
