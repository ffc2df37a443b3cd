// The rename dialog: one line for the entry's new name.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent);

    QLabel* Label1;
    QLineEdit* Edit1;    // at most 24 characters, as a directory record holds
    QPushButton* Button1;  // "OK", the default button
    QPushButton* Button2;  // "Отмена"

protected:
    void showEvent(QShowEvent* event) override;
};
