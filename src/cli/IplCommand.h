#pragma once

#include <ostream>
#include <string>
#include <vector>

// korvane-cli ipl SOURCE [INDEX] [-o FILE]
int IplCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
void IplUsage(std::ostream& out);
