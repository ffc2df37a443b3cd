// korvane-cli repack and check, run as separate processes.
#include <gtest/gtest.h>

#include "CliRun.h"

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "support/ArchiveWriters.h"
#include "support/TempDir.h"

namespace {


std::vector<TDirRecord> Named(const std::vector<std::string>& names)
{
    std::vector<TDirRecord> r;
    for (size_t i = 0; i < names.size(); ++i) r.push_back({uint32_t(i + 1), 1, names[i]});
    return r;
}

size_t FileCount(const std::string& folder)
{
    return size_t(std::distance(std::filesystem::directory_iterator(folder), {}));
}

}  // namespace

TEST(CliCheck, PassOrThreeLinesAboutTheFirstProblem)
{
    TempDir dir;
    WriteBytes(dir.File("ok.img"), Ver2Bytes(Named({"A.TXD", "b@c~d.dff"})));
    TRun r = Cli("check " + Quote(dir.File("ok.img")));
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "Проверка завершена\n");
    EXPECT_EQ(r.err, "");

    WriteBytes(dir.File("d.img"), "");
    WriteBytes(dir.File("d.dir"), ImgDirBytes(Named({"car.txd", "x y", "CAR.TXD", "Car.txd"})));
    r = Cli("check " + Quote(dir.File("d.dir")));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "Найдены дубликаты!\nВыделенные файлы имеют одинаковые имена\n0 2 3\n");

    WriteBytes(dir.File("b.img"), Ver2Bytes(Named({"fine", "\xC0\xC1\xC2.txd"})));
    r = Cli("check " + Quote(dir.File("b.img")));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "Некорректное имя файла\nВ именах файлов не рекомендуется употреблять подобные символы\n1\n");

    WriteBytes(dir.File("e.img"), Ver2Bytes({}));
    EXPECT_EQ(Cli("check " + Quote(dir.File("e.img"))).out, "Проверка завершена\n");
}

TEST(CliCheck, UsageAndArchivesWithoutTheCommand)
{
    TempDir dir;
    EXPECT_EQ(Cli("check").code, 2);
    EXPECT_EQ(Cli("check a b").code, 2);
    EXPECT_EQ(Cli("check --frob x").code, 2);
    const TRun help = Cli("check --help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("usage: korvane-cli check ARCHIVE"), std::string::npos);
    WriteBytes(dir.File("b.big"), BigBytes({{0x20, 1, "a b"}}));
    const TRun big = Cli("check " + Quote(dir.File("b.big")));
    EXPECT_EQ(big.code, 1);
    EXPECT_EQ(big.err, "korvane-cli: only .img and VER2 archives have this command\n");
    EXPECT_EQ(big.out, "");
}

TEST(CliRepack, RewritesQuietlyOrWithAProgressBar)
{
    TempDir dir;
    std::string file = Ver2Bytes({{7, 1, "B"}, {3, 1, "A"}}, 8 * 2048);
    file.replace(7 * 2048, 2048, std::string(2048, 'b'));
    file.replace(3 * 2048, 2048, std::string(2048, 'a'));
    WriteBytes(dir.File("v.img"), file);
    const TRun r = Cli("repack " + Quote(dir.File("v.img")));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");  // stderr is no terminal here
    const std::string got = ReadBytes(dir.File("v.img"));
    EXPECT_EQ(got, Ver2Bytes({{2, 1, "B"}, {3, 1, "A"}}, 4096) + std::string(2048, 'b') + std::string(2048, 'a'));
    EXPECT_EQ(FileCount(dir.Path()), 1u);

    const TRun bar = Cli("repack --progress " + Quote(dir.File("v.img")));
    EXPECT_EQ(bar.code, 0);
    EXPECT_NE(bar.err.find("\rrepacking [########################################] 100%\n"), std::string::npos)
        << bar.err;
    EXPECT_EQ(Cli("repack --help").code, 0);
    EXPECT_EQ(Cli("repack").code, 2);
    EXPECT_EQ(Cli("repack " + Quote(dir.File("none.img"))).err, "korvane-cli: " + dir.File("none.img") + ": File not found\n");
}

TEST(CliRepack, AShortDiskLeavesTheOldArchive)
{
    TempDir dir;
    std::string img(300 * 2048, 'q');
    WriteBytes(dir.File("g.img"), img);
    WriteBytes(dir.File("g.dir"), ImgDirBytes({{10, 200, "BIG"}, {0, 5, "SMALL"}}));
    // ulimit -f counts blocks of 1024 bytes.
    const TRun r = Cli("repack " + Quote(dir.File("g.img")), "ulimit -f 100;");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "korvane-cli: " + dir.File("g.~new") + ": Disk full\n");
    EXPECT_TRUE(ReadBytes(dir.File("g.img")) == img);
    EXPECT_EQ(ReadBytes(dir.File("g.dir")), ImgDirBytes({{10, 200, "BIG"}, {0, 5, "SMALL"}}));
    EXPECT_EQ(FileCount(dir.Path()), 2u);
}

TEST(CliRepack, AnUnwritableFolderLeavesTheOldArchive)
{
    TempDir dir;
    std::string prefix;
    if (::geteuid() == 0) {
        // Run as nobody, for whom permissions hold.
        if (::access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "setpriv is needed to drop the superuser's rights";
        prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups";
    }
    const std::string file = Ver2Bytes({{5, 1, "A"}}, 6 * 2048);
    WriteBytes(dir.File("u.img"), file);
    ::chmod(dir.File("u.img").c_str(), 0666);
    ::chmod(dir.Path().c_str(), 0555);
    const TRun r = Cli("repack " + Quote(dir.File("u.img")), prefix);
    ::chmod(dir.Path().c_str(), 0755);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "korvane-cli: " + dir.File("u.~new") + ": File access denied\n");
    EXPECT_EQ(ReadBytes(dir.File("u.img")), file);
    EXPECT_EQ(FileCount(dir.Path()), 1u);
}
