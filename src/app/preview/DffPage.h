// The "DFF" preview page: a model's parts and a 3D view of them.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "app/preview/PreviewPage.h"
#include "app/preview/PreviewPageHeader.h"
#include "archive/Catalogue.h"
#include "formats/dff/Model.h"
#include "formats/dff/ModelScene.h"
#include "formats/dff/ModelTextures.h"

class Prompts;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QSplitter;
class TModelView;
class TPaintButtons;

class TDffPage : public QWidget, public TPreviewPage {
    Q_OBJECT
public:
    // Runs a handler of the page's own, showing its failure like any command's.
    using TGuard = std::function<void(const std::function<void()>&)>;
    TDffPage(QWidget* parent, Prompts& prompts, TGuard guard);

    // ".DFF" entries: the model's parts. Show raises on a read failure,
    // keeping what was read before it.
    QWidget* Widget() override { return this; }
    bool Takes(TPreviewEntry& entry) override;
    void Show(TPreviewEntry& entry) override;
    void Clear() override;

    // Rebuilds every part's mesh from the check marks and the selected row.
    void RebuildMeshes();

    // "Как в игре": parts placed by their frames, textured, named by their
    // frames; remembered between runs. Off by default.
    bool GameView() const;
    void ViewModeChanged();
    // "Цвет 1"/"Цвет 2", shown with the game view: the colour dialog for the
    // body (0) or trim (1) colour; the view repaints in the colour chosen.
    void ChooseColour(int which);
    const korvane::TVehiclePaint& Paint() const;
    // "Экспорт в glTF...": the model as glTF, the parts whose rows are checked.
    void ExportModel();
    QMenu* PartsPopupMenu() const { return partsMenu_; }

    const std::vector<korvane::TModelPart>& ModelParts() const { return model_.Parts; }
    const korvane::TModelTextures& Textures() const { return textures_; }
    TModelView* View() const { return view_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Keeps what a load got to, as far as it got.
    void Take(korvane::TModelRead& read, const std::string& name,
              const std::vector<korvane::TDictionarySource>& dictionaries);
    void LayOutPanel();
    // The rows of the model shown, as the view asks for.
    void FillRows();
    void FitView();
    // The model's textures, decoded at the first need for this model.
    const korvane::TModelTextures& EnsureTextures();

    TPreviewHeader header_;
    QFrame* panel_ = nullptr;
    QLabel* totals_ = nullptr;
    QListWidget* partList_ = nullptr;
    QCheckBox* gameViewBox_ = nullptr;
    TPaintButtons* paintButtons_ = nullptr;
    QSplitter* splitter_ = nullptr;
    TModelView* view_ = nullptr;
    QMenu* partsMenu_ = nullptr;
    QAction* exportItem_ = nullptr;
    Prompts& prompts_;

    korvane::TModelRead model_;  // its Parts are ModelParts
    int32_t rowsAdded_ = 0;
    bool modelShown_ = false;  // model_ is the model whose rows are listed
    size_t meshed_ = 0;        // parts 0 .. meshed_-1 have a mesh
    std::vector<korvane::TModelPlacement> placements_;  // the rows of the game view
    std::string modelName_;                             // the entry's raw name
    std::vector<korvane::TDictionarySource> dictionaries_;  // the archive's NAME.txd, vehicle.txd
    korvane::TModelTextures textures_;
    bool texturesRead_ = false;
    bool filling_ = false;                    // rows are being added: no rebuilds
    TGuard guard_;
};
