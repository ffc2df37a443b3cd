#pragma once

#include <ostream>
#include <string>
#include <vector>

// korvane-cli make-demo DIR
int DemoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
