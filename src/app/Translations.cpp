#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QTranslator* InstallRussianQtTranslations()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    // "qt_ru" pulls in qtbase_ru and the other module catalogues it names.
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qt_ru"), dir) && !translator->load(QStringLiteral("qtbase_ru"), dir)) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}
