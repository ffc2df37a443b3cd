// Writes the seed corpora of the fuzz targets, one folder per target, from
// the same writers the tests build their fixtures with.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "demo/DemoCollision.h"
#include "formats/ifp/AnimationWriter.h"
#include "support/ArchiveWriters.h"
#include "support/DictionaryWriters.h"
#include "support/ModelWriters.h"
#include "support/PlacementWriters.h"
#include "support/PngWriters.h"

namespace {

std::filesystem::path root;

void Seed(const std::string& target, const std::string& name, const std::string& bytes)
{
    const std::filesystem::path dir = root / target;
    std::filesystem::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

void DirectorySeeds()
{
    Seed("directory_fuzz", "img_dir", ImgDirBytes({{0, 1, "a.txd"}, {1, 2, "b.dff"}, {3, 1, std::string(24, 'n')}}));
    Seed("directory_fuzz", "ver2", Ver2Bytes({{1, 1, "a.txd"}, {2, 1, "b.ipl"}}, 3 * 2048));
    Seed("directory_fuzz", "vxbg", SybBytes({{"a.txt", 5}, {"b.dat", 0}, {"c", 3}}));
    Seed("directory_fuzz", "bigf", BigBytes({{0x40, 5, "art/a.txt"}, {0x45, 0, "b"}}) + std::string(8, 'x'));
}

void PlacementSeeds()
{
    const TIplInstanceRec inst{{1.5f, -2.5f, 10, 0, 0, 0.7071068f, 0.7071068f}, 1234, 0, -1};
    const TIplCarRec car{{-100.25f, 352.5f, 10.75f, 90}, {415, -1, -1, 0, 0, 0, 0, 0}};
    Seed("placement_fuzz", "empty", BinaryIplBytes({}, {}));
    Seed("placement_fuzz", "two_and_one", BinaryIplBytes({inst, inst}, {car}));
    Seed("placement_fuzz", "cars_first", IplHeaderBytes(1, 124, 1, 76) + IplCarBytes(car) + IplInstanceBytes(inst));
}

void ModelSeeds()
{
    Seed("model_fuzz", "quad_normals", ModelBytes({QuadGeometry(1, true)}));
    Seed("model_fuzz", "two_parts", ModelBytes({QuadGeometry(1, false), QuadGeometry(2, true)}));
    // Frames two deep, atomics out of order, a textured, an untextured and a
    // repeated material.
    TRwClump framed;
    framed.Geometries = {QuadGeometry(1, true), QuadGeometry(2, false)};
    framed.Geometries[0].Materials = {{{255, 0, 0, 128}, "body", "mask"}, {{1, 2, 3, 255}, "", ""}};
    framed.Geometries[0].MaterialRefs = {{-1, -1, 0}};
    framed.Frames = {{{0, 1, 0, -1, 0, 0, 0, 0, 1}, {1, 0, 0}, -1, "root"}, {{1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 2, 0}, 0, "door_dam"}};
    framed.Atomics = {{{1, 1}, {0, 0}}};
    Seed("model_fuzz", "frames_materials", ClumpBytes(framed));
    TRwClump old;
    old.Geometries = {QuadGeometry(1, false)};
    old.Geometries[0].Version = 0x0C02FFFF;
    old.Geometries[0].Lighting = true;
    old.StructSize = 4;
    old.Version = 0x0C02FFFF;
    Seed("model_fuzz", "old_clump", ClumpBytes(old));
}

void DictionarySeeds()
{
    auto grey = [](unsigned x, unsigned y) { return uint32_t(0xFF000000u | (x * 16) << 16 | (y * 16) << 8 | 0x40); };
    auto fade = [](unsigned x, unsigned y) { return uint32_t((x * 32) << 24 | (y * 16) << 16 | 0x8040); };
    TTextureSpec dxt3 = Dxt3Texture("dxt3", "dxt3a", 8, 8, grey);
    Seed("txd_fuzz", "three", DictionaryBytes({Dxt1Texture("dxt1", 8, 8, grey), dxt3, Bgra32Texture("bgra", "", 4, 2, grey)}));
    Seed("txd_fuzz", "empty", DictionaryBytes({}));
    Seed("txd_fuzz", "dxt5", DictionaryBytes({Dxt5Texture("dxt5", "", 8, 8, fade)}));
    const std::vector<uint32_t> palette = {0xFF000000u, 0x80FF0000u, 0xFF00FF00u, 0x000000FFu};
    auto index = [](unsigned x, unsigned y) { return uint8_t((x + y) % 4); };
    Seed("txd_fuzz", "pal8_pal4", DictionaryBytes({PalTexture("pal8", 8, 4, false, palette, 8, index),
                                                   PalTexture("pal4", 8, 4, true, palette, 4, index)}));
}

void TextureEditSeeds()
{
    auto grey = [](unsigned x, unsigned y) { return uint32_t(0xFF000000u | (x * 16) << 16 | (y * 16) << 8 | 0x40); };
    std::string two = DictionaryBytes({Dxt1Texture("a", 4, 4, grey), Bgra32Texture("b", "", 2, 2, grey)});
    Seed("texture_edit_fuzz", "dictionary", two);
    Seed("texture_edit_fuzz", "png_palette", PngFileBytes({3, 1, 3, 2, false, "\x18", std::string("\xff\0\0\0\xff\0\0\0\xff", 9), "\xff"}));
    Seed("texture_edit_fuzz", "png_rgba16", PngFileBytes({2, 2, 6, 16, true, std::string(32, '\x42')}));
    const std::string bmp = "BM" + LE32(54 + 8) + LE32(0) + LE32(54) + LE32(40) + LE32(1) + LE32(2) + LE16(1) + LE16(24) +
                            LE32(0) + LE32(8) + LE32(0) + LE32(0) + LE32(0) + LE32(0) + std::string("\x01\x02\x03\0\x04\x05\x06\0", 8);
    Seed("texture_edit_fuzz", "bmp", bmp);
}

void MaskSeeds()
{
    using namespace std::string_literals;
    Seed("mask_fuzz", "txd", "\0txd\0Player.txd\0TXDLOAD.DAT\0car.dff"s);
    Seed("mask_fuzz", "whole", "\1*.dff\0a.dff\0a.dff.bak"s);
    Seed("mask_fuzz", "sets", "\3?a[b-d]*[!x]\0xab1\0Xab2\0xae"s);
    Seed("mask_fuzz", "cyrillic", "\0\xd0\x9c\xd0\xb0\xd1\x88\0\xcc\xe0\xf8\xe8\xed\xe0"s);
    Seed("mask_fuzz", "bad", "\0[12\0a"s);
}

// The demo's file holds one model of versions 1 to 3; the package both layouts.
void CollisionAndAnimationSeeds()
{
    using namespace korvane;
    Seed("collision_fuzz", "demo", DemoCollisionFile());
    Seed("animation_fuzz", "anp3", DemoAnimationPackage());
    const std::vector<TAnimationData> two = {
        {"a", {{"root", 0, TKeyKind::kRotationTranslationScale, {0, 1}}, {"arm", 0, TKeyKind::kRotation, {0.5f}}}},
        {"b", {{"root", 0, TKeyKind::kRotationTranslation, {}}}}};
    Seed("animation_fuzz", "anpk", AnimationPackageBytes("ANPK", "old", two));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: fuzz_seeds DIR\n";
        return 2;
    }
    root = argv[1];
    DirectorySeeds();
    PlacementSeeds();
    ModelSeeds();
    DictionarySeeds();
    MaskSeeds();
    TextureEditSeeds();
    CollisionAndAnimationSeeds();
    return 0;
}
