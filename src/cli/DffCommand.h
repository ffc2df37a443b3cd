#pragma once

#include <ostream>
#include <string>
#include <vector>

// korvane-cli dff SOURCE [INDEX] [--obj FILE]
int DffCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
void DffUsage(std::ostream& out);
