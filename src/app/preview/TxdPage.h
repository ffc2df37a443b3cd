// The "TXD" preview page: a texture dictionary's textures with thumbnails,
// the selected texture at full size in one of three modes, and export.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "app/preview/PreviewPage.h"
#include "app/preview/PreviewPageHeader.h"
#include "app/preview/TxdTextureList.h"
#include "archive/Catalogue.h"
#include "archive/EntryBytes.h"
#include "formats/txd/TextureDecode.h"
#include "formats/txd/TextureDictionary.h"
#include "formats/txd/TextureDictionaryEdit.h"

class QLabel;
class QListView;
class QMenu;
class QAction;
class QSplitter;
class QTabBar;
class Prompts;
class TImageLoader;
class TPictureView;

class TTxdPage : public QWidget, public TPreviewPage {
    Q_OBJECT
public:
    // Runs a command and shows its failure in the standard error box.
    using TGuard = std::function<void(const std::function<void()>&)>;
    TTxdPage(QWidget* parent, Prompts& prompts, TGuard guard);
    // Stops the thumbnail worker before the table and the rows go.
    ~TTxdPage() override;

    // ".TXD" entries: the dictionary's textures. Show raises on a read
    // failure, after the page has shown what it could.
    QWidget* Widget() override { return this; }
    bool Takes(TPreviewEntry& entry) override;
    void Show(TPreviewEntry& entry) override;
    void Clear() override;

    // Handlers.
    void TextureSelected();
    void UpdatePreview(int tab);
    void ModeChanged(int newTab);
    void SplitterMoved();
    void SaveTexture(korvane::TDecodeMode mode);
    // Заменить текстуру..., Добавить текстуру..., Удалить текстуру: each
    // gathers the change and hands it, with the entry shown, to the changer,
    // which writes it and shows the entry again; the changed texture is then
    // selected.
    void ReplaceTexture();
    void AddTexture();
    void RemoveTexture();
    using TTextureChanger = std::function<korvane::TTextureChangeResult(const korvane::TArchiveEntry& shown,
                                                                         const korvane::TTextureChange& change)>;
    void SetTextureChanger(TTextureChanger changer) { changer_ = std::move(changer); }

    const std::vector<korvane::TTextureInfo>& Textures() const { return textures_; }
    const std::vector<QImage>& ThumbnailImages() const { return model_->ImageList(); }
    const std::vector<TThumbnailIndex>& Thumbnails() const { return model_->Thumbnails(); }
    // The list's context menu: the texture menu while a texture is shown, else none.
    QMenu* ListPopupMenu() const { return popupAttached_ ? textureMenu_ : nullptr; }
    TImageLoader* ImageLoader() const { return imageLoader_.get(); }
    // Waits until the worker has handed over every thumbnail.
    void WaitForThumbnails();

signals:
    // A thumbnail has been taken in (row `index` of the table then current).
    void ThumbnailHandedOver(int index);

private:
    void StopImageLoader();
    void StartImageLoader();
    void HandOver(int index, korvane::TTextureBitmap& bitmap, korvane::TTextureBitmap& mask);
    int SelectedRow() const;
    static korvane::TDecodeMode TabMode(int tab, bool& valid);

    Prompts& prompts_;
    TGuard guard_;
    TPreviewHeader header_;
    QLabel* textureCount_;
    QWidget* listPanel_;
    QListView* textureList_;
    QSplitter* splitter_;
    TPictureView* picture_;
    QTabBar* modeTabs_;
    QMenu* textureMenu_;
    QAction *saveItem_, *saveMaskItem_;
    QAction *replaceItem_, *addItem_, *removeItem_;
    void Change(const korvane::TTextureChange& change);
    bool editable_ = false;  // the archive is one whose entries can be changed
    korvane::TArchiveEntry shown_{};  // the dictionary's entry
    TTextureChanger changer_;
    TTextureListModel* model_;
    bool popupAttached_ = false;

    // The dictionary shown: its entry's bytes, read once, and its texture
    // table (the list's model holds the thumbnails).
    korvane::TSharedEntryBytes bytes_;
    std::vector<korvane::TTextureInfo> textures_;
    std::unique_ptr<TImageLoader> imageLoader_;
};
