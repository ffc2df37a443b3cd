// The window tests run with a real QApplication (under a virtual X server).
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane"));
    return RUN_ALL_TESTS();
}
