#pragma once

#include <ostream>
#include <string>
#include <vector>

// korvane-cli extract ARCHIVE [INDEX...] [-C DIR] | extract ARCHIVE INDEX --to FILE
int ExtractCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// korvane-cli add ARCHIVE FILE...
int AddCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// korvane-cli replace ARCHIVE INDEX FILE
int ReplaceCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// korvane-cli delete ARCHIVE INDEX...
int DeleteCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// korvane-cli rename ARCHIVE INDEX NEWNAME
int RenameCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// korvane-cli import ARCHIVE FILE|DIR... [--dry-run] [--cut-names] [--format text|tsv|json]
int ImportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
