#include "app/preview/TxdPage.h"

#include <QFile>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QSplitter>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/Dialogs.h"
#include "app/Prompts.h"
#include "app/preview/ImageLoader.h"
#include "app/preview/PictureView.h"
#include "app/preview/TxdExport.h"
#include "archive/ArchiveOpen.h"
#include "base/NameCodec.h"

using namespace korvane;

TTxdPage::TTxdPage(QWidget* parent, Prompts& prompts, TGuard guard)
    : QWidget(parent), prompts_(prompts), guard_(std::move(guard))
{
    setObjectName(QStringLiteral("TXD"));
    setAccessibleName(QStringLiteral("TXD"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Splitter3 = new QSplitter(Qt::Vertical, this);
    Splitter3->setObjectName(QStringLiteral("Splitter3"));
    Splitter3->setChildrenCollapsible(false);
    Panel2 = new QWidget(Splitter3);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto* panel = new QVBoxLayout(Panel2);
    panel->setContentsMargins(4, 4, 4, 0);
    header_ = MakePreviewHeader(Panel2, "Label6", "Label8");
    auto* top = new QHBoxLayout;
    top->addWidget(header_.Name, 1);
    top->addWidget(header_.Size);
    panel->addLayout(top);
    Label9 = new QLabel(tr("0 текстур"), Panel2);
    Label9->setObjectName(QStringLiteral("Label9"));
    panel->addWidget(Label9);

    model_ = new TTextureListModel(textures_, this);
    ListBox1 = new QListView(Panel2);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setAccessibleName(QStringLiteral("ListBox1"));
    ListBox1->setModel(model_);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setItemDelegate(new TTextureRowDelegate(ListBox1));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    ListBox1->setFont(font);
    QPalette pal = ListBox1->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    ListBox1->setPalette(pal);
    panel->addWidget(ListBox1, 1);

    auto* scrollBox = new QWidget(Splitter3);
    scrollBox->setObjectName(QStringLiteral("ScrollBox1"));
    auto* scrollLayout = new QVBoxLayout(scrollBox);
    scrollLayout->setContentsMargins(0, 0, 0, 0);
    Image1 = new TPictureView(scrollBox);
    scrollLayout->addWidget(Image1);
    Splitter3->addWidget(Panel2);
    Splitter3->addWidget(scrollBox);
    Splitter3->setSizes({225, 200});
    Splitter3->setStretchFactor(1, 1);
    layout->addWidget(Splitter3, 1);

    TabSet1 = new QTabBar(this);
    TabSet1->setObjectName(QStringLiteral("TabSet1"));
    TabSet1->setAccessibleName(QStringLiteral("TabSet1"));
    TabSet1->setShape(QTabBar::RoundedSouth);
    TabSet1->addTab(QStringLiteral("RGB+A"));
    TabSet1->addTab(QStringLiteral("RGB"));
    TabSet1->addTab(tr("Прозрачность"));
    TabSet1->setCurrentIndex(0);
    layout->addWidget(TabSet1);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    N21 = PopupMenu2->addAction(tr("Сохранить..."));
    N21->setObjectName(QStringLiteral("N21"));
    N21->setData(int(dmColor));
    N23 = PopupMenu2->addAction(tr("Сохранить маску..."));
    N23->setObjectName(QStringLiteral("N23"));
    N23->setData(int(dmMask));
    for (QAction* a : {N21, N23})
        connect(a, &QAction::triggered, this, [this, a] { guard_([this, a] { N21Click(TDecodeMode(a->data().toInt())); }); });
    PopupMenu2->addSeparator();
    N39 = PopupMenu2->addAction(tr("Заменить текстуру..."));
    N39->setObjectName(QStringLiteral("N39"));
    N40 = PopupMenu2->addAction(tr("Добавить текстуру..."));
    N40->setObjectName(QStringLiteral("N40"));
    N41 = PopupMenu2->addAction(tr("Удалить текстуру"));
    N41->setObjectName(QStringLiteral("N41"));
    connect(N39, &QAction::triggered, this, [this] { guard_([this] { N38Click(); }); });
    connect(N40, &QAction::triggered, this, [this] { guard_([this] { N39Click(); }); });
    connect(N41, &QAction::triggered, this, [this] { guard_([this] { N40Click(); }); });

    ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListBox1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (QMenu* menu = ListPopupMenu()) menu->popup(ListBox1->viewport()->mapToGlobal(pos));
    });
    // Any change of the selection, a control-click that leaves none included.
    connect(ListBox1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { guard_([this] { ListBox1Click(); }); });
    // A click on the row already selected still brings back "RGB+A".
    connect(ListBox1, &QAbstractItemView::clicked, this, [this] {
        if (TabSet1->currentIndex() != 0) guard_([this] { ListBox1Click(); });
    });
    connect(TabSet1, &QTabBar::currentChanged, this, [this](int tab) { guard_([this, tab] { TabSet1Change(tab); }); });
    connect(Splitter3, &QSplitter::splitterMoved, this, [this] { Splitter3Moved(); });

    Image1->setVisible(false);
    TabSet1->setEnabled(false);
}

