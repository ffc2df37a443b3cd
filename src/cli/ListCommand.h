#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "archive/Catalogue.h"

// korvane-cli list ARCHIVE [--filter TEXT [--whole-word] [--match-case]] [--sort COL]... [--format text|tsv|json]
int ListCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
void ListUsage(std::ostream& out);

