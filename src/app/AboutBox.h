#pragma once

#include <QDialog>

// The about box.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent);
};
