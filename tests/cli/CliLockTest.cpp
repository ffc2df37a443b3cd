// Several korvane-cli processes changing one archive at once: each change
// holds the archive for its whole read-check-write, so none is lost and none
// overwrites another. The archives are read back by hand from the format.
#include <gtest/gtest.h>

#include "CliRun.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "archive/ArchiveLock.h"
#include "support/DictionaryWriters.h"
#include "support/PngWriters.h"

extern char** environ;

namespace {

uint32_t Le32(const std::string& s, size_t at) { return uint8_t(s[at]) | uint8_t(s[at + 1]) << 8 | uint8_t(s[at + 2]) << 16 | uint32_t(uint8_t(s[at + 3])) << 24; }

std::string Seeded(size_t n, int seed)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char((i * 7 + size_t(seed) * 131 + 1) % 251);
    return s;
}

std::string Padded(std::string bytes)
{
    bytes.resize((bytes.size() + 2047) / 2048 * 2048, '\0');
    return bytes;
}

struct TOnDisk {
    std::string name;  // the 24-byte field up to its first zero
    uint32_t offset, size;
    std::string data;  // the entry's whole sectors
};

// Every entry as the directory records it: ".dir" records of 32 bytes, or
// the VER2 count at byte 4 and the records from byte 8.
std::vector<TOnDisk> ReadBack(const std::string& img, bool ver2)
{
    const std::string arc = ReadBytes(img);
    const std::string dir = ver2 ? arc : ReadBytes(img.substr(0, img.size() - 4) + ".dir");
    const size_t n = ver2 ? Le32(arc, 4) : dir.size() / 32;
    std::vector<TOnDisk> out;
    for (size_t i = 0; i < n; ++i) {
        const size_t at = (ver2 ? 8 : 0) + 32 * i;
        TOnDisk e{dir.substr(at + 8, 24), Le32(dir, at), Le32(dir, at + 4), {}};
        e.name.resize(std::min(e.name.find('\0'), e.name.size()));
        e.data = arc.substr(std::min<size_t>(arc.size(), size_t(e.offset) * 2048), size_t(e.size) * 2048);
        out.push_back(e);
    }
    return out;
}

// No two entries' sectors overlap, and none lies in a VER2 directory.
void ExpectSeparateSectors(const std::vector<TOnDisk>& entries, bool ver2)
{
    std::vector<std::pair<uint64_t, uint64_t>> spans;
    for (const TOnDisk& e : entries)
        if (e.size > 0) spans.push_back({uint64_t(e.offset) * 2048, uint64_t(e.offset + e.size) * 2048});
    std::sort(spans.begin(), spans.end());
    for (size_t i = 1; i < spans.size(); ++i) EXPECT_LE(spans[i - 1].second, spans[i].first) << "entries share sectors";
    EXPECT_TRUE(!ver2 || spans.empty() || spans.front().first >= 8 + 32 * entries.size()) << "data under the directory";
}

struct TProc {
    pid_t pid;
    std::string errFile;
};

// korvane-cli started without waiting for it; its stderr goes to a file.
TProc Start(const std::vector<std::string>& args, const std::string& errFile)
{
    std::vector<std::string> all = {KORVANE_CLI};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, KORVANE_CLI, &fa, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&fa);
    return {pid, errFile};
}

std::string BusyLine(const std::string& img) { return "korvane-cli: " + img + ": busy: another program is changing it\n"; }
std::string WaitingLine(const std::string& img)
{
    return "korvane-cli: " + img + ": waiting for another program to finish changing it\n";
}

// The exit status, and that stderr is empty or says the archive was busy.
int Finish(const TProc& p, const std::string& img)
{
    int status = 0;
    waitpid(p.pid, &status, 0);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const std::string err = ReadBytes(p.errFile);
    EXPECT_TRUE(code == 0 ? err.empty() : code == 1 && (err == BusyLine(img) || err == WaitingLine(img) + BusyLine(img)))
        << code << err;
    return code;
}

