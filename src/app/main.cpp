#include <QApplication>
#include <QIcon>
#include <QSettings>
#include <cstdio>

#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "app/Translations.h"
#include "app/WindowCommandLine.h"

int main(int argc, char** argv)
{
    // Help and usage errors are answered before the application needs a display.
    QStringList rawArgs;
    for (int i = 1; i < argc; ++i) rawArgs << QString::fromLocal8Bit(argv[i]);
    const TWindowCommandLine raw = ParseWindowCommandLine(rawArgs);
    if (!raw.Error.isEmpty()) {
        std::fprintf(stderr, "korvane: %s\n%s", raw.Error.toLocal8Bit().constData(), WindowUsage);
        return 2;
    }
    if (raw.Help) {
        std::fputs(WindowUsage, stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane"));
    QApplication::setApplicationVersion(QStringLiteral("3.0"));
    // Qt has taken its own options (-style...) out of these.
    const TWindowCommandLine line = ParseWindowCommandLine(QApplication::arguments().mid(1));
    QSettings settings(QStringLiteral("Korvane"), QStringLiteral("Korvane"));
    const TWindowLanguage language =
        ChooseLanguage(line.Language, qEnvironmentVariable("KORVANE_LANG"), settings);
    bool missing = false;
    InstallTranslations(language, TranslationDirs(), &missing);
    if (missing) std::fputs("korvane: the English translation (korvane_en.qm) is missing; the window stays Russian\n", stderr);
    QIcon icon;
    for (const char* size : {"32", "48", "256"}) icon.addFile(QStringLiteral(":/icons/korvane-%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    QApplication::setDesktopFileName(QStringLiteral("korvane"));

    QtPrompts prompts;
    TMainWindow form(prompts, line.Files);
    form.show();
    return app.exec();
}
