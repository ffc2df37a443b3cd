// A catalogue with the window's rows over it, for the tests of the list's
// rows and of the entry operations that the rows follow.
#pragma once

#include <utility>

#include "archive/Catalogue.h"
#include "listview/RowOrder.h"

namespace korvane {

struct TListedCatalogue : Catalogue, TRowOrder {
    TListedCatalogue() = default;
    explicit TListedCatalogue(Catalogue cat) : Catalogue(std::move(cat)), TRowOrder(OpenedRowOrder(Entries.size())) {}
};

}  // namespace korvane
