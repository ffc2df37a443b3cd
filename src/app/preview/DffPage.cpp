#include "app/TranslatedWords.h"
#include "app/preview/DffPage.h"

#include <QCheckBox>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QVBoxLayout>

#include "app/Dialogs.h"
#include "app/LocalPaths.h"
#include "app/Prompts.h"
#include "app/preview/ModelView.h"
#include "app/preview/PaintButtons.h"
#include "archive/EntryBytes.h"
#include "base/NameCodec.h"
#include "formats/dff/GltfExport.h"
#include "formats/dff/ModelMesh.h"
#include "ops/ModelExport.h"

using namespace korvane;

namespace {

constexpr int PanelHeight = 225;
constexpr int ListRowHeight = 14;
// The part list keeps these distances to the panel's right and bottom edges.
constexpr int ListRightMargin = 11;
constexpr int ListBottomMargin = 11;

// "0 вершин, 0 полигонов": the totals before a model is shown.
QString ZeroTotalsText()
{
    const TTranslatedWords words;
    return QString::fromStdString(ModelTotalsText(0, 0, words.Words()));
}

QSettings Settings() { return QSettings(QStringLiteral("Korvane"), QStringLiteral("Korvane")); }
const QString GameViewKey = QStringLiteral("Model/AsInGame");

}  // namespace

TDffPage::TDffPage(QWidget* parent, Prompts& prompts, TGuard guard)
    : QWidget(parent), prompts_(prompts), guard_(std::move(guard))
{
    setObjectName(QStringLiteral("DFF"));
    setAccessibleName(QStringLiteral("DFF"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName(QStringLiteral("Splitter2"));
    splitter_->setHandleWidth(3);
    splitter_->setChildrenCollapsible(false);
    layout->addWidget(splitter_);

    panel_ = new QFrame(splitter_);
    panel_->setObjectName(QStringLiteral("Panel1"));
    panel_->setFrameShape(QFrame::Box);
    panel_->setLineWidth(1);
    panel_->setMinimumHeight(60);
    header_ = MakePreviewHeader(panel_, "Label1", "Label3");
    totals_ = new QLabel(ZeroTotalsText(), panel_);
    totals_->setObjectName(QStringLiteral("Label2"));
    partList_ = new QListWidget(panel_);
    partList_->setObjectName(QStringLiteral("CheckListBox1"));
    partList_->setAccessibleName(tr("Части модели"));
    partList_->setUniformItemSizes(true);
    QPalette pal = partList_->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    partList_->setPalette(pal);
    panel_->installEventFilter(this);
    gameViewBox_ = new QCheckBox(tr("Как в игре"), panel_);
    gameViewBox_->setObjectName(QStringLiteral("GameView"));
    gameViewBox_->setChecked(Settings().value(GameViewKey, false).toBool());
    paintButtons_ = new TPaintButtons(panel_, prompts_);
    paintButtons_->setVisible(gameViewBox_->isChecked());

    view_ = new TModelView(splitter_);
    splitter_->addWidget(panel_);
    splitter_->addWidget(view_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({PanelHeight, 10000});

    // OnClickCheck and OnClick: a check mark changed, or another row chosen.
    connect(partList_, &QListWidget::itemChanged, this, [this] {
        if (!filling_) guard_([this] { RebuildMeshes(); });
    });
    connect(partList_, &QListWidget::currentRowChanged, this, [this] {
        if (!filling_) guard_([this] { RebuildMeshes(); });
    });
    connect(gameViewBox_, &QCheckBox::toggled, this, [this](bool on) {
        Settings().setValue(GameViewKey, on);
        paintButtons_->setVisible(on);
        LayOutPanel();
        guard_([this] { ViewModeChanged(); });
    });
    for (int i = 0; i < 2; ++i)
        connect(paintButtons_->Button(i), &QPushButton::clicked, this, [this, i] { guard_([this, i] { ChooseColour(i); }); });

    // Not on the 3D view, whose right button zooms.
    partsMenu_ = new QMenu(this);
    partsMenu_->setObjectName(QStringLiteral("PopupMenu4"));
    exportItem_ = partsMenu_->addAction(tr("Экспорт в glTF..."));
    exportItem_->setObjectName(QStringLiteral("N38"));
    connect(exportItem_, &QAction::triggered, this, [this] { guard_([this] { ExportModel(); }); });
    for (QWidget* w : {static_cast<QWidget*>(panel_), static_cast<QWidget*>(partList_)}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& pos) { partsMenu_->popup(w->mapToGlobal(pos)); });
    }
}

bool TDffPage::GameView() const { return gameViewBox_->isChecked(); }

bool TDffPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == panel_ && event->type() == QEvent::Resize) LayOutPanel();
    return QWidget::eventFilter(watched, event);
}

