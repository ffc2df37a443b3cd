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
#include "ops/ModelExport.h"
#include "formats/dff/GltfExport.h"
#include "formats/dff/ModelMesh.h"

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

    Splitter2 = new QSplitter(Qt::Vertical, this);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->setHandleWidth(3);
    Splitter2->setChildrenCollapsible(false);
    layout->addWidget(Splitter2);

    Panel1 = new QFrame(Splitter2);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::Box);
    Panel1->setLineWidth(1);
    Panel1->setMinimumHeight(60);
    header_ = MakePreviewHeader(Panel1, "Label1", "Label3");
    Label2 = new QLabel(ZeroTotalsText(), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    CheckListBox1 = new QListWidget(Panel1);
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    CheckListBox1->setAccessibleName(tr("Части модели"));
    CheckListBox1->setUniformItemSizes(true);
    QPalette pal = CheckListBox1->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    CheckListBox1->setPalette(pal);
    Panel1->installEventFilter(this);
    GameViewBox = new QCheckBox(tr("Как в игре"), Panel1);
    GameViewBox->setObjectName(QStringLiteral("GameView"));
    GameViewBox->setChecked(Settings().value(GameViewKey, false).toBool());
    PaintButtons1 = new TPaintButtons(Panel1, prompts_);
    PaintButtons1->setVisible(GameViewBox->isChecked());

    GLSceneViewer1 = new TModelView(Splitter2);
    Splitter2->addWidget(Panel1);
    Splitter2->addWidget(GLSceneViewer1);
    Splitter2->setStretchFactor(0, 0);
    Splitter2->setStretchFactor(1, 1);
    Splitter2->setSizes({PanelHeight, 10000});

    // OnClickCheck and OnClick: a check mark changed, or another row chosen.
    connect(CheckListBox1, &QListWidget::itemChanged, this, [this] {
        if (!filling_) guard_([this] { CheckListBox1ClickCheck(); });
    });
    connect(CheckListBox1, &QListWidget::currentRowChanged, this, [this] {
        if (!filling_) guard_([this] { CheckListBox1ClickCheck(); });
    });
    connect(GameViewBox, &QCheckBox::toggled, this, [this](bool on) {
        Settings().setValue(GameViewKey, on);
        PaintButtons1->setVisible(on);
        LayOutPanel();
        guard_([this] { GameViewClick(); });
    });
    for (int i = 0; i < 2; ++i)
        connect(PaintButtons1->Button(i), &QPushButton::clicked, this, [this, i] { guard_([this, i] { ColourClick(i); }); });

    // Not on the 3D view, whose right button zooms.
    PopupMenu4 = new QMenu(this);
    PopupMenu4->setObjectName(QStringLiteral("PopupMenu4"));
    N38 = PopupMenu4->addAction(tr("Экспорт в glTF..."));
    N38->setObjectName(QStringLiteral("N38"));
    connect(N38, &QAction::triggered, this, [this] { guard_([this] { N38Click(); }); });
    for (QWidget* w : {static_cast<QWidget*>(Panel1), static_cast<QWidget*>(CheckListBox1)}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& pos) { PopupMenu4->popup(w->mapToGlobal(pos)); });
    }
}

bool TDffPage::GameView() const { return GameViewBox->isChecked(); }

bool TDffPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel1 && event->type() == QEvent::Resize) LayOutPanel();
    return QWidget::eventFilter(watched, event);
}

void TDffPage::LayOutPanel()
{
    const int w = Panel1->width(), h = Panel1->height();
    header_.Name->adjustSize();
    header_.Name->move(8, 8);
    header_.Size->adjustSize();
    header_.Size->move(w - 8 - header_.Size->width(), 8);
    Label2->adjustSize();
    Label2->move(8, 24);
    GameViewBox->adjustSize();
    GameViewBox->move(w - 8 - GameViewBox->width(), 24 + (Label2->height() - GameViewBox->height()) / 2);
    // The colour buttons left of the check box, in the same line.
    PaintButtons1->adjustSize();
    PaintButtons1->move(GameViewBox->x() - 8 - PaintButtons1->width(),
                        GameViewBox->y() + (GameViewBox->height() - PaintButtons1->height()) / 2);
    CheckListBox1->setGeometry(8, 48, std::max(0, w - 8 - ListRightMargin), std::max(0, h - 48 - ListBottomMargin));
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
    Label2->setText(QString::fromStdString(ModelTotalsText(model_.VertexTotal, model_.TriangleTotal, words.Words())));
    Label2->adjustSize();
    FitView();
    CheckListBox1ClickCheck();
}

