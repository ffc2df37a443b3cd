// The "COL" preview page: the models of a collision file and the selected
// one in the model page's 3D view: faces lit and coloured by material,
// boxes and spheres as wireframes, the shadow mesh on request.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "app/preview/PreviewPage.h"
#include "app/preview/PreviewPageHeader.h"
#include "archive/EntryBytes.h"
#include "formats/col/Collision.h"

class QCheckBox;
class QLabel;
class QTreeView;
class TModelView;
class TTableListModel;

class TColPage : public QWidget, public TPreviewPage {
    Q_OBJECT
public:
    using TGuard = std::function<void(const std::function<void()>&)>;
    TColPage(QWidget* parent, TGuard guard);

    // ".COL" entries. Show raises on a damaged model, listing the models
    // before it.
    QWidget* Widget() override { return this; }
    bool Takes(TPreviewEntry& entry) override;
    void Show(TPreviewEntry& entry) override;
    void Clear() override;

    const std::vector<korvane::TCollisionModel>& Models() const { return models_; }
    int SelectedModel() const;
    void SelectModel(int row);
    void SetShadowShown(bool shown);
    TModelView* View() const { return ColView; }

private:
    // The selected model's mesh, the camera fitted to it when `fit`.
    void ShowSelected(bool fit);
    void Take(korvane::TEntryBytes bytes, std::vector<korvane::TCollisionModel> models);

    TPreviewHeader header_;
    QLabel* ColTotals = nullptr;
    QCheckBox* ColShadow = nullptr;
    QTreeView* ColModels = nullptr;
    TTableListModel* list_ = nullptr;
    TModelView* ColView = nullptr;

    korvane::TEntryBytes bytes_;  // the file the models index
    std::vector<korvane::TCollisionModel> models_;
    TGuard guard_;
};
