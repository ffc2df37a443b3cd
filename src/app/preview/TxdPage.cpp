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

    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName(QStringLiteral("Splitter3"));
    splitter_->setChildrenCollapsible(false);
    listPanel_ = new QWidget(splitter_);
    listPanel_->setObjectName(QStringLiteral("Panel2"));
    auto* panel = new QVBoxLayout(listPanel_);
    panel->setContentsMargins(4, 4, 4, 0);
    header_ = MakePreviewHeader(listPanel_, "Label6", "Label8");
    auto* top = new QHBoxLayout;
    top->addWidget(header_.Name, 1);
    top->addWidget(header_.Size);
    panel->addLayout(top);
    textureCount_ = new QLabel(tr("0 текстур"), listPanel_);
    textureCount_->setObjectName(QStringLiteral("Label9"));
    panel->addWidget(textureCount_);

    model_ = new TTextureListModel(textures_, this);
    textureList_ = new QListView(listPanel_);
    textureList_->setObjectName(QStringLiteral("ListBox1"));
    textureList_->setAccessibleName(QStringLiteral("ListBox1"));
    textureList_->setModel(model_);
    textureList_->setUniformItemSizes(true);
    textureList_->setSelectionMode(QAbstractItemView::SingleSelection);
    textureList_->setItemDelegate(new TTextureRowDelegate(textureList_));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    textureList_->setFont(font);
    QPalette pal = textureList_->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    textureList_->setPalette(pal);
    panel->addWidget(textureList_, 1);

    auto* scrollBox = new QWidget(splitter_);
    scrollBox->setObjectName(QStringLiteral("ScrollBox1"));
    auto* scrollLayout = new QVBoxLayout(scrollBox);
    scrollLayout->setContentsMargins(0, 0, 0, 0);
    picture_ = new TPictureView(scrollBox);
    scrollLayout->addWidget(picture_);
    splitter_->addWidget(listPanel_);
    splitter_->addWidget(scrollBox);
    splitter_->setSizes({225, 200});
    splitter_->setStretchFactor(1, 1);
    layout->addWidget(splitter_, 1);

    modeTabs_ = new QTabBar(this);
    modeTabs_->setObjectName(QStringLiteral("TabSet1"));
    modeTabs_->setAccessibleName(QStringLiteral("TabSet1"));
    modeTabs_->setShape(QTabBar::RoundedSouth);
    modeTabs_->addTab(QStringLiteral("RGB+A"));
    modeTabs_->addTab(QStringLiteral("RGB"));
    modeTabs_->addTab(tr("Прозрачность"));
    modeTabs_->setCurrentIndex(0);
    layout->addWidget(modeTabs_);

    textureMenu_ = new QMenu(this);
    textureMenu_->setObjectName(QStringLiteral("PopupMenu2"));
    saveItem_ = textureMenu_->addAction(tr("Сохранить..."));
    saveItem_->setObjectName(QStringLiteral("N21"));
    saveItem_->setData(int(dmColor));
    saveMaskItem_ = textureMenu_->addAction(tr("Сохранить маску..."));
    saveMaskItem_->setObjectName(QStringLiteral("N23"));
    saveMaskItem_->setData(int(dmMask));
    for (QAction* a : {saveItem_, saveMaskItem_})
        connect(a, &QAction::triggered, this,
                [this, a] { guard_([this, a] { SaveTexture(TDecodeMode(a->data().toInt())); }); });
    textureMenu_->addSeparator();
    replaceItem_ = textureMenu_->addAction(tr("Заменить текстуру..."));
    replaceItem_->setObjectName(QStringLiteral("N39"));
    addItem_ = textureMenu_->addAction(tr("Добавить текстуру..."));
    addItem_->setObjectName(QStringLiteral("N40"));
    removeItem_ = textureMenu_->addAction(tr("Удалить текстуру"));
    removeItem_->setObjectName(QStringLiteral("N41"));
    connect(replaceItem_, &QAction::triggered, this, [this] { guard_([this] { ReplaceTexture(); }); });
    connect(addItem_, &QAction::triggered, this, [this] { guard_([this] { AddTexture(); }); });
    connect(removeItem_, &QAction::triggered, this, [this] { guard_([this] { RemoveTexture(); }); });

    textureList_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(textureList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (QMenu* menu = ListPopupMenu()) menu->popup(textureList_->viewport()->mapToGlobal(pos));
    });
    // Any change of the selection, a control-click that leaves none included.
    connect(textureList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { guard_([this] { TextureSelected(); }); });
    // A click on the row already selected still brings back "RGB+A".
    connect(textureList_, &QAbstractItemView::clicked, this, [this] {
        if (modeTabs_->currentIndex() != 0) guard_([this] { TextureSelected(); });
    });
    connect(modeTabs_, &QTabBar::currentChanged, this, [this](int tab) { guard_([this, tab] { ModeChanged(tab); }); });
    connect(splitter_, &QSplitter::splitterMoved, this, [this] { SplitterMoved(); });

    picture_->setVisible(false);
    modeTabs_->setEnabled(false);
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
    textureCount_->setText(tr("%1 текстур").arg(n));

    // The old worker reads the old table: it ends before the table changes.
    StopImageLoader();
    bytes_ = std::move(bytes);
    textures_.assign(n, TTextureInfo{});
    model_->Clear();
    textureList_->setUpdatesEnabled(false);

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

    textureList_->setUpdatesEnabled(true);
    {
        const QSignalBlocker quiet(textureList_->selectionModel());
        if (model_->rowCount() > 0)
            textureList_->setCurrentIndex(model_->index(0));
        else
            textureList_->clearSelection();
    }
    try {
        TextureSelected();
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
    if (index < model_->rowCount()) textureList_->viewport()->update(textureList_->visualRect(model_->index(index)));
    emit ThumbnailHandedOver(index);
}

