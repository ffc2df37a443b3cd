#pragma once

#include <ostream>
#include <string>
#include <vector>

// korvane-cli txd SOURCE [INDEX] [--export DIR] [--mode color|mask|composite]
//                 [--size WxH] [--format bmp|png]
// korvane-cli txd SOURCE [INDEX] --replace NAME IMAGE | --add IMAGE [--name NAME]
//                 [--encoding dxt1|dxt3|dxt5|bgra32] | --remove NAME
int TxdCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
void TxdUsage(std::ostream& out);
