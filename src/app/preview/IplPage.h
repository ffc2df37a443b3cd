// The "IPL" preview page: a binary placement file shown as text, which can be
// copied, selected whole or saved as a text ".ipl" file.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include "app/preview/PreviewPage.h"
#include "app/preview/PreviewPageHeader.h"
#include "archive/Catalogue.h"
#include "base/FileIO.h"

class QAction;
class QMenu;
class QPlainTextEdit;
class Prompts;

class TIplPage : public QWidget, public TPreviewPage {
    Q_OBJECT
public:
    // Runs a command, showing any failure in the standard error box.
    using TGuard = std::function<void(const std::function<void()>&)>;
    TIplPage(QWidget* parent, Prompts& prompts, TGuard guard);

    // ".IPL" entries that begin with "bnry": Takes reads the first 76 bytes,
    // Show converts the entry from them on. Show raises on a read failure,
    // keeping the lines converted before it.
    QWidget* Widget() override { return this; }
    bool Takes(TPreviewEntry& entry) override;
    void Show(TPreviewEntry& entry) override;
    void Clear() override;

    // Handlers of the text's pop-up menu.
    void UpdateTextMenu();  // as it opens: "Копировать" only with a selection
    void CopySelection();   // Копировать
    void SelectAll();       // Выделить всё
    void SaveAsText();      // Сохранить как...

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void LayOutHeader();
    Prompts& prompts_;
    TGuard guard_;
    TPreviewHeader header_;
    QPlainTextEdit* text_;
    QMenu* textMenu_;
    QAction *copyItem_, *selectAllItem_, *separatorItem_, *saveAsItem_;
    QString saveName_;  // the save dialog's file name for the next time
};
