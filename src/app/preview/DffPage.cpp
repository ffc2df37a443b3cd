#include "app/preview/DffPage.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QSplitter>
#include <QVBoxLayout>

#include "preview/ModelMesh.h"
#include "app/preview/ModelView.h"

using namespace korvane;

namespace {

constexpr int PanelHeight = 225;
constexpr int ListRowHeight = 14;
// The part list keeps these distances to the panel's right and bottom edges.
constexpr int ListRightMargin = 11;
constexpr int ListBottomMargin = 11;

}  // namespace

TDffPage::TDffPage(QWidget* parent, TGuard guard) : QWidget(parent), guard_(std::move(guard))
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
    Label2 = new QLabel(QStringLiteral("0 вершин, 0 полигонов"), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    CheckListBox1 = new QListWidget(Panel1);
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    CheckListBox1->setAccessibleName(QStringLiteral("Части модели"));
    CheckListBox1->setUniformItemSizes(true);
    QPalette pal = CheckListBox1->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    CheckListBox1->setPalette(pal);
    Panel1->installEventFilter(this);

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
}

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
    CheckListBox1->setGeometry(8, 48, std::max(0, w - 8 - ListRightMargin), std::max(0, h - 48 - ListBottomMargin));
}

bool TDffPage::Takes(TPreviewEntry& entry) { return entry.Extension == ".DFF"; }

void TDffPage::Show(TPreviewEntry& entry)
{
    header_.Name->setText(entry.Name);
    header_.Size->setText(entry.SizeText);
    LayOutPanel();

    TFile file = TFile::OpenReadOnly(entry.Cat.ArchivePath);
    file.Seek(EntryBytePos(entry.Cat.ArchiveKind, entry.Entry));
    TModelRead read;
    try {
        ReadModel(file, read);
    } catch (...) {
        // The totals and the camera stay as they were.
        Take(read);
        throw;
    }
    file.Close();
    Take(read);
    Label2->setText(QString::fromStdString(ModelTotalsText(read.VertexTotal, read.TriangleTotal)));
    Label2->adjustSize();
    GLSceneViewer1->FitCamera(read.LargestRadius);
    CheckListBox1ClickCheck();
}

void TDffPage::Take(TModelRead& read)
{
    if (!read.ClumpFound) return;
    // The previous model's meshes are gone once its successor's clump is found.
    meshed_ = 0;
    GLSceneViewer1->SetMeshes({});
    if (!read.ListStarted) return;

    filling_ = true;
    CheckListBox1->clear();
    for (int32_t i = 0; i < read.RowsAdded; ++i) {
        auto* item = new QListWidgetItem(QStringLiteral("< Часть #%1 >").arg(i + 1));
        item->setData(Qt::UserRole, i);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        item->setSizeHint(QSize(0, ListRowHeight));
        CheckListBox1->addItem(item);
    }
    CheckListBox1->setCurrentRow(-1);
    filling_ = false;

    parts_ = std::move(read.Parts);
    meshed_ = parts_.size();
    // New meshes start empty and are filled by the next rebuild.
    GLSceneViewer1->SetMeshes(std::vector<std::vector<TMeshVertex>>(meshed_));
}

void TDffPage::CheckListBox1ClickCheck()
{
    std::vector<bool> checked(size_t(CheckListBox1->count()));
    for (int i = 0; i < CheckListBox1->count(); ++i) checked[size_t(i)] = CheckListBox1->item(i)->checkState() == Qt::Checked;
    GLSceneViewer1->SetMeshes(BuildModelMeshes(parts_, meshed_, checked, CheckListBox1->currentRow()));
}

void TDffPage::Clear()
{
    header_.Clear();
    Label2->setText(QStringLiteral("0 вершин, 0 полигонов"));
    LayOutPanel();
    filling_ = true;
    CheckListBox1->clear();
    filling_ = false;
    parts_.clear();
    meshed_ = 0;
    GLSceneViewer1->SetMeshes({});
}
