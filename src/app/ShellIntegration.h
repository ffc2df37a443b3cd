// The "Открыть в Korvane" verb for ".img" files, as a desktop entry under
// $XDG_DATA_HOME/applications (by default ~/.local/share/applications).
#pragma once

#include <string>

std::string ShellIntegrationEntryPath();
// The desktop entry that runs `executable` with the file as its argument.
std::string ShellIntegrationEntryText(const std::string& executable);
// Writes the entry; raises EInOutError when it cannot be written.
void InstallShellIntegration(const std::string& executable);
// Removes the entry; a failure is passed over.
void RemoveShellIntegration();
