#include "app/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QVBoxLayout>
#include <new>

#include "app/AboutBox.h"
#include "app/Dialogs.h"
#include "app/FindDialog.h"
#include "app/Prompts.h"
#include "app/ShellIntegration.h"
#include "archive/Errors.h"
#include "archive/FileIO.h"
#include "app/list/EntryListModel.h"
#include "app/list/EntryListView.h"
#include "app/list/EntryRowDelegate.h"
#include "listview/RowSort.h"
#include "app/preview/DffPage.h"
#include "app/preview/IplPage.h"
#include "app/preview/TxdPage.h"

using namespace korvane;

namespace {

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

TForm1::TForm1(Prompts& prompts, QStringList arguments, QWidget* parent)
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
    BuildEditCommands();
    BuildDragOut();

    findDialog_ = new TFindDialog(this);
    WireSearch();
    aboutBox_ = new TForm5(this);

    // Files dropped from the file manager open the first of them.
    setAcceptDrops(true);
    cat_.FirstShow = true;
}

TForm1::~TForm1() = default;

QTableView* TForm1::ListView() const { return listView_; }

QAction* TForm1::AddAction(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void TForm1::BuildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    N1 = bar->addMenu(QStringLiteral("Файл"));
    N1->setObjectName(QStringLiteral("N1"));
    N2 = AddAction(N1, "N2", QStringLiteral("Открыть..."));
    N2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    N1->addSeparator()->setObjectName(QStringLiteral("N3"));
    N4 = AddAction(N1, "N4", QStringLiteral("Выход"));

    N8 = bar->addMenu(QStringLiteral("Правка"));
    N8->setObjectName(QStringLiteral("N8"));
    N9 = AddAction(N8, "N9", QStringLiteral("Открыть"));
    N10 = AddAction(N8, "N10", QStringLiteral("Переименовать"));
    N10->setShortcut(QKeySequence(Qt::Key_F2));
    N8->addSeparator()->setObjectName(QStringLiteral("N30"));
    N11 = AddAction(N8, "N11", QStringLiteral("Извлечь..."));
    N12 = AddAction(N8, "N12", QStringLiteral("Заменить..."));
    N13 = AddAction(N8, "N13", QStringLiteral("Добавить..."));
    N13->setShortcut(QKeySequence(Qt::Key_Insert));
    N14 = AddAction(N8, "N14", QStringLiteral("Удалить"));
    N14->setShortcut(QKeySequence(Qt::Key_Delete));
    N8->menuAction()->setEnabled(false);

    N5 = bar->addMenu(QStringLiteral("Поиск"));
    N5->setObjectName(QStringLiteral("N5"));
    N6 = AddAction(N5, "N6", QStringLiteral("Найти..."));
    N7 = AddAction(N5, "N7", QStringLiteral("Найти далее"));
    N7->setShortcut(QKeySequence(Qt::Key_F3));
    N7->setEnabled(false);
    N15 = AddAction(N5, "N15", QStringLiteral("Найти все"));
    N15->setEnabled(false);
    N32 = AddAction(N5, "N32", QStringLiteral("Показать результаты"));
    N32->setCheckable(true);
    N32->setEnabled(false);
    N5->menuAction()->setEnabled(false);

    // Created hidden and disabled; nothing shows it.
    N16 = bar->addMenu(QStringLiteral("Сервис"));
    N16->setObjectName(QStringLiteral("N16"));
    N17 = AddAction(N16, "N17", QStringLiteral("Перепаковать архив"));
    N20 = AddAction(N16, "N20", QStringLiteral("Проверить архив"));
    N22 = AddAction(N16, "N22", QStringLiteral("Интеграция в контекстное меню Проводника"));
    N22->setCheckable(true);
    N22->setVisible(false);
    // A hidden action always reports itself disabled, so the menu's own
    // enabled state carries it.
    N16->setEnabled(false);
    N16->menuAction()->setEnabled(false);
    N16->menuAction()->setVisible(false);

    N18 = bar->addMenu(QStringLiteral("Справка"));
    N18->setObjectName(QStringLiteral("N18"));
    N19 = AddAction(N18, "N19", QStringLiteral("О программе"));

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N24 = AddAction(PopupMenu1, "N24", QStringLiteral("Извлечь..."));
    N25 = AddAction(PopupMenu1, "N25", QStringLiteral("Заменить..."));
    N26 = AddAction(PopupMenu1, "N26", QStringLiteral("Удалить"));
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N27"));
    N28 = AddAction(PopupMenu1, "N28", QStringLiteral("Открыть"));
    N29 = AddAction(PopupMenu1, "N29", QStringLiteral("Переименовать"));

    connect(N2, &QAction::triggered, this, [this] { Guard([this] { N2Click(); }); });
    connect(N4, &QAction::triggered, this, [this] { Guard([this] { N4Click(); }); });
    connect(N19, &QAction::triggered, this, [this] { Guard([this] { N19Click(); }); });
    connect(N22, &QAction::triggered, this, [this] { Guard([this] { N22Click(); }); });
    connect(N17, &QAction::triggered, this, [this] { Guard([this] { N17Click(); }); });
    connect(N20, &QAction::triggered, this, [this] { Guard([this] { N20Click(); }); });
}

