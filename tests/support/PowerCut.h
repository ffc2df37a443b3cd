// What a power cut in the middle of a command may leave on the disk, worked
// out from the file system steps the fault injector recorded (TIoRecord).
//
// The model: a file's data steps since its last Sync (writes cut into 4 KiB
// pages at file offsets 4096*k, truncates, the emptying of a Create) reach
// the disk in any subset; the name steps (creating a new file, rename,
// remove) since the last SyncFolder of the folder reach it as an ordered
// prefix, as a file system that journals its metadata in order commits them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/FaultInjection.h"

using TFolderFiles = std::map<std::string, std::string>;  // file name in the folder -> bytes

struct TDiskState {
    TFolderFiles Files;
    std::string Label;  // the cut and what was lost, e.g. "cut after step 7 (Write a.img @4096): page 2 of 3 ... dropped"
};

// Every state, without duplicates, that a cut after event k (k = 0..N; k = N
// also covers a cut right after the finished command) can leave of the files
// of `folder`, which held `before` when the command began. Events on paths
// outside `folder` are left out. Per cut: everything kept, nothing kept, each
// single data step dropped, each prefix of the name steps (data kept), and
// `randomPerCut` random subsets drawn from std::mt19937(seed).
std::vector<TDiskState> PowerCutStates(const TFolderFiles& before, const std::string& folder,
                                       const std::vector<korvane::TIoEvent>& events, uint32_t seed, int randomPerCut);

// The regular files directly in `folder`, by name.
TFolderFiles FolderFiles(const std::string& folder);
// Writes the state's files into `folder` (meant to be a fresh one).
void WriteDiskState(const TDiskState& state, const std::string& folder);
