#include <gtest/gtest.h>

#include <string>

#include "formats/Formats.h"

using namespace korvane;

TEST(EntryExtension, TakesTheLastDotAfterTheLastFolderPartInAsciiUpperCase)
{
    EXPECT_EQ(EntryExtension("player.txd"), ".TXD");
    EXPECT_EQ(EntryExtension("PLAYER.TXD"), ".TXD");
    EXPECT_EQ(EntryExtension("Player.Txd"), ".TXD");
    EXPECT_EQ(EntryExtension("player.txd.bak"), ".BAK");
    // Every Latin letter and only those: not their neighbours, not Cyrillic я.
    EXPECT_EQ(EntryExtension("x.abcdefghijklmnopqrstuvwxyz@[`{\xFF"), ".ABCDEFGHIJKLMNOPQRSTUVWXYZ@[`{\xFF");
    EXPECT_EQ(EntryExtension("readme"), "");
    EXPECT_EQ(EntryExtension("models.d\\car"), "");
    EXPECT_EQ(EntryExtension("models.d/car"), "");
    EXPECT_EQ(EntryExtension("models\\car.dff"), ".DFF");
    EXPECT_EQ(EntryExtension("c:car"), "");
    EXPECT_EQ(EntryExtension("a.b:c.ipl"), ".IPL");
    // Only a-z change: a Windows-1251 "я" (0xFF) stays as it is.
    EXPECT_EQ(EntryExtension("x.t\xff"), ".T\xff");
}

TEST(Formats, EachEntryIsPreviewedByItsExtensionAndItsSourceCheckedByItsFirstBytes)
{
    auto bytes = [](const std::string& s) { return TByteSpan(reinterpret_cast<const uint8_t*>(s.data()), s.size()); };
    // A section header: id, size 0, a version stamp.
    auto section = [](char id) { return std::string{id, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}; };
    const struct {
        const char* name;
        TFormatKind kind;
        const char* what;
        std::string accepted, refused;  // the refused one differs in one byte
    } cases[] = {
        {"a.txd", TFormatKind::TextureDictionary, "texture dictionary", section(0x16), section(0x10)},
        {"B.Dff", TFormatKind::Model, "model", section(0x10), section(0x16)},
        {"c.IPL", TFormatKind::Placement, "binary placement file", "bnry", "BNRY"},
        {"d.col", TFormatKind::Collision, "collision model", "COL4", "COL5"},
        {"e.ifp", TFormatKind::Animation, "animation package", "ANPK", "ANP4"},
    };
    for (const auto& c : cases) {
        const TFormat* f = FormatByName(c.name);
        ASSERT_NE(f, nullptr) << c.name;
        EXPECT_EQ(f, &FormatOf(c.kind)) << c.name;
        EXPECT_EQ(f->Name, c.what);
        EXPECT_TRUE(f->Starts(bytes(c.accepted))) << c.name;
        EXPECT_FALSE(f->Starts(bytes(c.refused))) << c.name;
        // One byte short: the byte after the span is the right one, so a check
        // that reads past its bytes would take it.
        EXPECT_FALSE(f->Starts(bytes(c.accepted).first(c.accepted.size() - 1))) << c.name;
        // Only binary placement files are told apart by their bytes before a page takes them.
        EXPECT_EQ(f->PreviewHeaderSize, c.kind == TFormatKind::Placement ? 76u : 0u) << c.name;
    }
    EXPECT_EQ(FormatByName("COLL.COL"), &FormatOf(TFormatKind::Collision));
    for (const char* other : {"a.ide", "txd", "a.txd.bak", "a.txd/b", ""}) EXPECT_EQ(FormatByName(other), nullptr) << other;
    EXPECT_TRUE(FormatOf(TFormatKind::Collision).Starts(bytes("COLL")));
    EXPECT_TRUE(FormatOf(TFormatKind::Animation).Starts(bytes("ANP3")));
}
