// Dragging entries out of the list onto a file manager or the desktop.
#include <QDrag>
#include <QMimeData>
#include <QPointer>
#include <QStyle>

#include "app/EntryDragOut.h"
#include "app/MainWindow.h"
#include "app/list/EntryListView.h"

void TForm1::BuildDragOut()
{
    dragOut_ = new TEntryDragOut(this);
    connect(listView_, &TEntryListView::DragStarted, this, [this] { Guard([this] { ListView1StartDrag(); }); });
}

void TForm1::ListView1StartDrag()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return;
    std::vector<uint32_t> indices;
    for (int r : rows) indices.push_back(cat_.RowOrder[size_t(r)]);
    // Everything is written before the drag starts: the target copies the
    // files as soon as they are dropped.
    QMimeData* mime = dragOut_->Prepare(cat_, indices);
    auto* drag = new QDrag(listView_);
    drag->setMimeData(mime);
    drag->setPixmap(listView_->style()->standardIcon(QStyle::SP_FileIcon).pixmap(32));
    const QPointer<QDrag> done(drag);
    // A copy: the entries stay in the archive.
    dragOut_->Exec(drag, Qt::CopyAction);
    // Qt usually disposes of a finished drag itself; whatever is left goes too.
    if (done) done->deleteLater();
}
