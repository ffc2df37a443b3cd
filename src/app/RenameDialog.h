// The rename dialog: one line for the entry's new name.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TRenameDialog : public QDialog {
    Q_OBJECT
public:
    explicit TRenameDialog(QWidget* parent);

    QLabel* NameLabel;
    QLineEdit* NameEdit;    // at most 24 characters, as a directory record holds
    QPushButton* OkButton;  // "OK", the default button
    QPushButton* CancelButton;  // "Отмена"

protected:
    void showEvent(QShowEvent* event) override;
};
