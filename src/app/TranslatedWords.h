// The core's words (size units, column captions, model and collision totals,
// the check's reports) in the window's language, taken from its translation.
#pragma once

#include <QCoreApplication>
#include <array>
#include <string>

#include "base/TextWords.h"

class TTranslatedWords {
    Q_DECLARE_TR_FUNCTIONS(TTranslatedWords)
public:
    // Looks every word up in the translators installed now.
    TTranslatedWords();
    TTranslatedWords(const TTranslatedWords&) = delete;
    TTranslatedWords& operator=(const TTranslatedWords&) = delete;
    const korvane::TTextWords& Words() const { return words_; }

private:
    std::array<std::string, 19> text_;
    korvane::TTextWords words_;
};
