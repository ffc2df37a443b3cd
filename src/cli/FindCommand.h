#pragma once

#include <ostream>
#include <string>
#include <vector>

// korvane-cli find ARCHIVE TEXT [--whole-word] [--match-case] [--format text|tsv|json]
int FindCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
void FindUsage(std::ostream& out);
