// The window's command line: files to open, "--lang en|ru" and "--help".
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "app/Translations.h"

struct TWindowCommandLine {
    QStringList Files;                        // the rest, in order; the first existing file is opened
    std::optional<TWindowLanguage> Language;  // "--lang NAME"
    bool Help = false;                        // "--help" or "-h"
    QString Error;                            // why the line was refused (usage error)
};

// Options are read up to a "--"; everything after it is a file.
TWindowCommandLine ParseWindowCommandLine(const QStringList& args);

// What `korvane --help` prints.
extern const char* const WindowUsage;
