// The language of korvane-cli's texts for people (sizes, column captions,
// model totals, the check's reports): Russian as the window has them, or
// English with "--lang en" or KORVANE_LANG=en. Error messages are English
// either way.
#pragma once

#include <string>
#include <vector>

#include "base/TextWords.h"

// Takes "--lang en|ru" out of the words (before a "--"), else reads
// KORVANE_LANG (anything but "en" or "ru" is ignored there), and chooses the
// words. Raises UsageError for a missing or unknown language after "--lang".
void ChooseCliLanguage(std::vector<std::string>& args, const char* environment);

// The words chosen; Russian until ChooseCliLanguage says otherwise.
const korvane::TTextWords& CliWords();
