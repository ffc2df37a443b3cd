// Answers the window's dialogs from a script and records every question.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "app/Prompts.h"

struct TPromptCall {
    QString kind;  // "open", "openMany", "save", "folder", "question", "message", "modal"
    QString dialog;
    QString text;
    QString caption;
    QString filter;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

class ScriptedPrompts : public Prompts {
public:
    // Queued answers, taken in order by the dialog calls that need one.
    void AnswerOpen(const QString& path) { files_.push_back({path}); }
    void AnswerOpenMany(const QStringList& paths) { files_.push_back(paths); }
    // `filter`: the number of the filter the user chose.
    void AnswerSave(const QString& path, int filter = 0) { files_.push_back({path, QString::number(filter)}); }
    void AnswerFolder(const QString& path) { files_.push_back({path}); }
    void AnswerQuestion(QMessageBox::StandardButton b) { buttons_.push_back(b); }

    std::vector<TPromptCall> calls;
    // Plays the user's part in a modal dialog (type, press a button); without
    // it the dialog is left as it was shown.
    std::function<void(QDialog*)> onModal;
    bool AllAnswersUsed() const { return files_.empty() && buttons_.empty(); }
    // Texts of the boxes shown (errors and notices), in order.
    QStringList Messages() const;

    QString OpenFile(QWidget* owner, const QString& dialog, const QString& filter) override;
    QStringList OpenFiles(QWidget* owner, const QString& dialog, const QString& filter) override;
    QString SaveFile(QWidget* owner, const QString& dialog, const QString& filter, const QString& initialName,
                     int* chosenFilter = nullptr) override;
    QString ChooseFolder(QWidget* owner, const QString& title) override;
    QMessageBox::StandardButton Question(QWidget* owner, const QString& text, const QString& caption,
                                         QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) override;
    void Message(QWidget* owner, const QString& text, const QString& caption, QMessageBox::Icon icon) override;
    void ShowModal(QDialog* dialog) override;

private:
    QStringList NextFiles(const char* kind);
    std::deque<QStringList> files_;
    std::deque<QMessageBox::StandardButton> buttons_;
};
