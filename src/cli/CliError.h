// The line korvane-cli prints on stderr when a command fails.
#pragma once

#include <exception>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>

// A failure that concerns a file without being a file error ("entry 20 (x.dff)
// holds no texture dictionary"): its line names the file first too.
class ECliFileError : public std::runtime_error {
public:
    ECliFileError(std::string path, const std::string& message) : std::runtime_error(message), Path(std::move(path)) {}
    std::string Path;
};

// "korvane-cli: " + the message, with the file it concerns before it
// ("korvane-cli: /home/u/notes.dir: File not found") when the error knows
// the file. A relative path is shown from the root, so the line says which
// file is meant wherever it is read.
std::string CliErrorLine(const std::exception& e);

namespace korvane {
struct TLockWait;
}
// The lock wait of a verb (its limit set by --wait): once the archive has
// been busy for a second, "korvane-cli: ARCHIVE: waiting for another program
// to finish changing it" on `err`, once.
korvane::TLockWait CliLockWait(std::ostream& err);
