// The modeless find dialog: a text, "whole word", "match case" and find-next.
// It keeps its values between uses; the search commands read them afresh.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFindDialog(QWidget* parent);
    QString FindText() const;
    void SetFindText(const QString& text);
    bool WholeWord() const;
    bool MatchCase() const;
    // Shows the dialog, or brings it to the front, ready for typing.
    void Present();

signals:
    void Find();

private:
    QLineEdit* text_;
    QCheckBox* wholeWord_;
    QCheckBox* matchCase_;
    QPushButton* findNext_;
};
