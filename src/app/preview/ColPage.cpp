#include "app/preview/ColPage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/TranslatedWords.h"
#include "app/preview/ModelView.h"
#include "app/preview/TableListModel.h"
#include "base/NameCodec.h"
#include "formats/col/CollisionMesh.h"

using namespace korvane;

namespace {

// The same words as korvane-cli col's totals line, in the window's language.
QString TotalsText(uint64_t models, uint64_t faces)
{
    const TTranslatedWords words;
    return QString::fromStdString(CollisionTotalsText(models, faces, words.Words()));
}

}  // namespace

TColPage::TColPage(QWidget* parent, TGuard guard) : QWidget(parent), guard_(std::move(guard))
{
    setObjectName(QStringLiteral("COL"));
    setAccessibleName(QStringLiteral("COL"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("ColSplitter"));
    splitter->setHandleWidth(3);
    splitter->setChildrenCollapsible(false);
    layout->addWidget(splitter);

    auto* panel = new QWidget(splitter);
    panel->setObjectName(QStringLiteral("ColPanel"));
    auto* rows = new QVBoxLayout(panel);
    rows->setContentsMargins(8, 8, 8, 8);
    header_ = MakePreviewHeader(panel, "ColName", "ColSize");
    auto* top = new QHBoxLayout;
    top->addWidget(header_.Name, 1);
    top->addWidget(header_.Size);
    rows->addLayout(top);
    auto* second = new QHBoxLayout;
    ColTotals = new QLabel(TotalsText(0, 0), panel);
    ColTotals->setObjectName(QStringLiteral("ColTotals"));
    ColShadow = new QCheckBox(tr("Теневая сетка"), panel);
    ColShadow->setObjectName(QStringLiteral("ColShadow"));
    ColShadow->setAccessibleName(ColShadow->text());
    second->addWidget(ColTotals, 1);
    second->addWidget(ColShadow);
    rows->addLayout(second);

    list_ = new TTableListModel(
        this, {tr("Имя"), tr("Версия"), tr("ID"), tr("Сфер"), tr("Коробок"), tr("Граней")}, [this](int row, int column) {
            const TCollisionModel& m = models_[size_t(row)];
            switch (column) {
            case 0: return QString::fromStdString(Cp1251ToUtf8(m.Name()));
            case 1: return QString::number(m.Version);
            case 2: return QString::number(m.ModelId);
            case 3: return QString::number(m.Spheres);
            case 4: return QString::number(m.Boxes);
            default: return QString::number(m.Faces);
            }
        });
    ColModels = new QTreeView(panel);
    ColModels->setObjectName(QStringLiteral("ColModels"));
    ColModels->setAccessibleName(tr("Модели столкновений"));
    ColModels->setRootIsDecorated(false);
    ColModels->setUniformRowHeights(true);
    ColModels->setAllColumnsShowFocus(true);
    ColModels->setSelectionBehavior(QAbstractItemView::SelectRows);
    ColModels->setSelectionMode(QAbstractItemView::SingleSelection);
    ColModels->setModel(list_);
    // Every column as wide as its texts, the names' too; the last one takes
    // the room left over, and a list wider than the page scrolls.
    ColModels->header()->setStretchLastSection(true);
    for (int c = 0; c < 6; ++c) ColModels->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    rows->addWidget(ColModels, 1);

    ColView = new TModelView(splitter);
    ColView->setObjectName(QStringLiteral("ColView"));
    ColView->setAccessibleName(QStringLiteral("ColView"));
    // Collision faces keep no winding the game relies on: both sides show.
    ColView->SetCullBackFaces(false);
    splitter->addWidget(panel);
    splitter->addWidget(ColView);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({225, 10000});

    connect(ColModels->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { guard_([this] { ShowSelected(true); }); });
    connect(ColShadow, &QCheckBox::toggled, this, [this] { guard_([this] { ShowSelected(false); }); });
}

bool TColPage::Takes(TPreviewEntry& entry) { return entry.Is(TFormatKind::Collision); }

void TColPage::Show(TPreviewEntry& entry)
{
    header_.Name->setText(entry.Name);
    header_.Size->setText(entry.SizeText);
    TEntryBytes bytes = ReadEntryBytes(entry.Cat.ArchivePath, entry.Cat.ArchiveKind, entry.Entry);
    std::vector<TCollisionModel> models;
    try {
        ReadCollisionFile(bytes.Bytes, models);
    } catch (...) {
        // The models before the damaged one are shown, then the error.
        Take(std::move(bytes), std::move(models));
        throw;
    }
    Take(std::move(bytes), std::move(models));
}

void TColPage::Take(TEntryBytes bytes, std::vector<TCollisionModel> models)
{
    bytes_ = std::move(bytes);
    models_ = std::move(models);
    uint64_t faces = 0;
    for (const TCollisionModel& m : models_) faces += m.Faces;
    ColTotals->setText(TotalsText(models_.size(), faces));
    list_->Reset(int(models_.size()));
    ColView->SetMeshes({});
    ColView->SetLines({});
    SelectModel(models_.empty() ? -1 : 0);
}

int TColPage::SelectedModel() const { return ColModels->currentIndex().isValid() ? ColModels->currentIndex().row() : -1; }

void TColPage::SelectModel(int row)
{
    if (row < 0) {
        ColModels->setCurrentIndex({});
        return;
    }
    ColModels->setCurrentIndex(list_->index(row, 0));
    ColModels->scrollTo(list_->index(row, 0));
}

void TColPage::SetShadowShown(bool shown) { ColShadow->setChecked(shown); }

void TColPage::ShowSelected(bool fit)
{
    const int row = SelectedModel();
    if (row < 0 || size_t(row) >= models_.size()) {
        ColView->SetMeshes({});
        ColView->SetLines({});
        return;
    }
    const TCollisionModel& m = models_[size_t(row)];
    TCollisionMesh mesh = BuildCollisionMesh(DecodeCollisionModel(bytes_.Bytes, m), ColShadow->isChecked());
    std::vector<std::vector<TMeshVertex>> meshes;
    meshes.push_back(std::move(mesh.Faces));
    ColView->SetMeshes(std::move(meshes));
    ColView->SetLines(std::move(mesh.Lines));
    if (fit) ColView->FitCamera(CollisionViewRadius(m));
}

void TColPage::Clear()
{
    header_.Clear();
    bytes_ = {};
    models_.clear();
    list_->Reset(0);
    ColTotals->setText(TotalsText(0, 0));
    ColView->SetMeshes({});
    ColView->SetLines({});
}
