// The fault injector: every checked file operation passes a counting point,
// so that tests can fail, or crash at, any single step of a command.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

// Kinds of checked file operations, as counted by the fault injector.
enum TFileOp : uint32_t {
    foOpen = 1u << 0,    // open or create
    foRead = 1u << 1,
    foWrite = 1u << 2,
    foSeek = 1u << 3,
    foSync = 1u << 4,    // fsync of a file or a folder
    foRename = 1u << 5,
    foRemove = 1u << 6,
    foOther = 1u << 7,   // length, truncate, close, permissions
    foAll = 0xFFu,
};

// One file system step of a command, as the power-cut simulation records it.
struct TIoEvent {
    enum TKind : uint8_t { Create, Write, Truncate, Sync, SyncFolder, Rename, Remove };
    TKind Kind;
    std::string Path;   // the file (Rename: the old name; SyncFolder: the folder)
    std::string To;     // Rename: the new name
    uint64_t Pos = 0;   // Write: the offset; Truncate: the new length
    std::string Bytes;  // Write: the bytes written
};
struct TIoRecord {
    std::vector<TIoEvent> Events;
};

namespace detail {
extern std::atomic<bool> gFaultArmed;
void CountFileOp(TFileOp op);
int KernelCopyRefusal();
TIoRecord* IoRecord();
}  // namespace detail

// Every checked operation passes here first; it costs one relaxed load
// unless a test has armed a fault.
inline void FileOpPoint(TFileOp op)
{
    if (detail::gFaultArmed.load(std::memory_order_relaxed)) detail::CountFileOp(op);
}

// The errno the armed plan refuses kernel copies with; 0 when they run.
inline int KernelCopyRefusal()
{
    return detail::gFaultArmed.load(std::memory_order_relaxed) ? detail::KernelCopyRefusal() : 0;
}

// The record the armed plan appends each successful step to, or null: the
// caller records a step after it succeeded, only when this is not null.
inline TIoRecord* IoRecord()
{
    return detail::gFaultArmed.load(std::memory_order_relaxed) ? detail::IoRecord() : nullptr;
}

// Fails the FailAt-th counted operation (1-based) with `Errno`, raising the
// EInOutError that a real failure with that errno raises (or ends the process
// there, see Crash). Only operations whose kind is in `Ops` are counted.
struct TFaultPlan {
    uint64_t FailAt = 0;
    int Errno = 5;  // EIO
    uint32_t Ops = foAll;
    // Instead of failing, the process ends on the spot, as in a crash or a
    // power cut: nothing after that operation runs, no clean-up included.
    bool Crash = false;
    // Instead of failing, Act(ActArg) runs at that operation and the command
    // goes on: another program changing the files between two of its steps.
    void (*Act)(void*) = nullptr;
    void* ActArg = nullptr;
    // When not 0, every kernel copy between files fails with this errno
    // (EXDEV, EINVAL, ENOSYS: a file system that cannot copy), so that the
    // copying through a buffer is what runs.
    int RefuseKernelCopy = 0;
    // When set, every successful write, truncate, create, rename, unlink and
    // sync is appended here (with FailAt 0 the plan only records).
    TIoRecord* Record = nullptr;
};

// The exit status of a process ended by a plan's Crash.
constexpr int kCrashExitCode = 86;

// Arms a plan for its lifetime; one at a time.
class TFaultInjection {
public:
    explicit TFaultInjection(const TFaultPlan& plan);
    ~TFaultInjection();
    TFaultInjection(const TFaultInjection&) = delete;
    TFaultInjection& operator=(const TFaultInjection&) = delete;
    uint64_t Counted() const;  // operations counted so far
    bool Fired() const;
    TFileOp FiredOp() const;   // kind of the failed operation, when it fired
};

}  // namespace korvane
