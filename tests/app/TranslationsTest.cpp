#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QTranslator>
#include <gtest/gtest.h>

#include "app/Translations.h"
#include "app/WindowCommandLine.h"

// Standard buttons and dialogs speak Russian like the rest of the window.
TEST(QtTranslations, StandardButtonsReadInRussian)
{
    QTranslator* t = InstallRussianQtTranslations();
    if (!t) GTEST_SKIP() << "Qt's Russian translations are not installed";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), "&Да");
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&No"), "&Нет");
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Отмена");
    QCoreApplication::removeTranslator(t);
    delete t;
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), "&Yes");
}

namespace {

// A translation file's messages: "context: "source"" to its translation, or
// to "" when it has none yet; obsolete and vanished ones under "gone ".
QMap<QString, QString> ReadTs(const QString& path)
{
    QMap<QString, QString> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return messages;
    QXmlStreamReader xml(&file);
    QString context, source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QLatin1String("name")) context = xml.readElementText();
        if (xml.name() == QLatin1String("source")) source = xml.readElementText();
        if (xml.name() != QLatin1String("translation")) continue;
        const QString type = xml.attributes().value(QLatin1String("type")).toString();
        const QString text = xml.readElementText(), key = context + ": \"" + source + '"';
        if (type == QLatin1String("obsolete") || type == QLatin1String("vanished"))
            messages.insert("gone " + key, text);
        else
            messages.insert(key, type == QLatin1String("unfinished") ? QString() : text);
    }
    return messages;
}

}  // namespace

// lupdate, run over the window's sources as `update_translations` runs it,
// finds nothing to add to the English translation and nothing to drop, and
// every text there has its English. A failure names the texts.
TEST(WindowTranslation, TheEnglishCoversEveryTextOfTheSourcesAndNothingElse)
{
    QTemporaryDir tmp;
    const QString ts = tmp.filePath(QStringLiteral("korvane_en.ts"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KORVANE_TS), ts));
    QFile::setPermissions(ts, QFile::ReadOwner | QFile::WriteOwner);
    QStringList args = QString::fromUtf8(KORVANE_LUPDATE_OPTIONS).split('|');
    args << QStringLiteral(KORVANE_SOURCE_DIR "/src/app") << QStringLiteral("-ts") << ts;
    QProcess lupdate;
    lupdate.start(QStringLiteral(KORVANE_LUPDATE), args);
    ASSERT_TRUE(lupdate.waitForFinished(120000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();

    const QMap<QString, QString> kept = ReadTs(QStringLiteral(KORVANE_TS)), updated = ReadTs(ts);
    ASSERT_FALSE(kept.isEmpty());
    QStringList untranslated, gone;
    for (auto m = updated.begin(); m != updated.end(); ++m)
        if (m.value().isEmpty()) untranslated << m.key();
    for (auto m = kept.begin(); m != kept.end(); ++m)
        if (!updated.contains(m.key()) || m.key().startsWith("gone ")) gone << m.key();
    EXPECT_TRUE(untranslated.isEmpty()) << "texts without English (run the update_translations target and give "
                                           "them their English in data/translations/korvane_en.ts):\n"
                                        << untranslated.join('\n').toStdString();
    EXPECT_TRUE(gone.isEmpty()) << "texts in korvane_en.ts no longer in the sources:\n" << gone.join('\n').toStdString();
    QFile before(QStringLiteral(KORVANE_TS)), after(ts);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly) && after.open(QIODevice::ReadOnly));
    EXPECT_TRUE(before.readAll() == after.readAll()) << "update_translations would change korvane_en.ts";
}

// Which language the window starts in, and what it remembers: the command
// line over KORVANE_LANG over the last choice over Russian.
TEST(WindowLanguage, TheCommandLineThenTheEnvironmentThenTheLastChoice)
{
    QTemporaryDir tmp;
    QSettings settings(tmp.filePath(QStringLiteral("k.conf")), QSettings::IniFormat);
    const auto en = TWindowLanguage::wlEnglish, ru = TWindowLanguage::wlRussian;
    const struct {
        std::optional<TWindowLanguage> given;
        const char* environment;
        TWindowLanguage want;
    } steps[] = {
        {{}, "", ru},      // nothing chosen yet
        {{}, "de", ru},    // an unknown name is no choice
        {{}, "EN", ru},    // nor another spelling
        {{}, "en", en},    // KORVANE_LANG, remembered
        {{}, "", en},      // the last choice
        {ru, "en", ru},    // the option wins, remembered
        {{}, "", ru},
        {en, "", en},
    };
    for (const auto& s : steps) EXPECT_EQ(ChooseLanguage(s.given, QString::fromLatin1(s.environment), settings), s.want);
}

TEST(WindowLanguage, CommandLine)
{
    const auto parse = [](const char* line) {
        return ParseWindowCommandLine(QString::fromLatin1(line).split(' ', Qt::SkipEmptyParts));
    };
    TWindowCommandLine l = parse("--lang en a.img b.img");
    EXPECT_TRUE(l.Language == TWindowLanguage::wlEnglish && l.Error.isEmpty() && !l.Help);
    EXPECT_EQ(l.Files, QStringList({"a.img", "b.img"}));
    l = parse("a.img --lang ru");
    EXPECT_TRUE(l.Language == TWindowLanguage::wlRussian && l.Files == QStringList({"a.img"}));
    l = parse("-- --lang --help");  // after "--" only files
    EXPECT_TRUE(!l.Language && !l.Help && l.Files == QStringList({"--lang", "--help"}));
    EXPECT_TRUE(parse("x -h").Help);
    EXPECT_EQ(parse("--lang").Error, "--lang needs en or ru");
    EXPECT_EQ(parse("--lang de x").Error, "--lang takes en or ru, not 'de'");
}
