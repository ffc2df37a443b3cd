// Animation packages: both layouts written and read back, the real package
// worked out by hand from its bytes, and packages that lie.
#include <gtest/gtest.h>

#include <functional>

#include "base/ByteOrder.h"
#include "base/FileIO.h"
#include "formats/ifp/AnimationWriter.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

// "ANP3" from the tag: the package name at 8, the count at 32, animation 1
// at 36 (name, bones at 60, frame data size, flag), its bone 1 at 72 (name,
// kind at 96, keys at 100, id at 104) and that bone's keys from 108.
std::vector<TAnimationData> Sample()
{
    return {{"walk", {{"Root", 0, TKeyKind::kRotationTranslation, {0, 0.5f, 1.25f}}, {"Pelvis", 7, TKeyKind::kRotation, {0, 2}}}},
            {"idle", {{"Spine", 3, TKeyKind::kRotation, {}}}}};
}

TAnimationPackage Read(const std::string& bytes)
{
    TAnimationPackage p;
    ReadAnimationPackage(AsBytes(bytes), p);
    return p;
}

std::string ReadError(const std::string& bytes, size_t& kept)
{
    TAnimationPackage p;
    try {
        ReadAnimationPackage(AsBytes(bytes), p);
    } catch (const EAnimationError& e) {
        kept = p.Animations.size();
        return e.what();
    }
    kept = p.Animations.size();
    return "no error";
}

void Put32(std::string& s, size_t at, uint32_t v) { StoreLE32(reinterpret_cast<uint8_t*>(s.data() + at), v); }

}  // namespace

TEST(Animation, BothLayoutsReadBackWhatWasWritten)
{
    for (const char* layout : {"ANP3", "ANPK"}) {
        SCOPED_TRACE(layout);
        const bool anp3 = std::string(layout) == "ANP3";
        // Bytes after the declared size are not looked at.
        const TAnimationPackage p = Read(AnimationPackageBytes(layout, "ped", Sample()) + "ANPK\xFF\xFF\xFF\xFF junk");
        EXPECT_EQ(p.Layout, layout);
        EXPECT_EQ(p.Name, "ped");
        ASSERT_EQ(p.Animations.size(), 2u);
        const TAnimation& walk = p.Animations[0];
        EXPECT_EQ(walk.Name, "walk");
        ASSERT_EQ(walk.Bones.size(), 2u);
        EXPECT_EQ(walk.Keys, 5u);
        EXPECT_EQ(walk.Seconds, 2.0f);
        EXPECT_EQ(walk.Bones[0].Name, "Root");
        EXPECT_EQ(walk.Bones[0].Kind, TKeyKind::kRotationTranslation);
        EXPECT_EQ(walk.Bones[0].Keys, 3u);
        // 1.25 s is 75/60 exactly in the later layout's sixtieths.
        EXPECT_FLOAT_EQ(walk.Bones[0].Seconds, 1.25f);
        EXPECT_EQ(walk.Bones[1].Id, anp3 ? 7 : -1);
        EXPECT_EQ(p.Animations[1].Bones[0].Kind, anp3 ? TKeyKind::kRotation : TKeyKind::kNone);
        EXPECT_EQ(p.Animations[1].Keys, 0u);
    }
    // "ANP3" by hand: the bone's kind 4, its three keys, the second key's time 30.
    const std::string b = AnimationPackageBytes("ANP3", "ped", Sample());
    EXPECT_EQ(LoadLE32(AsBytes(b).data() + 96), 4u);
    EXPECT_EQ(LoadLE32(AsBytes(b).data() + 100), 3u);
    EXPECT_EQ(LoadLE16(AsBytes(b).data() + 108 + 16 + 8), 30);
    // "KRTS" keys carry eleven floats, the time last.
    const TAnimationPackage s = Read(AnimationPackageBytes("ANPK", "x", {{"a", {{"b", 0, TKeyKind::kRotationTranslationScale, {0, 3}}}}}));
    EXPECT_EQ(s.Animations[0].Bones[0].Kind, TKeyKind::kRotationTranslationScale);
    EXPECT_EQ(s.Animations[0].Seconds, 3);
}