TTxdPage::~TTxdPage() { StopImageLoader(); }

bool TTxdPage::Takes(TPreviewEntry& entry) { return entry.Is(TFormatKind::TextureDictionary); }

void TTxdPage::Show(TPreviewEntry& entry)
{
    header_.Name->setText(entry.Name);
    header_.Size->setText(entry.SizeText);

    const Catalogue& cat = entry.Cat;
    // The entry is read once; the table, the picture and the thumbnails are
    // all parsed and decoded from these bytes.
    auto bytes = std::make_shared<const TEntryBytes>(ReadEntryBytes(cat.ArchivePath, cat.ArchiveKind, entry.Entry));
    TSectionCursor in(bytes->Bytes, bytes->Path);
    const uint16_t n = ReadTextureCount(in);
    // Changes where entries can be changed: the kind, and files that may be written.
    editable_ = entry.Editable;
    shown_ = entry.Entry;
    Label9->setText(tr("%1 текстур").arg(n));

    // The old worker reads the old table: it ends before the table changes.
    StopImageLoader();
    bytes_ = std::move(bytes);
    textures_.assign(n, TTextureInfo{});
    model_->Clear();
    ListBox1->setUpdatesEnabled(false);

    std::exception_ptr failure;
    try {
        for (size_t i = 0; i < textures_.size(); ++i) {
            ReadTextureHeader(in, textures_[i]);
            model_->AppendRow();
        }
    } catch (...) {
        // What was read stays listed; the rest of the table stays empty.
        failure = std::current_exception();
    }

    ListBox1->setUpdatesEnabled(true);
    {
        const QSignalBlocker quiet(ListBox1->selectionModel());
        if (model_->rowCount() > 0)
            ListBox1->setCurrentIndex(model_->index(0));
        else
            ListBox1->clearSelection();
    }
    try {
        ListBox1Click();
    } catch (...) {
        if (!failure) failure = std::current_exception();
    }
    // The thumbnails come whatever the first picture did.
    StartImageLoader();
    if (failure) std::rethrow_exception(failure);
}

void TTxdPage::StopImageLoader()
{
    if (!imageLoader_) return;
    imageLoader_->StopAndWait();
    imageLoader_.reset();
}

void TTxdPage::StartImageLoader()
{
    imageLoader_ = std::make_unique<TImageLoader>(
        bytes_, textures_, [this](int index, TTextureBitmap& bitmap, TTextureBitmap& mask) { HandOver(index, bitmap, mask); });
    imageLoader_->start();
}

void TTxdPage::WaitForThumbnails()
{
    if (imageLoader_) imageLoader_->WaitServing();
}

void TTxdPage::HandOver(int index, TTextureBitmap& bitmap, TTextureBitmap& mask)
{
    // The image list keeps copies; the worker releases its bitmaps.
    const QImage maskImage = WrapBitmap(mask);
    model_->AddThumbnails(index, WrapBitmap(bitmap), textures_[size_t(index)].HasAlpha ? &maskImage : nullptr);
    if (index < model_->rowCount()) ListBox1->viewport()->update(ListBox1->visualRect(model_->index(index)));
    emit ThumbnailHandedOver(index);
}

