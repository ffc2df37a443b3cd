#include "app/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>
#include <new>

#include "app/AboutBox.h"
#include "app/ArchiveWatcher.h"
#include "app/Dialogs.h"
#include "app/EditCommands.h"
#include "app/LocalPaths.h"
#include "app/Prompts.h"
#include "app/SearchCommands.h"
#include "app/ServiceCommands.h"
#include "app/list/EntryListModel.h"
#include "app/list/EntryListView.h"
#include "app/list/EntryRowDelegate.h"
#include "app/preview/PreviewPane.h"
#include "archive/ArchiveLock.h"
#include "archive/ArchiveOpen.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "listview/RowSort.h"
#include "ops/OpErrors.h"

using namespace korvane;

TMainWindow::TMainWindow(Prompts& prompts, QStringList arguments, QWidget* parent)
    : QMainWindow(parent), prompts_(prompts), arguments_(std::move(arguments))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Korvane 3.0"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    setFont(font);
    resize(719, 448);

    BuildClientArea();
    BuildMenus();
    aboutBox_ = new TAboutBox(this);
    UpdateActions();
    WatchArchiveFiles();
    // Files dropped from the file manager open the first of them.
    setAcceptDrops(true);
}

TMainWindow::~TMainWindow() = default;

QTableView* TMainWindow::ListView() const { return listView_; }

QMenu* TMainWindow::ListPopupMenu() const { return listView_->ContextMenu(); }

TRenameDialog* TMainWindow::RenameDialog() const { return edit_->RenameDialog; }

TEntryDragOut* TMainWindow::DragOut() const { return edit_->DragOut; }

TServiceCommands& TMainWindow::Service() const { return *service_; }

void TMainWindow::BuildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto add = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };

    fileMenu_ = bar->addMenu(tr("Файл"));
    fileMenu_->setObjectName(QStringLiteral("N1"));
    openItem_ = add(fileMenu_, "N2", tr("Открыть..."));
    openItem_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    fileMenu_->addSeparator()->setObjectName(QStringLiteral("N3"));
    exitItem_ = add(fileMenu_, "N4", tr("Выход"));
    const TCommandContext context{session_, *listView_, rowOrder_, *model_, prompts_, this,
                                  [this](const std::function<void()>& c) { Guard(c); },
                                  [this](const QString& text, bool now) {
                                      SetStatusText(text);
                                      if (now) statusPanel_->repaint();
                                  },
                                  [this] { return LockForChange(); },
                                  [this](const std::set<std::string>& names) { ReloadSelecting(names); }};
    edit_ = std::make_unique<TEditCommands>(context, bar, *pane_, [this] { ShowSelection(); });
    search_ = std::make_unique<TSearchCommands>(context, bar);
    service_ = std::make_unique<TServiceCommands>(context, bar, *search_,
                                                  [this](const TArchiveLocation& where) { LoadFrom(where); });
    helpMenu_ = bar->addMenu(tr("Справка"));
    helpMenu_->setObjectName(QStringLiteral("N18"));
    aboutItem_ = add(helpMenu_, "N19", tr("О программе"));

    connect(openItem_, &QAction::triggered, this, [this] { Guard([this] { OpenArchive(); }); });
    connect(exitItem_, &QAction::triggered, this, [this] { Guard([this] { Exit(); }); });
    connect(aboutItem_, &QAction::triggered, this, [this] { Guard([this] { ShowAbout(); }); });
}

void TMainWindow::BuildClientArea()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* splitter = new QSplitter(Qt::Horizontal, central);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setOpaqueResize(true);
    layout->addWidget(splitter);

    auto* panel = new QFrame(splitter);
    panel->setObjectName(QStringLiteral("ListPanel"));
    panel->setFrameShape(QFrame::Box);
    panel->setLineWidth(1);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(1, 1, 1, 1);

    listView_ = new TEntryListView(panel);
    listView_->setAccessibleName(tr("Файлы архива"));
    model_ = new TEntryListModel(session_.Cat(), rowOrder_, this);
    listView_->setModel(model_);
    listView_->setItemDelegate(new TEntryRowDelegate(listView_->horizontalHeader(), listView_));
    const int widths[4] = {60, 200, 80, 80};
    for (int k = 0; k < 4; ++k) listView_->setColumnWidth(k, widths[k]);
    panelLayout->addWidget(listView_);

    pane_ = new TPreviewPane(splitter, prompts_, [this](const std::function<void()>& c) { Guard(c); });

    splitter->addWidget(panel);
    splitter->addWidget(pane_);
    splitter->setCollapsible(0, false);
    splitter->setCollapsible(1, false);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setSizes({719 - 264, 264});
    setCentralWidget(central);

    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    statusPanel_ = new QLabel(bar);
    statusPanel_->setObjectName(QStringLiteral("StatusPanel0"));
    statusPanel_->setMinimumWidth(50);
    bar->addWidget(statusPanel_, 1);

    connect(listView_, &TEntryListView::Clicked, this, [this] { Guard([this] { ShowSelection(); }); });
    // Each click and each change of the selection by the keyboard shows the
    // entry once.
    connect(listView_, &TEntryListView::RowsSelected, this, [this] { Guard([this] { ShowSelection(); }); });
    connect(listView_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { Guard([this, column] { SortList(column); }); });

    // The rows show the catalogue's entries afresh once a command changed them.
    connect(&session_, &TArchiveSession::Changed, this, [this] {
        model_->RowsChanged();
        listView_->viewport()->update();
    });
    // An archive let go leaves no rows behind.
    connect(&session_, &TArchiveSession::Closed, this, [this] {
        model_->SetRows(0);
        listView_->SetContextMenu(nullptr);
        rowOrder_ = TRowOrder();
    });
}