// Each limit on both sides; the error names the animation that lies and the
// animations before it stay.
TEST(Animation, APackageThatLiesIsNamed)
{
    const std::string anp3 = AnimationPackageBytes("ANP3", "ped", Sample());
    struct TCase {
        const char* what;
        std::function<void(std::string&)> patch;
        const char* error;
        size_t kept;
    };
    const TCase cases[] = {
        {"size to the end", [](std::string& p) { Put32(p, 4, uint32_t(p.size() - 8)); }, nullptr, 2},
        {"size past it", [](std::string& p) { Put32(p, 4, uint32_t(p.size() - 7)); },
         "The animation package is damaged: it runs past the end of the file", 0},
        {"a huge count", [](std::string& p) { Put32(p, 32, 0xFFFFFFFF); },
         "The animation number 3 is damaged: the animation runs past its end", 2},
        {"bones past the end", [](std::string& p) { Put32(p, 60, 0x10000000); },
         "The animation \"walk\" (number 1) is damaged: its 268435456 bones run past its end", 0},
        {"an unknown key kind", [](std::string& p) { Put32(p, 96, 5); },
         "The animation \"walk\" (number 1) is damaged: bone 1 has keys of unknown kind 5", 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bad = anp3;
        c.patch(bad);
        size_t kept = 9;
        EXPECT_EQ(ReadError(bad, kept), c.error ? c.error : "no error");
        EXPECT_EQ(kept, c.kept);
    }
    // The last bone's keys: as many as the bytes hold, and one more.
    const std::string one = AnimationPackageBytes("ANP3", "p", {{"a", {{"b", 0, TKeyKind::kRotation, {0, 1}}}}});
    // 36 package bytes, 36 animation, then the bone at 72: keys at 100, data from 108 (2 x 10 bytes).
    for (uint32_t keys : {2u, 3u}) {
        std::string bad = one;
        Put32(bad, 100, keys);
        size_t kept = 0;
        EXPECT_EQ(ReadError(bad, kept), keys == 2 ? std::string("no error")
                                                  : "The animation \"a\" (number 1) is damaged: the keys of bone 1 run past its end");
    }
}

TEST(Animation, AnOlderPackageThatLiesIsNamed)
{
    // "ANPK": INFO at 8 (count, "p\0" padded to 8), NAME at 24 ("a\0" padded
    // to 4), DGAN at 36 (size at 40), its INFO at 44 (bone count at 52), CPAN
    // at 60, ANIM at 68 (size at 72, 44 bytes: the name, the key count at
    // 104), KR00 at 120 with two 20-byte keys, the end at 168.
    const std::string one = AnimationPackageBytes("ANPK", "p", {{"a", {{"b", 0, TKeyKind::kRotation, {0, 1}}}}});
    ASSERT_EQ(one.substr(120, 4), "KR00");
    ASSERT_EQ(one.size(), 168u);
    const struct {
        size_t at;
        uint32_t value;
        const char* error;
    } cases[] = {
        {104, 2, nullptr},
        {104, 3, "the keys of bone 1 run past its end"},
        {40, 1000, "the animation runs past its end"},
        {52, 3, "its 3 bones run past its end"},
        {72, 4, "bone 1 is cut short"},
    };
    for (const auto& c : cases) {
        std::string bad = one;
        Put32(bad, c.at, c.value);
        size_t kept = 0;
        EXPECT_EQ(ReadError(bad, kept), c.error ? std::string("The animation \"a\" (number 1) is damaged: ") + c.error : "no error")
            << c.at;
    }
}

// From the bytes: "ANP3", size 0xA68A, "ped", 7 animations; the first,
// "bomber", has 32 bones; "Root" (kind 3, 2 keys, id 0, key times 0 and
// 0x24 = 36/60 s), " Pelvis" (2 keys, id 1), " Spine" (4 keys, id 2).
TEST(Animation, TheRealPackage)
{
    const std::string root = RealDataDir(), path = root + "/ifp/rwng_ped.ifp";
    if (root.empty() || !FileExists(path)) GTEST_SKIP() << "ifp/rwng_ped.ifp is not there";
    const TAnimationPackage p = Read(ReadBytes(path));
    EXPECT_EQ(p.Layout, "ANP3");
    EXPECT_EQ(p.Name, "ped");
    ASSERT_EQ(p.Animations.size(), 7u);
    const TAnimation& bomber = p.Animations[0];
    EXPECT_EQ(bomber.Name, "bomber");
    ASSERT_EQ(bomber.Bones.size(), 32u);
    const struct {
        const char* name;
        int32_t id;
        uint32_t keys;
    } bones[] = {{"Root", 0, 2}, {" Pelvis", 1, 2}, {" Spine", 2, 4}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(bomber.Bones[i].Name, bones[i].name);
        EXPECT_EQ(bomber.Bones[i].Id, bones[i].id);
        EXPECT_EQ(bomber.Bones[i].Keys, bones[i].keys);
        EXPECT_EQ(bomber.Bones[i].Kind, TKeyKind::kRotation);
    }
    EXPECT_FLOAT_EQ(bomber.Bones[0].Seconds, 0.6f);
    EXPECT_EQ(p.Animations[6].Name, "WOMAN_walksexy");
}
