// Checked file access by path. Every failing call raises EInOutError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/FaultInjection.h"

namespace korvane {

class TFile {
public:
    // For the commands that change an archive, which open every file they
    // will write before writing any, so that a write-protected archive is
    // refused up front, not half-way through an edit.
    static TFile OpenReadWrite(const std::string& path);
    static TFile Create(const std::string& path);
    // For everything that only reads: opening, previews, extracting. An
    // archive the user may only read is still viewed.
    static TFile OpenReadOnly(const std::string& path);
    // For a file whose data goes into an archive (add, replace): nothing is
    // ever written to it, so it is only read and may be write-protected. A
    // folder is refused here ("File access denied"), before anything is written.
    static TFile OpenToCopyFrom(const std::string& path);

    TFile(TFile&& other) noexcept;
    TFile& operator=(TFile&& other) noexcept;
    TFile(const TFile&) = delete;
    TFile& operator=(const TFile&) = delete;
    ~TFile();

    uint64_t Size() const;
    uint64_t Position() const { return pos_; }
    void Seek(uint64_t pos)
    {
        FileOpPoint(foSeek);
        pos_ = pos;
    }
    // Reads exactly n bytes or raises "Read beyond end of file".
    void ReadExact(void* buf, size_t n);
    // Reads up to n bytes; fewer only at the end of the file.
    size_t ReadSome(void* buf, size_t n);
    void Write(const void* buf, size_t n);
    void Truncate(uint64_t size);
    // Flushes the file's data to the disk (fsync).
    void Sync();
    // The data and the length only (fdatasync): enough before anything
    // points at bytes just appended.
    void SyncData();
    // Starts writing the n bytes from `pos` to the disk without waiting for
    // them, so that a Sync later has less left to wait for.
    void StartWriteback(uint64_t pos, uint64_t n);
    // Permission bits; a replacement file takes those of the file it replaces.
    uint32_t Mode() const;
    void SetMode(uint32_t mode);
    void Close();
    const std::string& Path() const { return path_; }

private:
    friend uint64_t CopyFileData(TFile& from, TFile& to, uint64_t n);
    friend class TPrivateFolder;
    friend TFile CreateBelowFolder(const std::string& folder, const std::string& relative);
    TFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    int fd_ = -1;
    uint64_t pos_ = 0;
    std::string path_;
};

bool FileExists(const std::string& path);  // a regular file, not a folder
// Whether this user may open the file for writing, as the kernel decides it
// for the effective user: the superuser may write a mode-0444 file, but no
// one a file on a read-only mount or an immutable one. Nothing is opened.
bool FileWritable(const std::string& path);

// A folder of the user's own for files that others must not reach, such as
// copies made in the shared temporary folder: `parent`/`name`, made with mode
// 0700 when missing. A link, anything but a folder, a folder of another user
// or one that group or others have any permission on is refused with "File
// access denied": someone else could put a link in place of our files there.
class TPrivateFolder {
public:
    TPrivateFolder(const std::string& parent, const std::string& name);
    ~TPrivateFolder();
    TPrivateFolder(const TPrivateFolder&) = delete;
    TPrivateFolder& operator=(const TPrivateFolder&) = delete;
    // Creates the file `name` in the folder afresh (a file of that name goes
    // first), through the folder that was checked, never following a link.
    TFile CreateFresh(const std::string& name);
    const std::string& Path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

// Creates (or truncates) the file `relative` below `folder`, which may itself
// be a link, opening each folder on the way from the one before without
// following a link: a link there raises ELinkInTheWay naming it, and nothing
// is created. A link under the file's own name is removed and a file made in
// its place, so that the file it names is not written.
TFile CreateBelowFolder(const std::string& folder, const std::string& relative);

// Sequential reads through a fixed buffer; a read past the end of the file
// raises "Read beyond end of file".
class TBufferedReader {
public:
    explicit TBufferedReader(TFile& file, size_t bufferSize = 64 * 1024);
    void Seek(uint64_t pos);
    void Read(void* dst, size_t n);
    uint8_t ReadByte()
    {
        if (next_ == end_) Fill();
        return *next_++;
    }
    uint32_t ReadLE32();
    uint32_t ReadBE32();
    const std::string& Path() const { return file_.Path(); }

private:
    void Fill();  // at least one byte or raises
    TFile& file_;
    std::string buffer_;
    const uint8_t* next_ = nullptr;
    const uint8_t* end_ = nullptr;
    uint64_t filePos_ = 0;  // file position of end_
};

// Copies up to n bytes from `from` to `to`, each at its own position, and
// advances both. Ends early only where `from` ends; returns the bytes copied.
// The kernel copies between the files where it can, a fixed buffer otherwise.
uint64_t CopyFileData(TFile& from, TFile& to, uint64_t n);

}  // namespace korvane
