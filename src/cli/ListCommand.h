#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "archive/Catalogue.h"

// korvane-cli list ARCHIVE [--filter TEXT [--whole-word] [--match-case]] [--sort COL]... [--format text|tsv|json]
int ListCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
void ListUsage(std::ostream& out);

// The archive opened as the window opens it: every entry in one row, in catalogue order.
korvane::Catalogue OpenForListing(const std::string& archive);