int TTxdPage::SelectedRow() const
{
    const QModelIndexList rows = ListBox1->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

TDecodeMode TTxdPage::TabMode(int tab, bool& valid)
{
    valid = tab >= 0 && tab <= 2;
    static constexpr TDecodeMode modes[3] = {dmComposite, dmColor, dmMask};
    return valid ? modes[tab] : dmColor;
}

void TTxdPage::ListBox1Click()
{
    {
        const QSignalBlocker quiet(TabSet1);
        TabSet1->setCurrentIndex(0);
    }
    const int r = SelectedRow();
    const bool visible = r >= 0 && !textures_.empty();
    Image1->setVisible(visible);
    TabSet1->setEnabled(visible);
    popupAttached_ = visible;
    if (!visible) return;
    // Only what can be decoded can be saved.
    const bool decodable = TextureEncoding(textures_[size_t(r)]) != TTextureEncoding::Unsupported;
    N21->setEnabled(decodable);
    N23->setEnabled(decodable);
    // Changes only where the archive's entries can be changed.
    for (QAction* a : {N39, N40, N41}) a->setEnabled(editable_);
    UpdatePreview(TabSet1->currentIndex());
}

void TTxdPage::UpdatePreview(int tab)
{
    const int r = SelectedRow();
    if (r < 0 || size_t(r) >= textures_.size()) return;
    const TTextureInfo& t = textures_[size_t(r)];
    if (TextureEncoding(t) == TTextureEncoding::Unsupported) {
        Image1->SetPlaceholder(QStringLiteral("unsupported"));
        return;
    }
    Image1->Clear();
    bool valid;
    const TDecodeMode mode = TabMode(tab, valid);
    if (!valid) return;
    Image1->SetPicture(BuildTextureBitmap(bytes_->Bytes, t, t.Width, t.Height, mode, bytes_->Path));
    Image1->repaint();
}

void TTxdPage::TabSet1Change(int newTab) { UpdatePreview(newTab); }

void TTxdPage::Splitter3Moved() { ListBox1->viewport()->update(); }

void TTxdPage::N21Click(TDecodeMode mode)
{
    const int r = SelectedRow();
    if (r < 0 || size_t(r) >= textures_.size()) return;
    SaveTextureAs(this, prompts_, *bytes_, textures_[size_t(r)], mode);
}

void TTxdPage::Clear()
{
    StopImageLoader();
    bytes_.reset();
    header_.Clear();
    Label9->setText(tr("0 текстур"));
    textures_.clear();
    model_->Clear();
    Image1->Clear();
    Image1->setVisible(false);
    TabSet1->setEnabled(false);
    popupAttached_ = false;
}

namespace {

// The picture to put in, or empty when the dialog was cancelled.
std::string AskPicture(Prompts& prompts, QWidget* owner)
{
    const QString path = prompts.OpenFile(owner, DialogName(OpenDialog4), DialogFilter(OpenDialog4));
    return path.isEmpty() ? std::string() : QFile::encodeName(path).toStdString();
}

}  // namespace

void TTxdPage::N38Click()
{
    const int r = SelectedRow();
    if (r < 0 || size_t(r) >= textures_.size() || !editable_ || !changer_) return;
    const std::string picture = AskPicture(prompts_, this);
    if (picture.empty()) return;
    Change({TTextureChangeKind::Replace, textures_[size_t(r)].Name, picture, {}});
}

void TTxdPage::N39Click()
{
    if (!editable_ || !changer_) return;
    const std::string picture = AskPicture(prompts_, this);
    if (picture.empty()) return;
    Change({TTextureChangeKind::Add, "", picture, {}});
}

void TTxdPage::N40Click()
{
    const int r = SelectedRow();
    if (r < 0 || size_t(r) >= textures_.size() || !editable_ || !changer_) return;
    Change({TTextureChangeKind::Remove, textures_[size_t(r)].Name, "", {}});
}

void TTxdPage::Change(const TTextureChange& change)
{
    const TTextureChangeResult result = changer_(shown_, change);
    // The page shows the entry afresh; the texture changed (a removed one's
    // row, or the last) is selected.
    if (const int rows = model_->rowCount(); rows > 0)
        ListBox1->setCurrentIndex(model_->index(int(std::min<size_t>(result.TextureIndex, size_t(rows - 1)))));
    if (result.Dxt3ForAlpha)
        prompts_.Message(this,
                         tr("В рисунке есть прозрачные точки, поэтому текстура %1 сохранена в формате DXT3, "
                            "а не DXT1")
                             .arg(QString::fromStdString(Cp1251ToUtf8(result.Texture))),
                         QStringLiteral("Korvane"), QMessageBox::Warning);
}
