// List rows printed as korvane-cli shows them: "text" (a header and columns
// padded to their widest text), "tsv" or "json".
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "archive/Catalogue.h"
#include "listview/RowOrder.h"

// rows are list rows (positions in RowOrder), printed in the order given;
// marked is the column whose caption carries the sort mark, or -1.
void PrintRows(const korvane::Catalogue& cat, const korvane::TRowOrder& order, const std::vector<uint32_t>& rows, int marked,
               const std::string& format, std::ostream& out);
