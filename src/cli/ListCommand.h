#pragma once

#include <ostream>
#include <string>
#include <vector>

// korvane-cli list ARCHIVE [--sort COL]... [--format text|tsv|json]
int ListCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
void ListUsage(std::ostream& out);
