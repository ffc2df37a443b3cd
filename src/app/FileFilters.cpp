#include "app/FileFilters.h"

#include <QStringList>

QString ToQtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString text = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed();
        // The text often repeats the pattern in brackets; Qt reads the
        // pattern from the last brackets, so they are replaced.
        const QString shown = QStringLiteral("(") + pattern + QStringLiteral(")");
        if (text.endsWith(shown)) text = text.left(text.size() - shown.size()).trimmed();
        QStringList globs;
        for (const QString& glob : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (glob == QLatin1String("*.*") || glob == QLatin1String("*")) {
                globs << QStringLiteral("*");
                continue;
            }
            globs << glob;
            if (glob.toUpper() != glob) globs << glob.toUpper();
        }
        out << text + QStringLiteral(" (") + globs.join(QLatin1Char(' ')) + QStringLiteral(")");
    }
    return out.join(QStringLiteral(";;"));
}