void TMainWindow::UpdateActions()
{
    // Each group enables its own items from the session; the selection
    // handler's runs are the window's to tell.
    edit_->EnableActions(selectionSeen_, rowSelected_);
    search_->EnableActions();
    service_->EnableActions();
}

QString TMainWindow::StatusText() const { return statusPanel_->text(); }

void TMainWindow::SetStatusText(const QString& text)
{
    statusPanel_->setText(text);
    statusPanel_->update();
    emit StatusTextSet(text);
}

void TMainWindow::ShowErrorBox(const QString& message)
{
    prompts_.Message(this, QString::fromStdString(ErrorBoxText(message.toStdString())), QStringLiteral("Korvane"),
                     QMessageBox::Critical);
}

void TMainWindow::Guard(const std::function<void()>& command)
{
    // A notice of an outside change waits until the command is over (its
    // dialogs run the event loop while its rows are in use).
    ++commandDepth_;
    try {
        try {
            command();
        } catch (const ops::EArchiveChanged&) {
            ReloadAfterOutsideChange();
            prompts_.Message(this, tr("Архив изменён другой программой. Список обновлён, повторите команду."),
                             QStringLiteral("Korvane"), QMessageBox::Warning);
        }
    } catch (const EArchiveBusy&) {
        // Also when the list read again after an outside change found the archive busy.
        prompts_.Message(this,
                         tr("Архив занят: другая программа изменяет его. Ничего не записано, "
                            "повторите команду позже."),
                         QStringLiteral("Korvane"), QMessageBox::Critical);
    } catch (const std::bad_alloc&) {
        ShowErrorBox(QStringLiteral("Out of memory"));
    } catch (const std::exception& e) {
        ShowErrorBox(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowErrorBox(QStringLiteral("Unknown error"));
    }
    if (--commandDepth_ == 0 && outsideCheckPending_) {
        outsideCheckPending_ = false;
        watcher_->Later();
    }
}

void TMainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    Guard([this] { OpenFromArguments(); });
}

void TMainWindow::OpenFromArguments()
{
    if (!firstShow_) return;
    firstShow_ = false;
    // The first argument that names an existing file is opened; the rest,
    // folders included, are passed over.
    for (const QString& arg : arguments_) {
        std::string path = LocalPath(arg);
        if (FileExists(path)) {
            Load(path);
            break;
        }
    }
}

void TMainWindow::closeEvent(QCloseEvent* event)
{
    closing_ = true;
    pane_->Clear();
    session_.Close();
    QMainWindow::closeEvent(event);
}

void TMainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    // Entries dragged from our own list are no archive to open.
    if (event->source() == listView_) return;
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TMainWindow::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    event->acceptProposedAction();
    Guard([this, paths] { DragFiles(paths); });
}

void TMainWindow::DragFiles(const QStringList& paths)
{
    if (paths.isEmpty()) return;
    // Files named like entries of the open archive go into it, when the user
    // says so; anything else is an archive to open.
    std::vector<std::string> local;
    for (const QString& p : paths) local.push_back(LocalPath(p));
    if (edit_->ImportDropped(local)) return;
    // The whole path: cutting a long one short would open another file.
    Load(local.front());
}

void TMainWindow::OpenArchive()
{
    const QString path = prompts_.OpenFile(this, DialogName(OpenArchiveDialog), DialogFilter(OpenArchiveDialog));
    if (path.isEmpty()) return;
    Load(LocalPath(path));
}

void TMainWindow::Exit() { close(); }

void TMainWindow::ShowAbout() { prompts_.ShowModal(aboutBox_); }

void TMainWindow::ShowSelection()
{
    const int r = listView_->SelectedRow();
    selectionSeen_ = true;
    rowSelected_ = r >= 0;
    UpdateActions();
    if (r < 0) {
        // The pane keeps showing the last preview.
        listView_->SetContextMenu(nullptr);
        return;
    }
    const Catalogue& cat = session_.Cat();
    pane_->Preview(cat, cat.Entries[rowOrder_.RowOrder[size_t(r)]], session_.Editable());
    // Only a preview that ended without a failure gives the list its menu.
    listView_->SetContextMenu(edit_->ListMenu);
}

void TMainWindow::SortList(int column)
{
    switch (SortByColumn(session_.Cat(), rowOrder_, model_->Rows(), column)) {
    case TSortOutcome::soSorted:
        model_->MarkSortColumn(column);
        [[fallthrough]];
    case TSortOutcome::soReversed:
        model_->RowsChanged();
        listView_->viewport()->update();
        break;
    case TSortOutcome::soNothing:
        break;
    }
}