void TDffPage::Take(TModelRead& read, const std::string& name, const std::vector<TDictionarySource>& dictionaries)
{
    if (!read.ClumpFound) return;
    // The previous model's meshes are gone once its successor's clump is found.
    meshed_ = 0;
    modelShown_ = false;
    GLSceneViewer1->SetMeshes({});
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
    CheckListBox1->clear();
    auto add = [this](const QString& text, int i, bool checked) {
        auto* item = new QListWidgetItem(text);
        item->setData(Qt::UserRole, i);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
        item->setSizeHint(QSize(0, ListRowHeight));
        CheckListBox1->addItem(item);
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
    CheckListBox1->setCurrentRow(-1);
    filling_ = false;
    // New meshes start empty and are filled by the next rebuild.
    if (GameView())
        GLSceneViewer1->SetSceneMeshes(std::vector<TSceneMesh>(placements_.size()));
    else
        GLSceneViewer1->SetMeshes(std::vector<std::vector<TMeshVertex>>(meshed_));
}

void TDffPage::FitView()
{
    GLSceneViewer1->FitCamera(GameView() ? AssembledRadius(model_, placements_) : model_.LargestRadius);
}

void TDffPage::GameViewClick()
{
    if (!modelShown_) return;
    FillRows();
    FitView();
    CheckListBox1ClickCheck();
}

const TModelTextures& TDffPage::EnsureTextures()
{
    if (!texturesRead_) {
        texturesRead_ = true;
        // A dictionary that cannot be read leaves the material colours.
        if (!dictionaries_.empty()) textures_ = FindModelTextures(model_, dictionaries_);
        GLSceneViewer1->SetImages(textures_.Images);
    }
    return textures_;
}

void TDffPage::CheckListBox1ClickCheck()
{
    std::vector<bool> checked(size_t(CheckListBox1->count()));
    for (int i = 0; i < CheckListBox1->count(); ++i) checked[size_t(i)] = CheckListBox1->item(i)->checkState() == Qt::Checked;
    if (GameView()) {
        if (!modelShown_) return;
        GLSceneViewer1->SetSceneMeshes(
            BuildSceneMeshes(model_, placements_, EnsureTextures(), checked, CheckListBox1->currentRow(), Paint()));
        return;
    }
    GLSceneViewer1->SetMeshes(BuildModelMeshes(model_.Parts, meshed_, checked, CheckListBox1->currentRow()));
}

void TDffPage::N38Click()
{
    if (!modelShown_) return;
    QString path = prompts_.SaveFile(this, DialogName(SaveDialog4), DialogFilter(SaveDialog4),
                                      QString::fromStdString(Cp1251ToUtf8(NameStem(modelName_))));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".glb");
    // The parts the view shows: in the game view row i is placement i, in
    // the flat view a placement shows when its geometry's row is checked.
    const std::vector<TModelPlacement> placements = AssembleModel(model_);
    std::vector<bool> included(placements.size());
    for (size_t i = 0; i < placements.size(); ++i) {
        const size_t row = GameView() ? i : placements[i].Geometry;
        included[i] = row < size_t(CheckListBox1->count()) && CheckListBox1->item(int(row))->checkState() == Qt::Checked;
    }
    ops::ExportGltf(model_, EnsureTextures(), modelName_, LocalPath(path), std::move(included), Paint());
}

const TVehiclePaint& TDffPage::Paint() const { return PaintButtons1->Paint(); }

void TDffPage::ColourClick(int which)
{
    if (PaintButtons1->ChooseColour(which) && GameView()) CheckListBox1ClickCheck();
}

void TDffPage::Clear()
{
    header_.Clear();
    Label2->setText(ZeroTotalsText());
    LayOutPanel();
    filling_ = true;
    CheckListBox1->clear();
    filling_ = false;
    model_ = {};
    rowsAdded_ = 0;
    modelShown_ = false;
    meshed_ = 0;
    placements_.clear();
    dictionaries_.clear();
    textures_ = {};
    texturesRead_ = false;
    GLSceneViewer1->SetMeshes({});
}
