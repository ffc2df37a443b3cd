// The window's language: Russian, as the program has always been, or English
// on request; and the translators that make it so, Qt's own texts included.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class QSettings;
class QTranslator;

enum class TWindowLanguage { wlRussian, wlEnglish };

// "ru" or "en"; nothing for any other name.
std::optional<TWindowLanguage> LanguageNamed(const QString& name);

// The language the window starts in: the one given on the command line, else
// KORVANE_LANG's (`environment`, ignored unless "ru" or "en"), else the one
// remembered in the settings, else Russian. A language given either way is
// remembered for the next start.
TWindowLanguage ChooseLanguage(std::optional<TWindowLanguage> given, const QString& environment, QSettings& settings);

// Where korvane_en.qm is looked for: beside the program (the build folder),
// then in the installed tree's share/korvane/translations.
QStringList TranslationDirs();

// Installs the translators of the language and returns them (owned by the
// application). Russian: Qt's Russian texts, when the system has them.
// English: the window's English from the first of `dirs` that holds
// korvane_en.qm, and Qt's English (qtbase_en) when there, else Qt's texts as
// they are. Without korvane_en.qm the window stays Russian and `missing`
// is set.
std::vector<QTranslator*> InstallTranslations(TWindowLanguage language, const QStringList& dirs, bool* missing = nullptr);

// Installs Qt's Russian translations when the system has them; returns the
// installed translator, or nullptr when no translation file could be loaded
// (the texts then stay as Qt has them).
QTranslator* InstallRussianQtTranslations();
