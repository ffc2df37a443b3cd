// The line korvane-cli prints on stderr when a command fails.
#pragma once

#include <exception>
#include <string>

// "korvane-cli: " + the message, with the file it concerns before it
// ("korvane-cli: /home/u/notes.dir: File not found") when the error knows
// the file. A relative path is shown from the root, so the line says which
// file is meant wherever it is read.
std::string CliErrorLine(const std::exception& e);
