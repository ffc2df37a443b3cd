#include "ScriptedPrompts.h"

#include <QDialog>
#include <gtest/gtest.h>

QStringList ScriptedPrompts::NextFiles(const char* kind)
{
    if (files_.empty()) {
        ADD_FAILURE() << "unexpected " << kind << " dialog";
        return {};
    }
    QStringList answer = files_.front();
    files_.pop_front();
    return answer;
}

QStringList ScriptedPrompts::Messages() const
{
    QStringList out;
    for (const TPromptCall& c : calls)
        if (c.kind == QLatin1String("message")) out << c.text;
    return out;
}

QString ScriptedPrompts::OpenFile(QWidget*, const QString& dialog, const QString& filter)
{
    calls.push_back({"open", dialog, {}, {}, filter});
    return NextFiles("open").value(0);
}

QStringList ScriptedPrompts::OpenFiles(QWidget*, const QString& dialog, const QString& filter)
{
    calls.push_back({"openMany", dialog, {}, {}, filter});
    return NextFiles("open");
}

QString ScriptedPrompts::SaveFile(QWidget*, const QString& dialog, const QString& filter, const QString& initialName,
                                  int* chosenFilter)
{
    calls.push_back({"save", dialog, initialName, {}, filter});
    const QStringList answer = NextFiles("save");
    if (chosenFilter) *chosenFilter = answer.value(1).toInt();
    return answer.value(0);
}

QString ScriptedPrompts::ChooseFolder(QWidget*, const QString& title)
{
    calls.push_back({"folder", {}, title});
    return NextFiles("folder").value(0);
}

QMessageBox::StandardButton ScriptedPrompts::Question(QWidget*, const QString& text, const QString& caption,
                                                      QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)
{
    calls.push_back({"question", {}, text, caption, {}, icon, buttons});
    if (buttons_.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return QMessageBox::No;
    }
    QMessageBox::StandardButton b = buttons_.front();
    buttons_.pop_front();
    return b;
}

void ScriptedPrompts::Message(QWidget*, const QString& text, const QString& caption, QMessageBox::Icon icon)
{
    calls.push_back({"message", {}, text, caption, {}, icon});
}

void ScriptedPrompts::ShowModal(QDialog* dialog)
{
    calls.push_back({"modal", dialog->objectName(), {}, dialog->windowTitle()});
    if (onModal) onModal(dialog);
}