int TTxdPage::SelectedRow() const
{
    const QModelIndexList rows = textureList_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

TDecodeMode TTxdPage::TabMode(int tab, bool& valid)
{
    valid = tab >= 0 && tab <= 2;
    static constexpr TDecodeMode modes[3] = {dmComposite, dmColor, dmMask};
    return valid ? modes[tab] : dmColor;
}

void TTxdPage::TextureSelected()
{
    {
        const QSignalBlocker quiet(modeTabs_);
        modeTabs_->setCurrentIndex(0);
    }
    const int r = SelectedRow();
    const bool visible = r >= 0 && !textures_.empty();
    picture_->setVisible(visible);
    modeTabs_->setEnabled(visible);
    popupAttached_ = visible;
    if (!visible) return;
    // Only what can be decoded can be saved.
    const bool decodable = TextureEncoding(textures_[size_t(r)]) != TTextureEncoding::Unsupported;
    saveItem_->setEnabled(decodable);
    saveMaskItem_->setEnabled(decodable);
    // Changes only where the archive's entries can be changed.
    for (QAction* a : {replaceItem_, addItem_, removeItem_}) a->setEnabled(editable_);
    UpdatePreview(modeTabs_->currentIndex());
}

void TTxdPage::UpdatePreview(int tab)
{
    const int r = SelectedRow();
    if (r < 0 || size_t(r) >= textures_.size()) return;
    const TTextureInfo& t = textures_[size_t(r)];
    if (TextureEncoding(t) == TTextureEncoding::Unsupported) {
        picture_->SetPlaceholder(QStringLiteral("unsupported"));
        return;
    }
    picture_->Clear();
    bool valid;
    const TDecodeMode mode = TabMode(tab, valid);
    if (!valid) return;
    picture_->SetPicture(BuildTextureBitmap(bytes_->Bytes, t, t.Width, t.Height, mode, bytes_->Path));
    picture_->repaint();
}

void TTxdPage::ModeChanged(int newTab) { UpdatePreview(newTab); }

void TTxdPage::SplitterMoved() { textureList_->viewport()->update(); }

void TTxdPage::SaveTexture(TDecodeMode mode)
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
    textureCount_->setText(tr("0 текстур"));
    textures_.clear();
    model_->Clear();
    picture_->Clear();
    picture_->setVisible(false);
    modeTabs_->setEnabled(false);
    popupAttached_ = false;
}

namespace {

// The picture to put in, or empty when the dialog was cancelled.
std::string AskPicture(Prompts& prompts, QWidget* owner)
{
    const QString path =
        prompts.OpenFile(owner, DialogName(TexturePictureDialog), DialogFilter(TexturePictureDialog));
    return path.isEmpty() ? std::string() : QFile::encodeName(path).toStdString();
}

}  // namespace

void TTxdPage::ReplaceTexture()
{
    const int r = SelectedRow();
    if (r < 0 || size_t(r) >= textures_.size() || !editable_ || !changer_) return;
    const std::string picture = AskPicture(prompts_, this);
    if (picture.empty()) return;
    Change({TTextureChangeKind::Replace, textures_[size_t(r)].Name, picture, {}});
}

void TTxdPage::AddTexture()
{
    if (!editable_ || !changer_) return;
    const std::string picture = AskPicture(prompts_, this);
    if (picture.empty()) return;
    Change({TTextureChangeKind::Add, "", picture, {}});
}

void TTxdPage::RemoveTexture()
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
        textureList_->setCurrentIndex(model_->index(int(std::min<size_t>(result.TextureIndex, size_t(rows - 1)))));
    if (result.Dxt3ForAlpha)
        prompts_.Message(this,
                         tr("В рисунке есть прозрачные точки, поэтому текстура %1 сохранена в формате DXT3, "
                            "а не DXT1")
                             .arg(QString::fromStdString(Cp1251ToUtf8(result.Texture))),
                         QStringLiteral("Korvane"), QMessageBox::Warning);
}
