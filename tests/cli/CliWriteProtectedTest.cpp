// korvane-cli on archives the user may only read (run as nobody when the
// tests run as the superuser): the reading verbs work, the changing ones
// fail naming the archive and write nothing.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "CliRun.h"
#include "support/AsNobody.h"
#include "support/DictionaryWriters.h"

TEST(CliWriteProtected, ReadingVerbsWorkAndChangesAreRefused)
{
    const std::string txd = DictionaryBytes({Dxt1Texture("t", 4, 4, [](unsigned, unsigned) { return 0xFF000000u; })});
    const std::string sector = txd + std::string(2048 - txd.size(), '\0');
    const struct {
        const char* file;
        std::string bytes, dir, extracted;
    } rows[] = {
        {"a.img", sector, ImgDirBytes({{0, 1, "T.TXD"}}), sector},
        {"v.img", Ver2Bytes({{1, 1, "T.TXD"}}, 2048) + sector, "", sector},
        {"s.syb", "VXBG" + LE32(10) + std::string("T.TXD\0", 6) + LE32(uint32_t(txd.size())) + txd, "", txd},
        // One record of 8 + 6 bytes from byte 16: the data at 30.
        {"b.big", BigBytes({{30, uint32_t(txd.size()), "T.TXD"}}) + txd, "", txd},
    };
    for (const auto& row : rows) {
        TempDir dir;
        const std::string path = dir.File(row.file), a = Quote(path), src = Quote(dir.File("new.bin"));
        WriteBytes(path, row.bytes);
        ::chmod(path.c_str(), 0444);
        if (!row.dir.empty()) {
            WriteBytes(dir.File("a.dir"), row.dir);
            ::chmod(dir.File("a.dir").c_str(), 0444);
        }
        WriteBytes(dir.File("new.bin"), "new");
        ::chmod(dir.File("new.bin").c_str(), 0666);
        // A copy nobody may run: a superuser's build tree (under /root, say)
        // is closed to other users.
        const std::string cli = dir.File("korvane-cli");
        WriteBytes(cli, ReadBytes(KORVANE_CLI));
        ::chmod(cli.c_str(), 0755);
        const auto Cli = [&cli](const std::string& args) { return RunCli(args, "", cli); };
        RunAsNobody(dir.Path(), [&] {
            const TRun list = Cli("list " + a + " --format tsv");
            EXPECT_EQ(list.code, 0) << row.file << list.err;
            EXPECT_NE(list.out.find("\tT.TXD\t"), std::string::npos) << row.file;
            EXPECT_EQ(Cli("txd " + a + " 0").out, "t\t\t4x4\tdxt1\t0\n") << row.file;
            EXPECT_EQ(Cli("extract " + a + " 0 --to " + Quote(dir.File("out"))).code, 0) << row.file;
            EXPECT_EQ(ReadBytes(dir.File("out")), row.extracted) << row.file;
            if (std::string(row.file).find(".img") == std::string::npos) return;
            for (const std::string& verb : {"add " + a + " " + src, "replace " + a + " 0 " + src, "delete " + a + " 0",
                                           "rename " + a + " 0 NEW.TXD", "repack " + a}) {
                const TRun r = Cli(verb);
                EXPECT_EQ(r.code, 1) << verb;
                EXPECT_EQ(r.err, "korvane-cli: " + path + ": File access denied\n") << verb;
            }
        });
        EXPECT_EQ(ReadBytes(path), row.bytes) << row.file;
        if (!row.dir.empty()) {
            EXPECT_EQ(ReadBytes(dir.File("a.dir")), row.dir);
        }
    }
}

TEST(CliWriteProtected, AWriteProtectedFileIsAddedAndReplacedWith)
{
    TempDir dir;
    const std::string a = Quote(dir.File("v.img")), src = Quote(dir.File("ro.bin")), cli = dir.File("korvane-cli");
    WriteBytes(dir.File("v.img"), Ver2Bytes({{1, 1, "A"}}, 2048) + std::string(2048, 'a'));
    WriteBytes(dir.File("ro.bin"), "ro");
    WriteBytes(cli, ReadBytes(KORVANE_CLI));  // nobody's copy, as above
    ::chmod(cli.c_str(), 0755);
    ::chmod(dir.File("v.img").c_str(), 0666);
    ::chmod(dir.File("ro.bin").c_str(), 0444);
    RunAsNobody(dir.Path(), [&] {
        for (const std::string& verb : {"add " + a + " " + src, "replace " + a + " 0 " + src})
            EXPECT_EQ(RunCli(verb, "", cli).err, "") << verb;
    });
    // Added at sector 2, then written over the first two bytes of entry 0's sector.
    EXPECT_EQ(ReadBytes(dir.File("v.img")), Ver2Bytes({{1, 1, "ro.bin"}, {2, 1, "ro.bin"}}, 2048) + "ro" +
                                                std::string(2046, 'a') + "ro" + std::string(2046, '\0'));
}