void TForm1::BuildClientArea()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);

    splitter_ = new QSplitter(Qt::Horizontal, central);
    splitter_->setObjectName(QStringLiteral("Splitter1"));
    splitter_->setOpaqueResize(true);
    layout->addWidget(splitter_);

    auto* panel = new QFrame(splitter_);
    panel->setObjectName(QStringLiteral("ListPanel"));
    panel->setFrameShape(QFrame::Box);
    panel->setLineWidth(1);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(1, 1, 1, 1);

    listView_ = new TEntryListView(panel);
    listView_->setAccessibleName(QStringLiteral("Файлы архива"));
    model_ = new TEntryListModel(cat_, this);
    listView_->setModel(model_);
    listView_->setItemDelegate(new TEntryRowDelegate(listView_->horizontalHeader(), listView_));
    const int widths[4] = {60, 200, 80, 80};
    for (int k = 0; k < 4; ++k) listView_->setColumnWidth(k, widths[k]);
    panelLayout->addWidget(listView_);

    notebook_ = new QStackedWidget(splitter_);
    notebook_->setObjectName(QStringLiteral("Notebook1"));
    notebook_->setMinimumWidth(260);
    auto* defaultPage = new QWidget(notebook_);
    defaultPage->setObjectName(QStringLiteral("Default"));
    defaultPage->setAccessibleName(QStringLiteral("Default"));
    notebook_->addWidget(defaultPage);
    txdPage_ = new TTxdPage(notebook_, prompts_, [this](const std::function<void()>& c) { Guard(c); });
    notebook_->addWidget(txdPage_);
    dffPage_ = new TDffPage(notebook_);
    dffPage_->SetCommandGuard([this](const std::function<void()>& handler) { Guard(handler); });
    notebook_->addWidget(dffPage_);
    iplPage_ = new TIplPage(notebook_, prompts_, [this](const std::function<void()>& c) { Guard(c); });
    notebook_->addWidget(iplPage_);
    auto* label4 = new QLabel(QStringLiteral("Файлы не выбраны или их формат не поддерживается"), notebook_->widget(0));
    label4->setObjectName(QStringLiteral("Label4"));
    label4->setWordWrap(true);
    label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* defaultLayout = new QVBoxLayout(notebook_->widget(0));
    defaultLayout->addWidget(label4);
    defaultLayout->addStretch(1);

    splitter_->addWidget(panel);
    splitter_->addWidget(notebook_);
    splitter_->setCollapsible(0, false);
    splitter_->setCollapsible(1, false);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    splitter_->setSizes({719 - 264, 264});
    setCentralWidget(central);

    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    statusPanel_ = new QLabel(bar);
    statusPanel_->setObjectName(QStringLiteral("StatusPanel0"));
    statusPanel_->setMinimumWidth(50);
    bar->addWidget(statusPanel_, 1);

    connect(listView_, &TEntryListView::Clicked, this, [this] { Guard([this] { ListView1Click(); }); });
    connect(listView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection&) {
                // Runs when rows became selected, not when they only lost it.
                if (!selected.isEmpty()) Guard([this] { ListView1Click(); });
            });
    connect(listView_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { Guard([this, column] { ListView1ColumnClick(column); }); });
    connect(listView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (popupAttached_) PopupMenu1->popup(listView_->viewport()->mapToGlobal(pos));
    });
}

QString TForm1::StatusText() const { return statusPanel_->text(); }

void TForm1::SetStatusText(const QString& text)
{
    statusPanel_->setText(text);
    statusPanel_->update();
    emit StatusTextSet(text);
}

void TForm1::ShowErrorBox(const QString& message)
{
    prompts_.Message(this, QString::fromStdString(ErrorBoxText(message.toStdString())), QStringLiteral("Korvane"),
                     QMessageBox::Critical);
}

void TForm1::Guard(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::bad_alloc&) {
        ShowErrorBox(QStringLiteral("Out of memory"));
    } catch (const std::exception& e) {
        ShowErrorBox(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowErrorBox(QStringLiteral("Unknown error"));
    }
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    Guard([this] { FormShow(); });
}

void TForm1::FormShow()
{
    if (!cat_.FirstShow) return;
    cat_.FirstShow = false;
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

void TForm1::closeEvent(QCloseEvent* event)
{
    cat_.Closing = true;
    QMainWindow::closeEvent(event);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    // Entries dragged from our own list are no archive to open.
    if (event->source() == listView_) return;
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    event->acceptProposedAction();
    Guard([this, paths] { DragFiles(paths); });
}

void TForm1::DragFiles(const QStringList& paths)
{
    if (paths.isEmpty()) return;
    // The whole path: cutting a long one short would open another file.
    Load(LocalPath(paths.first()));
}

void TForm1::N2Click()
{
    const QString path = prompts_.OpenFile(this, DialogName(OpenDialog1), DialogFilter(OpenDialog1));
    if (path.isEmpty()) return;
    Load(LocalPath(path));
}

void TForm1::N4Click() { close(); }

void TForm1::N19Click() { prompts_.ShowModal(aboutBox_); }

void TForm1::N22Click()
{
    if (N22->isChecked())
        InstallShellIntegration(LocalPath(QCoreApplication::applicationFilePath()));
    else
        RemoveShellIntegration();
}

int TForm1::SelectedRow() const
{
    int first = -1;
    for (const QItemSelectionRange& range : listView_->selectionModel()->selection())
        if (first < 0 || range.top() < first) first = range.top();
    return first;
}

void TForm1::ListView1ColumnClick(int column)
{
    switch (SortByColumn(cat_, model_->Rows(), column)) {
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

void TForm1::EnableForKind()
{
    const bool editable = IsSectorKind(cat_.ArchiveKind);
    for (QAction* a : {N12, N13, N14, N10, N25, N26, N29}) a->setEnabled(editable);
    N16->setEnabled(editable);
    N16->menuAction()->setEnabled(editable);
}
