#pragma once

#include <ostream>
#include <string>
#include <vector>

// korvane-cli ifp SOURCE [INDEX] [--format text|tsv|json]
int IfpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