class CliLock : public ::testing::TestWithParam<bool> {
protected:
    bool Ver2() const { return GetParam(); }
    // Entries (name, bytes) one after another from sector 1 on.
    std::string Make(const std::vector<std::pair<std::string, std::string>>& entries)
    {
        std::vector<TDirRecord> records;
        std::string data(2048, '\0');
        for (const auto& [name, bytes] : entries) {
            records.push_back({uint32_t(data.size() / 2048), uint32_t(Padded(bytes).size() / 2048), name});
            data += Padded(bytes);
        }
        const std::string img = dir.File("a.img");
        if (Ver2()) {
            std::string arc = Ver2Bytes(records);
            arc += data.substr(arc.size());
            WriteBytes(img, arc);
        } else {
            WriteBytes(img, data);
            WriteBytes(dir.File("a.dir"), ImgDirBytes(records));
        }
        return img;
    }
    TempDir dir;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, CliLock, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Ver2" : "ImgDir"; });

// 16 adds at once, 20 times over: every add that says it succeeded is there
// once with exactly its bytes, every other one said the archive was busy; the
// entries there before keep theirs. A VER2 directory grows past its first
// sector on the way, moving the data under it.
TEST_P(CliLock, SixteenAddsAtOnceLoseNothing)
{
    const std::vector<std::pair<std::string, std::string>> before = {
        {"one.dat", Seeded(3000, 1)}, {"two.dat", Seeded(2048, 2)}, {"three.dat", Seeded(10, 3)}};
    const std::string img = Make(before);
    std::map<std::string, std::string> added;  // name -> bytes, of the adds that succeeded
    int busy = 0;
    for (int round = 0; round < 20; ++round) {
        std::vector<TProc> procs;
        std::vector<std::string> names;
        for (int k = 0; k < 16; ++k) {
            const std::string name = "r" + std::to_string(round) + "_" + std::to_string(k) + ".bin";
            WriteBytes(dir.File(name), Seeded(size_t(1 + k * 700 + round * 13), round * 16 + k));
            names.push_back(name);
            procs.push_back(Start({"add", img, dir.File(name)}, dir.File(name + ".err")));
        }
        for (int k = 0; k < 16; ++k) {
            if (Finish(procs[size_t(k)], img) == 0)
                added[names[size_t(k)]] = ReadBytes(dir.File(names[size_t(k)]));
            else
                ++busy;
        }
    }
    const std::vector<TOnDisk> entries = ReadBack(img, Ver2());
    ASSERT_EQ(entries.size(), before.size() + added.size()) << busy << " adds found the archive busy";
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(entries[i].name, before[i].first);
        EXPECT_EQ(entries[i].data, Padded(before[i].second)) << before[i].first;
    }
    std::map<std::string, int> seen;
    for (size_t i = before.size(); i < entries.size(); ++i) {
        const TOnDisk& e = entries[i];
        ++seen[e.name];
        ASSERT_EQ(added.count(e.name), 1u) << e.name;
        EXPECT_EQ(e.size, (added[e.name].size() + 2047) / 2048) << e.name;
        EXPECT_EQ(e.data, Padded(added[e.name])) << e.name;
    }
    for (const auto& [name, count] : seen) EXPECT_EQ(count, 1) << name;
    ExpectSeparateSectors(entries, Ver2());
}

