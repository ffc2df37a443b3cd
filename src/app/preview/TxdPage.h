// The "TXD" preview page: a texture dictionary's textures with thumbnails,
// the selected texture at full size in one of three modes, and export.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "archive/Catalogue.h"
#include "app/preview/PreviewPageHeader.h"
#include "preview/TextureDecode.h"
#include "preview/TextureDictionary.h"

class QLabel;
class QListView;
class QMenu;
class QAction;
class QPainter;
class QSplitter;
class QTabBar;
class Prompts;
class TImageLoader;
class TPictureView;
class TTextureListModel;

class TTxdPage : public QWidget {
    Q_OBJECT
public:
    // Runs a command and shows its failure in the standard error box.
    using TGuard = std::function<void(const std::function<void()>&)>;
    TTxdPage(QWidget* parent, Prompts& prompts, TGuard guard);
    // Stops the thumbnail worker before the table and the rows go.
    ~TTxdPage() override;

    // Previews the dictionary entry e of the open archive. Raises on a read
    // failure, after the page has shown what it could.
    void Preview(const korvane::Catalogue& cat, const korvane::TArchiveEntry& e, const QString& name,
                 const QString& sizeText);

    // Handlers.
    void ListBox1Click();
    void UpdatePreview(int tab);
    void TabSet1Change(int newTab);
    void ListBox1DrawItem(QPainter* canvas, int index, const QRect& rect, bool selected);
    void Splitter3Moved();
    void N21Click(korvane::TDecodeMode mode);

    const std::vector<korvane::TTextureInfo>& Textures() const { return textures_; }
    const std::vector<QImage>& ImageList1() const { return imageList_; }
    // The list's context menu: PopupMenu2 while a texture is shown, else none.
    QMenu* ListPopupMenu() const { return popupAttached_ ? PopupMenu2 : nullptr; }
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
    QLabel* Label9;
    QWidget* Panel2;
    QListView* ListBox1;
    QSplitter* Splitter3;
    TPictureView* Image1;
    QTabBar* TabSet1;
    QMenu* PopupMenu2;
    QAction *N21, *N23;
    TTextureListModel* model_;
    bool popupAttached_ = false;

    // The dictionary shown: its archive, its texture table, the thumbnails.
    std::string archivePath_;
    std::vector<korvane::TTextureInfo> textures_;
    std::vector<QImage> imageList_;
    std::unique_ptr<TImageLoader> imageLoader_;
};
