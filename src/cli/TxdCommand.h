#pragma once

#include <ostream>
#include <string>
#include <vector>

// korvane-cli txd SOURCE [INDEX] [--export DIR] [--mode color|mask|composite]
//                 [--size WxH] [--format bmp|png]
int TxdCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
void TxdUsage(std::ostream& out);
