#include "app/WindowCommandLine.h"

const char* const WindowUsage =
    "usage: korvane [--lang en|ru] [ARCHIVE]\n"
    "  Opens the window, and ARCHIVE in it when given (an .img, VER2, VXBG or\n"
    "  BIGF archive).\n"
    "  --lang en|ru  the window's language: English or Russian. Without it the\n"
    "                environment variable KORVANE_LANG (en or ru) decides, else\n"
    "                the language last chosen either way, else Russian.\n"
    "  --help        prints this and exits\n";

TWindowCommandLine ParseWindowCommandLine(const QStringList& args)
{
    TWindowCommandLine line;
    bool options = true;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (options && a == QLatin1String("--")) {
            options = false;
        } else if (options && (a == QLatin1String("--help") || a == QLatin1String("-h"))) {
            line.Help = true;
        } else if (options && a == QLatin1String("--lang")) {
            if (i + 1 >= args.size()) {
                line.Error = QStringLiteral("--lang needs en or ru");
                return line;
            }
            line.Language = LanguageNamed(args[++i]);
            if (!line.Language) {
                line.Error = QStringLiteral("--lang takes en or ru, not '%1'").arg(args[i]);
                return line;
            }
        } else {
            line.Files << a;
        }
    }
    return line;
}
