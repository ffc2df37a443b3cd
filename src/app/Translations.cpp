#include "app/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QSettings>
#include <QTranslator>

namespace {

const QString LanguageKey = QStringLiteral("Language");

QString LanguageName(TWindowLanguage language)
{
    return language == TWindowLanguage::wlEnglish ? QStringLiteral("en") : QStringLiteral("ru");
}

// Loads the first of `names` found in `dir` and installs it.
QTranslator* InstallFirst(const QStringList& names, const QString& dir)
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    for (const QString& name : names) {
        if (translator->load(name, dir)) {
            QCoreApplication::installTranslator(translator);
            return translator;
        }
    }
    delete translator;
    return nullptr;
}

}  // namespace

std::optional<TWindowLanguage> LanguageNamed(const QString& name)
{
    if (name == QLatin1String("ru")) return TWindowLanguage::wlRussian;
    if (name == QLatin1String("en")) return TWindowLanguage::wlEnglish;
    return std::nullopt;
}

TWindowLanguage ChooseLanguage(std::optional<TWindowLanguage> given, const QString& environment, QSettings& settings)
{
    if (!given) given = LanguageNamed(environment);
    if (given) {
        settings.setValue(LanguageKey, LanguageName(*given));
        return *given;
    }
    return LanguageNamed(settings.value(LanguageKey).toString()).value_or(TWindowLanguage::wlRussian);
}

QStringList TranslationDirs()
{
    const QString bin = QCoreApplication::applicationDirPath();
    return {bin, QDir::cleanPath(bin + QStringLiteral("/../share/korvane/translations"))};
}

std::vector<QTranslator*> InstallTranslations(TWindowLanguage language, const QStringList& dirs, bool* missing)
{
    std::vector<QTranslator*> installed;
    if (missing) *missing = false;
    const auto keep = [&installed](QTranslator* t) {
        if (t) installed.push_back(t);
    };
    if (language == TWindowLanguage::wlEnglish) {
        QTranslator* window = nullptr;
        for (const QString& dir : dirs)
            if (!window) window = InstallFirst({QStringLiteral("korvane_en")}, dir);
        if (window) {
            keep(window);
            // Qt's texts are English already; its catalogue only settles
            // plural forms and the like.
            keep(InstallFirst({QStringLiteral("qt_en"), QStringLiteral("qtbase_en")},
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
            return installed;
        }
        if (missing) *missing = true;
    }
    keep(InstallRussianQtTranslations());
    return installed;
}

QTranslator* InstallRussianQtTranslations()
{
    // "qt_ru" pulls in qtbase_ru and the other module catalogues it names.
    return InstallFirst({QStringLiteral("qt_ru"), QStringLiteral("qtbase_ru")},
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}