void TDffPage::LayOutPanel()
{
    const int w = panel_->width(), h = panel_->height();
    header_.Name->adjustSize();
    header_.Name->move(8, 8);
    header_.Size->adjustSize();
    header_.Size->move(w - 8 - header_.Size->width(), 8);
    totals_->adjustSize();
    totals_->move(8, 24);
    gameViewBox_->adjustSize();
    paintButtons_->adjustSize();
    // "Как в игре" keeps to the right of the totals' line while the totals
    // leave it room. The colour buttons, shown with it, are too tall for that
    // line: they take a line of their own under it, at the right edge, with
    // the check box at their left when it had no room above; the part list
    // then starts below them.
    const bool boxBeside = totals_->x() + totals_->width() + 8 <= w - 8 - gameViewBox_->width();
    if (boxBeside)
        gameViewBox_->move(w - 8 - gameViewBox_->width(), 24 + (totals_->height() - gameViewBox_->height()) / 2);
    const bool buttons = paintButtons_->isVisibleTo(panel_);
    int listTop = 48;
    if (buttons || !boxBeside) {
        const int top = 24 + totals_->height() + 4;
        const int line = std::max(buttons ? paintButtons_->height() : 0, boxBeside ? 0 : gameViewBox_->height());
        int right = w - 8;
        if (buttons) {
            paintButtons_->move(right - paintButtons_->width(), top + (line - paintButtons_->height()) / 2);
            right = paintButtons_->x() - 8;
        }
        if (!boxBeside) gameViewBox_->move(right - gameViewBox_->width(), top + (line - gameViewBox_->height()) / 2);
        listTop = std::max(listTop, top + line + 4);
    }
    partList_->setGeometry(8, listTop, std::max(0, w - 8 - ListRightMargin),
                           std::max(0, h - listTop - ListBottomMargin));
}

bool TDffPage::Takes(TPreviewEntry& entry) { return entry.Is(TFormatKind::Model); }

void TDffPage::Show(TPreviewEntry& entry)
{
    header_.Name->setText(entry.Name);
    header_.Size->setText(entry.SizeText);
    LayOutPanel();

    const Catalogue& cat = entry.Cat;
    const TArchiveEntry& e = entry.Entry;
    // The entry is read once and parsed from memory.
    const TEntryBytes bytes = ReadEntryBytes(cat.ArchivePath, cat.ArchiveKind, e);
    TSectionCursor in(bytes.Bytes, bytes.Path);
    const std::string modelName(EntryName(e));
    const std::vector<TDictionarySource> dictionaries = ModelDictionaries(&cat, modelName, {});
    TModelRead read;
    try {
        ReadModel(in, read);
    } catch (...) {
        // The totals and the camera stay as they were.
        Take(read, modelName, dictionaries);
        throw;
    }
    Take(read, modelName, dictionaries);
    const TTranslatedWords words;
    totals_->setText(QString::fromStdString(ModelTotalsText(model_.VertexTotal, model_.TriangleTotal, words.Words())));
    totals_->adjustSize();
    FitView();
    RebuildMeshes();
}

void TDffPage::Take(TModelRead& read, const std::string& name, const std::vector<TDictionarySource>& dictionaries)
{
    if (!read.ClumpFound) return;
    // The previous model's meshes are gone once its successor's clump is found.
    meshed_ = 0;
    modelShown_ = false;
    view_->SetMeshes({});
    if (!read.ListStarted) return;
    rowsAdded_ = read.RowsAdded;
    model_ = std::move(read);
    meshed_ = model_.Parts.size();
    modelShown_ = true;
    modelName_ = name;
    dictionaries_ = dictionaries;
    textures_ = {};
    texturesRead_ = false;
    FillRows();
}

