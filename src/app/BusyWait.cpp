#include "app/BusyWait.h"

#include <QApplication>
#include <QCursor>

TBusyCursorWait::TBusyCursorWait()
{
    wait_.Waiting = [this](const std::string&, std::chrono::milliseconds) {
        if (!cursorSet_) {
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
            cursorSet_ = true;
        }
        // Painting goes on; clicks and keys wait until the command is over.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
}

TBusyCursorWait::~TBusyCursorWait()
{
    if (cursorSet_) QApplication::restoreOverrideCursor();
}
