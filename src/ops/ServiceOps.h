// Listing an archive's rows, and the "Сервис" commands: repack and check.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/Catalogue.h"
#include "archive/QuickCheck.h"
#include "archive/Repack.h"
#include "listview/RowOrder.h"
#include "listview/SearchMask.h"
#include "ops/ArchiveOps.h"

namespace korvane::ops {

// The rows as the window shows them after the search filter (when given)
// and then one header click per column in `sorts`.
struct TListing {
    TRowOrder Order;
    uint32_t Rows = 0;   // RowOrder[0 .. Rows-1] are shown
    int Marked = -1;     // the column whose caption carries the sort mark
};
TListing List(const Catalogue& cat, const std::optional<TSearchMask>& filter, const std::vector<int>& sorts);

// Raises ENoServiceCommands unless the kind has the "Сервис" commands.
void CheckServiceKind(TArchiveKind kind);

// The archive rewritten without unused space (see RepackArchive); the
// catalogue takes the new offsets as soon as the files hold them.
void Repack(TLockedCatalogue& locked, const TRepackProgress& progress = {});

// The entry names checked (see QuickCheck).
TCheckResult Check(const Catalogue& cat);

}  // namespace korvane::ops