void TDffPage::FillRows()
{
    filling_ = true;
    partList_->clear();
    auto add = [this](const QString& text, int i, bool checked) {
        auto* item = new QListWidgetItem(text);
        item->setData(Qt::UserRole, i);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
        item->setSizeHint(QSize(0, ListRowHeight));
        partList_->addItem(item);
    };
    const TTranslatedWords words;
    const auto partText = [&words](int i) { return QString::fromStdString(PartCaption(uint64_t(i) + 1, words.Words())); };
    if (GameView()) {
        // A row per atomic, named by its frame; damaged and low-detail
        // versions start hidden.
        placements_ = AssembleModel(model_);
        for (size_t i = 0; i < placements_.size(); ++i) {
            const std::string frame = PlacementName(model_, placements_[i]);
            add(frame.empty() ? partText(int(i)) : QString::fromStdString(Cp1251ToUtf8(frame)), int(i),
                !HiddenAtFirst(frame));
        }
    } else {
        placements_.clear();
        for (int32_t i = 0; i < rowsAdded_; ++i) add(partText(i), i, true);
    }
    partList_->setCurrentRow(-1);
    filling_ = false;
    // New meshes start empty and are filled by the next rebuild.
    if (GameView())
        view_->SetSceneMeshes(std::vector<TSceneMesh>(placements_.size()));
    else
        view_->SetMeshes(std::vector<std::vector<TMeshVertex>>(meshed_));
}

void TDffPage::FitView()
{
    view_->FitCamera(GameView() ? AssembledRadius(model_, placements_) : model_.LargestRadius);
}

void TDffPage::ViewModeChanged()
{
    if (!modelShown_) return;
    FillRows();
    FitView();
    RebuildMeshes();
}

const TModelTextures& TDffPage::EnsureTextures()
{
    if (!texturesRead_) {
        texturesRead_ = true;
        // A dictionary that cannot be read leaves the material colours.
        if (!dictionaries_.empty()) textures_ = FindModelTextures(model_, dictionaries_);
        view_->SetImages(textures_.Images);
    }
    return textures_;
}

void TDffPage::RebuildMeshes()
{
    std::vector<bool> checked(size_t(partList_->count()));
    for (int i = 0; i < partList_->count(); ++i) checked[size_t(i)] = partList_->item(i)->checkState() == Qt::Checked;
    if (GameView()) {
        if (!modelShown_) return;
        view_->SetSceneMeshes(
            BuildSceneMeshes(model_, placements_, EnsureTextures(), checked, partList_->currentRow(), Paint()));
        return;
    }
    view_->SetMeshes(BuildModelMeshes(model_.Parts, meshed_, checked, partList_->currentRow()));
}

void TDffPage::ExportModel()
{
    if (!modelShown_) return;
    QString path = prompts_.SaveFile(this, DialogName(ModelExportDialog), DialogFilter(ModelExportDialog),
                                      QString::fromStdString(Cp1251ToUtf8(NameStem(modelName_))));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".glb");
    // The parts the view shows: in the game view row i is placement i, in
    // the flat view a placement shows when its geometry's row is checked.
    const std::vector<TModelPlacement> placements = AssembleModel(model_);
    std::vector<bool> included(placements.size());
    for (size_t i = 0; i < placements.size(); ++i) {
        const size_t row = GameView() ? i : placements[i].Geometry;
        included[i] = row < size_t(partList_->count()) && partList_->item(int(row))->checkState() == Qt::Checked;
    }
    ops::ExportGltf(model_, EnsureTextures(), modelName_, LocalPath(path), std::move(included), Paint());
}

const TVehiclePaint& TDffPage::Paint() const { return paintButtons_->Paint(); }

void TDffPage::ChooseColour(int which)
{
    if (paintButtons_->ChooseColour(which) && GameView()) RebuildMeshes();
}

void TDffPage::Clear()
{
    header_.Clear();
    totals_->setText(ZeroTotalsText());
    LayOutPanel();
    filling_ = true;
    partList_->clear();
    filling_ = false;
    model_ = {};
    rowsAdded_ = 0;
    modelShown_ = false;
    meshed_ = 0;
    placements_.clear();
    dictionaries_.clear();
    textures_ = {};
    texturesRead_ = false;
    view_->SetMeshes({});
}
