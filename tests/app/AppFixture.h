// A real main window with scripted dialogs, on archives built for the test.
#pragma once

#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

#include "ScriptedPrompts.h"
#include "app/MainWindow.h"
#include "support/TempDir.h"

class WindowTest : public ::testing::Test {
protected:
    void Start(const QStringList& args = {})
    {
        form = std::make_unique<TMainWindow>(prompts, args);
        QObject::connect(form.get(), &TMainWindow::StatusTextSet, [this](const QString& t) { statusTexts << t; });
        form->show();
    }
    void TearDown() override
    {
        if (form) {
            EXPECT_TRUE(prompts.AllAnswersUsed()) << "scripted answers left unused";
        }
        form.reset();
    }
    template <class T>
    T* Find(const char* name) const
    {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static QString Q(const std::string& path) { return QFile::decodeName(path.c_str()); }

    TempDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<TMainWindow> form;
    QStringList statusTexts;
};
