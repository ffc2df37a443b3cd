// What the benchmarks that drive the real window share: prompts that answer
// nothing (a message box would mean the run went wrong) and a main() that
// makes the application first.
#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>

#include "app/Prompts.h"

class NoPrompts : public Prompts {
public:
    QString OpenFile(QWidget*, const QString&, const QString&) override { return {}; }
    QStringList OpenFiles(QWidget*, const QString&, const QString&) override { return {}; }
    QString SaveFile(QWidget*, const QString&, const QString&, const QString&, int*) override { return {}; }
    QString ChooseFolder(QWidget*, const QString&) override { return {}; }
    QMessageBox::StandardButton Question(QWidget*, const QString&, const QString&, QMessageBox::StandardButtons,
                                         QMessageBox::Icon) override
    {
        return QMessageBox::No;
    }
    void Message(QWidget*, const QString& text, const QString&, QMessageBox::Icon) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        std::abort();
    }
    void ShowModal(QDialog*) override {}
};

inline int RunWindowBenchmarks(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
