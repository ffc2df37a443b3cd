// The "IFP" preview page: the animations of a package and the bones of the
// selected one.
#pragma once

#include <QWidget>
#include <functional>

#include "app/preview/PreviewPage.h"
#include "app/preview/PreviewPageHeader.h"
#include "formats/ifp/Animation.h"

class QLabel;
class QTreeView;
class TTableListModel;

class TIfpPage : public QWidget, public TPreviewPage {
    Q_OBJECT
public:
    using TGuard = std::function<void(const std::function<void()>&)>;
    TIfpPage(QWidget* parent, TGuard guard);

    // ".IFP" entries. Show raises on a damaged animation, listing the
    // animations before it.
    QWidget* Widget() override { return this; }
    bool Takes(TPreviewEntry& entry) override;
    void Show(TPreviewEntry& entry) override;
    void Clear() override;

    const korvane::TAnimationPackage& Package() const { return package_; }
    int SelectedAnimation() const;
    void SelectAnimation(int row);

private:
    void Take(korvane::TAnimationPackage package);
    QString KindText(korvane::TKeyKind kind) const;

    TPreviewHeader header_;
    QLabel* IfpTotals = nullptr;
    QTreeView* IfpAnimations = nullptr;
    QTreeView* IfpBones = nullptr;
    TTableListModel* animations_ = nullptr;
    TTableListModel* bones_ = nullptr;

    korvane::TAnimationPackage package_;
    int shownBones_ = -1;  // the animation whose bones are listed
    TGuard guard_;
};