namespace {

// The archive as a list of (name, content number): what some order of the
// changes that succeeded makes of it.
using TState = std::vector<std::pair<std::string, int>>;

struct TChange {
    std::vector<std::string> args;
    std::function<void(TState&)> apply;
};

bool SomeOrderGives(const std::vector<const TChange*>& changes, const TState& start, const TState& end)
{
    std::vector<size_t> order(changes.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    do {
        TState s = start;
        for (size_t i : order) changes[i]->apply(s);
        if (s == end) return true;
    } while (std::next_permutation(order.begin(), order.end()));
    return false;
}

}  // namespace

// Three adds, a replace that moves its entry to the end, a rename, a delete,
// a texture change and a repack, all at once, five times: what the archive
// ends up holding is what one of their one-after-another orders gives.
TEST_P(CliLock, ChangesAtOnceEndAsSomeOrderOfThem)
{
    const std::string txd = DictionaryBytes(
        {Dxt1Texture("wall", 8, 8, [](unsigned x, unsigned y) { return 0xFF000000u | (x * 30) << 16 | y * 30; })});
    TPngSpec picture;
    picture.width = picture.height = 4;
    picture.rows = Seeded(4 * 4 * 3, 9);
    WriteBytes(dir.File("p.png"), PngFileBytes(picture));
    // What the texture change makes of the dictionary, as a loose file.
    WriteBytes(dir.File("loose.txd"), txd);
    ASSERT_EQ(Cli("txd " + Quote(dir.File("loose.txd")) + " --replace wall " + Quote(dir.File("p.png"))).code, 0);

    std::vector<std::string> contents = {Padded(txd), Padded(ReadBytes(dir.File("loose.txd")))};
    auto content = [&contents](const std::string& bytes) {
        contents.push_back(Padded(bytes));
        return int(contents.size() - 1);
    };
    const TState start = {{"tex.txd", 0},
                          {"a.dat", content(Seeded(4000, 1))},
                          {"b.dat", content(Seeded(100, 2))},
                          {"c.dat", content(Seeded(2048, 3))},
                          {"d.dat", content(Seeded(5000, 4))}};
    const int moved = content(Seeded(7000, 5));  // more than a.dat's two sectors
    WriteBytes(dir.File("r.dat"), Seeded(7000, 5));
    std::vector<TChange> changes;
    for (int k = 0; k < 3; ++k) {
        const std::string name = "x" + std::to_string(k) + ".bin";
        WriteBytes(dir.File(name), Seeded(size_t(300 + 2500 * k), 10 + k));
        const int id = content(Seeded(size_t(300 + 2500 * k), 10 + k));
        changes.push_back({{"add", "IMG", dir.File(name)}, [name, id](TState& s) { s.push_back({name, id}); }});
    }
    changes.push_back({{"replace", "IMG", "1", dir.File("r.dat")}, [moved](TState& s) {
                           s.erase(s.begin() + 1);
                           s.push_back({"r.dat", moved});
                       }});
    changes.push_back({{"rename", "IMG", "2", "renamed.dat"}, [](TState& s) { s[2].first = "renamed.dat"; }});
    changes.push_back({{"delete", "IMG", "3"}, [](TState& s) { s.erase(s.begin() + 3); }});
    changes.push_back({{"txd", "IMG", "0", "--replace", "wall", dir.File("p.png")}, [](TState& s) { s[0].second = 1; }});
    changes.push_back({{"repack", "IMG", "--no-progress"}, [](TState&) {}});

    for (int round = 0; round < 5; ++round) {
        std::vector<std::pair<std::string, std::string>> entries;
        for (const auto& [name, id] : start) entries.push_back({name, contents[size_t(id)]});
        const std::string img = Make(entries);
        std::vector<TProc> procs;
        for (size_t i = 0; i < changes.size(); ++i) {
            changes[i].args[1] = img;
            procs.push_back(Start(changes[i].args, dir.File(std::to_string(i) + ".err")));
        }
        std::vector<const TChange*> done;
        for (size_t i = 0; i < changes.size(); ++i)
            if (Finish(procs[i], img) == 0) done.push_back(&changes[i]);
        const std::vector<TOnDisk> disk = ReadBack(img, Ver2());
        TState end;
        for (const TOnDisk& e : disk) {
            const auto at = std::find(contents.begin(), contents.end(), e.data);
            ASSERT_NE(at, contents.end()) << e.name << " holds bytes no change gave it";
            end.push_back({e.name, int(at - contents.begin())});
        }
        EXPECT_TRUE(SomeOrderGives(done, start, end)) << "round " << round;
        ExpectSeparateSectors(disk, Ver2());
    }
}

// A holder stopped in the middle of its change keeps the archive: a change
// gives up after --wait seconds with nothing written, saying once after a
// second that it waits. A holder killed lets the archive go at once.
TEST_P(CliLock, AStoppedHolderMakesOthersGiveUpAKilledOneFreesTheArchive)
{
    const std::string img = Make({{"one.dat", Seeded(3000, 1)}});
    WriteBytes(dir.File("n.bin"), "new");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        korvane::TArchiveLock lock = korvane::TArchiveLock::Acquire(img, korvane::TLockMode::lmExclusive);
        (void)!write(ready[1], "x", 1);
        for (;;) pause();
    }
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    close(ready[0]);
    close(ready[1]);
    kill(holder, SIGSTOP);
    const std::string arcBefore = ReadBytes(img), dirBefore = Ver2() ? "" : ReadBytes(dir.File("a.dir"));

    const struct {
        std::string args, err;
        double least, most;  // seconds
    } waits[] = {
        {"add " + Quote(img) + " " + Quote(dir.File("n.bin")) + " --wait 1", BusyLine(img), 0.95, 2.0},
        {"delete " + Quote(img) + " 0 --wait 2", WaitingLine(img) + BusyLine(img), 1.95, 3.0},
        {"list " + Quote(img) + " --wait 0", BusyLine(img), 0, 0.5},  // readers wait for a change too
    };
    for (const auto& w : waits) {
        const auto t0 = std::chrono::steady_clock::now();
        const TRun r = Cli(w.args);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        EXPECT_EQ(r.code, 1) << w.args;
        EXPECT_EQ(r.err, w.err);
        EXPECT_TRUE(seconds >= w.least && seconds < w.most) << w.args << ": " << seconds;
    }
    EXPECT_EQ(ReadBytes(img), arcBefore);
    EXPECT_EQ(Ver2() ? "" : ReadBytes(dir.File("a.dir")), dirBefore);

    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    const TRun r = Cli("add " + Quote(img) + " " + Quote(dir.File("n.bin")) + " --wait 0");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadBack(img, Ver2()).back().data, Padded("new"));
}

TEST(CliLockOptions, WaitTakesWholeOrDecimalSeconds)
{
    EXPECT_EQ(Cli("list nosuch.img --wait 1.").err.substr(0, 61), "korvane-cli list: --wait takes a number of seconds, not '1.'\n");
    EXPECT_EQ(Cli("list nosuch.img --wait 86401").code, 2);
    EXPECT_NE(Cli("list nosuch.img --wait 86400").err.find("File not found"), std::string::npos);
    EXPECT_NE(Cli("list nosuch.img --wait 0.5").err.find("File not found"), std::string::npos);
}
