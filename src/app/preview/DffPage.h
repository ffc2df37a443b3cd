// The "DFF" preview page: a model's parts and a 3D view of them.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "archive/Catalogue.h"
#include "preview/Model.h"
#include "app/preview/PreviewPageHeader.h"

class QFrame;
class QLabel;
class QListWidget;
class QSplitter;
class TModelView;

class TDffPage : public QWidget {
    Q_OBJECT
public:
    explicit TDffPage(QWidget* parent);

    // Previews the model entry e of the open archive. Raises on a read
    // failure, keeping what was read before it.
    void Preview(const korvane::Catalogue& cat, const korvane::TArchiveEntry& e, const QString& name,
                 const QString& sizeText);

    // Rebuilds every part's mesh from the check marks and the selected row.
    void CheckListBox1ClickCheck();

    // How the page's own event handlers run, so their failures are shown
    // like any command's; by default they are swallowed.
    void SetCommandGuard(std::function<void(const std::function<void()>&)> guard) { guard_ = std::move(guard); }

    const std::vector<korvane::TModelPart>& ModelParts() const { return parts_; }
    TModelView* View() const { return GLSceneViewer1; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Keeps what a load got to, as far as it got.
    void Take(korvane::TModelRead& read);
    void LayOutPanel();
    void Run(const std::function<void()>& handler);

    TPreviewHeader header_;
    QFrame* Panel1 = nullptr;
    QLabel* Label2 = nullptr;
    QListWidget* CheckListBox1 = nullptr;
    QSplitter* Splitter2 = nullptr;
    TModelView* GLSceneViewer1 = nullptr;

    std::vector<korvane::TModelPart> parts_;  // ModelParts
    size_t meshed_ = 0;                       // parts 0 .. meshed_-1 have a mesh
    bool filling_ = false;                    // rows are being added: no rebuilds
    std::function<void(const std::function<void()>&)> guard_;
};
