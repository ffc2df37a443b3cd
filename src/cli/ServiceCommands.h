#pragma once

#include <ostream>
#include <string>
#include <vector>

// korvane-cli repack ARCHIVE [--progress|--no-progress]
int RepackCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
void RepackUsage(std::ostream& out);
// korvane-cli check ARCHIVE
int CheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
void CheckUsage(std::ostream& out);
