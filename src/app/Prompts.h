// Every question the window asks the user goes through Prompts, so the tests
// can answer them from a script while the real program shows real dialogs.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

class Prompts {
public:
    virtual ~Prompts() = default;
    // `dialog` names the dialog ("OpenDialog1", ...); filters are written
    // "Text|*.ext|Text|*.*". An empty result means the dialog was cancelled.
    // SaveFile stores the number of the filter chosen (0 for the first) in
    // `chosenFilter` when that is given.
    virtual QString OpenFile(QWidget* owner, const QString& dialog, const QString& filter) = 0;
    virtual QStringList OpenFiles(QWidget* owner, const QString& dialog, const QString& filter) = 0;
    virtual QString SaveFile(QWidget* owner, const QString& dialog, const QString& filter,
                             const QString& initialName, int* chosenFilter = nullptr) = 0;
    virtual QString ChooseFolder(QWidget* owner, const QString& title) = 0;
    virtual QMessageBox::StandardButton Question(QWidget* owner, const QString& text, const QString& caption,
                                                 QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) = 0;
    // A box with an OK button.
    virtual void Message(QWidget* owner, const QString& text, const QString& caption, QMessageBox::Icon icon) = 0;
    virtual void ShowModal(QDialog* dialog) = 0;
};

// The real dialogs.
class QtPrompts : public Prompts {
public:
    QString OpenFile(QWidget* owner, const QString& dialog, const QString& filter) override;
    QStringList OpenFiles(QWidget* owner, const QString& dialog, const QString& filter) override;
    QString SaveFile(QWidget* owner, const QString& dialog, const QString& filter, const QString& initialName,
                     int* chosenFilter = nullptr) override;
    QString ChooseFolder(QWidget* owner, const QString& title) override;
    QMessageBox::StandardButton Question(QWidget* owner, const QString& text, const QString& caption,
                                         QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) override;
    void Message(QWidget* owner, const QString& text, const QString& caption, QMessageBox::Icon icon) override;
    void ShowModal(QDialog* dialog) override;
};
