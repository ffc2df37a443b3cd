#include "app/Prompts.h"

#include <QDialog>
#include <QFileDialog>
#include <algorithm>

#include "app/FileFilters.h"

QString QtPrompts::OpenFile(QWidget* owner, const QString& /*dialog*/, const QString& filter)
{
    return QFileDialog::getOpenFileName(owner, QString(), QString(), ToQtFilter(filter));
}

QStringList QtPrompts::OpenFiles(QWidget* owner, const QString& /*dialog*/, const QString& filter)
{
    return QFileDialog::getOpenFileNames(owner, QString(), QString(), ToQtFilter(filter));
}

QString QtPrompts::SaveFile(QWidget* owner, const QString& /*dialog*/, const QString& filter,
                            const QString& initialName, int* chosenFilter)
{
    // QFileDialog asks before overwriting an existing file.
    const QString filters = ToQtFilter(filter);
    QString chosen;
    const QString path = QFileDialog::getSaveFileName(owner, QString(), initialName, filters, &chosen);
    if (chosenFilter) *chosenFilter = std::max<int>(0, int(filters.split(QStringLiteral(";;")).indexOf(chosen)));
    return path;
}

QString QtPrompts::ChooseFolder(QWidget* owner, const QString& title)
{
    return QFileDialog::getExistingDirectory(owner, title);
}

QMessageBox::StandardButton QtPrompts::Question(QWidget* owner, const QString& text, const QString& caption,
                                                QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)
{
    QMessageBox box(icon, caption, text, buttons, owner);
    return QMessageBox::StandardButton(box.exec());
}

void QtPrompts::Message(QWidget* owner, const QString& text, const QString& caption, QMessageBox::Icon icon)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

void QtPrompts::ShowModal(QDialog* dialog) { dialog->exec(); }
