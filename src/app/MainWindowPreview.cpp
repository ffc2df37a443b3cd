// The selection handler: the Edit menu's state and the preview of the
// selected entry.
#include <QAction>
#include <QMenu>
#include <QStackedWidget>

#include "app/MainWindow.h"
#include "archive/FileIO.h"
#include "archive/NameCodec.h"
#include "app/preview/DffPage.h"
#include "app/preview/IplPage.h"
#include "preview/PreviewDispatch.h"
#include "app/preview/TxdPage.h"

using namespace korvane;

void TForm1::ListView1Click()
{
    const int r = SelectedRow();
    const bool editable = r >= 0 && IsSectorKind(cat_.ArchiveKind);
    N9->setEnabled(r >= 0);
    N11->setEnabled(r >= 0);
    N10->setEnabled(editable);
    N12->setEnabled(editable);
    N14->setEnabled(editable);
    if (r < 0) {
        // The pane keeps showing the last preview.
        popupAttached_ = false;
        return;
    }
    // A copy: a preview must not depend on the catalogue staying put.
    const TArchiveEntry e = cat_.Entries[cat_.RowOrder[size_t(r)]];
    ShowPreview(e);
    // Only a preview that ended without a failure gives the list its menu.
    popupAttached_ = true;
}

void TForm1::ShowPreview(const TArchiveEntry& e)
{
    const std::string ext = EntryExtension(EntryName(e));
    const QString name = QString::fromStdString(Cp1251ToUtf8(EntryName(e)));
    const QString sizeText = QString::fromStdString(EntrySizeText(cat_.ArchiveKind, e));

    if (ext == ".DFF") {
        notebook_->setCurrentIndex(2);
        dffPage_->Preview(cat_, e, name, sizeText);
    } else if (ext == ".TXD") {
        notebook_->setCurrentIndex(1);
        txdPage_->Preview(cat_, e, name, sizeText);
    } else if (ext == ".IPL") {
        TFile file = TFile::OpenReadWrite(cat_.ArchivePath);
        file.Seek(EntryBytePos(cat_.ArchiveKind, e));
        unsigned char header[PlacementHeaderSize];
        file.ReadExact(header, sizeof header);
        if (IsBinaryPlacement(header)) {
            notebook_->setCurrentIndex(3);
            iplPage_->Preview(file, header, e, name, sizeText);
        } else {
            notebook_->setCurrentIndex(0);
        }
    } else {
        notebook_->setCurrentIndex(0);
    }
}
