#include <QApplication>

#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "app/Translations.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane"));
    QApplication::setApplicationVersion(QStringLiteral("3.0"));
    InstallRussianQtTranslations();

    QtPrompts prompts;
    TForm1 form(prompts, QApplication::arguments().mid(1));
    form.show();
    return app.exec();
}
