#include <QApplication>
#include <QIcon>

#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "app/Translations.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane"));
    QApplication::setApplicationVersion(QStringLiteral("3.0"));
    InstallRussianQtTranslations();
    QIcon icon;
    for (const char* size : {"32", "48", "256"}) icon.addFile(QStringLiteral(":/icons/korvane-%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    QApplication::setDesktopFileName(QStringLiteral("korvane"));

    QtPrompts prompts;
    TForm1 form(prompts, QApplication::arguments().mid(1));
    form.show();
    return app.exec();
}
