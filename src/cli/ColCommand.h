#pragma once

#include <ostream>
#include <string>
#include <vector>

// korvane-cli col SOURCE [INDEX] [--obj FILE [--model NAME]] [--format text|tsv|json]
int ColCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
