// The "DFF" preview page: a model's parts and a 3D view of them.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "app/preview/PreviewPage.h"
#include "app/preview/PreviewPageHeader.h"
#include "archive/Catalogue.h"
#include "preview/Model.h"

class QFrame;
class QLabel;
class QListWidget;
class QSplitter;
class TModelView;

class TDffPage : public QWidget, public TPreviewPage {
    Q_OBJECT
public:
    // Runs a handler of the page's own, showing its failure like any command's.
    using TGuard = std::function<void(const std::function<void()>&)>;
    TDffPage(QWidget* parent, TGuard guard);

    // ".DFF" entries: the model's parts. Show raises on a read failure,
    // keeping what was read before it.
    QWidget* Widget() override { return this; }
    bool Takes(TPreviewEntry& entry) override;
    void Show(TPreviewEntry& entry) override;
    void Clear() override;

    // Rebuilds every part's mesh from the check marks and the selected row.
    void CheckListBox1ClickCheck();

    const std::vector<korvane::TModelPart>& ModelParts() const { return parts_; }
    TModelView* View() const { return GLSceneViewer1; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Keeps what a load got to, as far as it got.
    void Take(korvane::TModelRead& read);
    void LayOutPanel();

    TPreviewHeader header_;
    QFrame* Panel1 = nullptr;
    QLabel* Label2 = nullptr;
    QListWidget* CheckListBox1 = nullptr;
    QSplitter* Splitter2 = nullptr;
    TModelView* GLSceneViewer1 = nullptr;

    std::vector<korvane::TModelPart> parts_;  // ModelParts
    size_t meshed_ = 0;                       // parts 0 .. meshed_-1 have a mesh
    bool filling_ = false;                    // rows are being added: no rebuilds
    TGuard guard_;
};
