// The "DFF" preview page: a model's parts and a 3D view of them.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "archive/Catalogue.h"
#include "preview/Model.h"
#include "preview/ModelScene.h"
#include "preview/ModelTextures.h"
#include "preview/PreviewPageHeader.h"

class Prompts;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
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

    // "Как в игре": parts placed by their frames, textured, named by their
    // frames; remembered between runs. Off by default.
    bool GameView() const;
    void GameViewClick();
    // "Экспорт в glTF...": the model as glTF, the parts whose rows are checked.
    void N38Click();
    void SetPrompts(Prompts& prompts) { prompts_ = &prompts; }
    QMenu* PartsPopupMenu() const { return PopupMenu4; }

    // How the page's own event handlers run, so their failures are shown
    // like any command's; by default they are swallowed.
    void SetCommandGuard(std::function<void(const std::function<void()>&)> guard) { guard_ = std::move(guard); }

    const std::vector<korvane::TModelPart>& ModelParts() const { return model_.Parts; }
    const korvane::TModelTextures& Textures() const { return textures_; }
    TModelView* View() const { return GLSceneViewer1; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Keeps what a load got to, as far as it got.
    void Take(korvane::TModelRead& read, const std::string& name,
              const std::optional<korvane::TDictionarySource>& dictionary);
    void LayOutPanel();
    void Run(const std::function<void()>& handler);
    // The rows of the model shown, as the view asks for.
    void FillRows();
    void FitView();
    // The model's textures, decoded at the first need for this model.
    const korvane::TModelTextures& EnsureTextures();

    TPreviewHeader header_;
    QFrame* Panel1 = nullptr;
    QLabel* Label2 = nullptr;
    QListWidget* CheckListBox1 = nullptr;
    QCheckBox* GameViewBox = nullptr;
    QSplitter* Splitter2 = nullptr;
    TModelView* GLSceneViewer1 = nullptr;
    QMenu* PopupMenu4 = nullptr;
    QAction* N38 = nullptr;
    Prompts* prompts_ = nullptr;

    korvane::TModelRead model_;  // its Parts are ModelParts
    int32_t rowsAdded_ = 0;
    bool modelShown_ = false;  // model_ is the model whose rows are listed
    size_t meshed_ = 0;        // parts 0 .. meshed_-1 have a mesh
    std::vector<korvane::TModelPlacement> placements_;  // the rows of the game view
    std::string modelName_;                             // the entry's raw name
    std::optional<korvane::TDictionarySource> dictionary_;  // the archive's NAME.txd
    korvane::TModelTextures textures_;
    bool texturesRead_ = false;
    bool filling_ = false;                    // rows are being added: no rebuilds
    std::function<void(const std::function<void()>&)> guard_;
};
