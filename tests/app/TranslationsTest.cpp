#include <QCoreApplication>
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
