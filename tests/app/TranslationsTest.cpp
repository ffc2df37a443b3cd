#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QTranslator>
#include <gtest/gtest.h>

#include "app/Translations.h"

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

    QFile file(ts);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString context, source, type, translation;
    QStringList untranslated, gone;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("name")) context = xml.readElementText();
        if (xml.isStartElement() && xml.name() == QLatin1String("source")) source = xml.readElementText();
        if (xml.isStartElement() && xml.name() == QLatin1String("translation")) {
            type = xml.attributes().value(QLatin1String("type")).toString();
            translation = xml.readElementText();
            const QString what = context + ": \"" + source + '"';
            if (type == QLatin1String("obsolete") || type == QLatin1String("vanished"))
                gone << what;
            else if (type == QLatin1String("unfinished") || translation.isEmpty())
                untranslated << what;
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(untranslated.isEmpty()) << "texts without English (run the update_translations target and give "
                                           "them their English in data/translations/korvane_en.ts):\n"
                                        << untranslated.join('\n').toStdString();
    EXPECT_TRUE(gone.isEmpty()) << "texts no longer in the sources:\n" << gone.join('\n').toStdString();
    file.seek(0);
    QFile kept(QStringLiteral(KORVANE_TS));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == kept.readAll()) << "update_translations would change korvane_en.ts";
}
