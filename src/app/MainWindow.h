// The main window: owns the archive session (the open catalogue), the
// list's rows and the window's state. It is the shell that lays out the list
// and the preview pane, opens archives and wires the menus to the command
// groups (EditCommands.h, SearchCommands.h, ServiceCommands.h), which share
// the session, the list's selection and the prompts.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "app/ArchiveSession.h"
#include "archive/Catalogue.h"
#include "listview/RowOrder.h"

class QAction;
class QLabel;
class QMenu;
class QTableView;
class Prompts;
class TEditCommands;
class TEntryDragOut;
class TEntryListModel;
class TEntryListView;
class TRenameDialog;
class TAboutBox;
class TPreviewPane;
class TSearchCommands;
class TServiceCommands;
class TArchiveWatcher;
namespace korvane {
struct TArchiveLocation;
class TArchiveLock;
}

class TMainWindow : public QMainWindow {
    Q_OBJECT
public:
    // `arguments` are the command line's arguments after the program name.
    TMainWindow(Prompts& prompts, QStringList arguments, QWidget* parent = nullptr);
    ~TMainWindow() override;

    const korvane::Catalogue& Cat() const { return session_.Cat(); }
    const TArchiveSession& Session() const { return session_; }
    const korvane::TRowOrder& Order() const { return rowOrder_; }
    TEntryListModel* ListModel() const { return model_; }
    QTableView* ListView() const;
    QString StatusText() const;
    // The list's context menu: the edit commands' list menu while a row is
    // selected, else none.
    QMenu* ListPopupMenu() const;
    // Set when the window has been asked to close.
    bool Closing() const { return closing_; }

    // Opens the archive at path. The open archive is replaced only when the
    // new directory has been read whole; until then nothing changes.
    void Load(const std::string& path);
    // Load's reading half, for a place already located: nothing is asked.
    void LoadFrom(const korvane::TArchiveLocation& where);

    // Handlers. The window's own; the command groups' are wired to their
    // menu items directly.
    void OpenFromArguments();  // the first shown: the archive the command line names
    void DragFiles(const QStringList& paths);
    void OpenArchive();  // Файл / Открыть...
    void Exit();         // Файл / Выход
    void ShowAbout();    // Справка / О программе
    // The selection handler: the menus' state and the preview of the entry.
    void ShowSelection();
    // A click on a column's caption: the rows sorted by it, or reversed.
    void SortList(int column);
    TRenameDialog* RenameDialog() const;
    TEntryDragOut* DragOut() const;
    // The "Сервис" commands, whose menu stays hidden.
    TServiceCommands& Service() const;

    // Runs a command, showing any failure in the standard error box.
    void Guard(const std::function<void()>& command);
    // Every menu item's enabled state, worked out from the window's state.
    void UpdateActions();
    void SetStatusText(const QString& text);

    // Other programs changing the open archive (MainWindowSync.cpp). The
    // exclusive lock for a change, when the disk still holds the directory
    // the window read (see TCommandContext::LockForChange).
    korvane::TArchiveLock LockForChange();
    // The list read again from the disk, the rows whose entries' names are
    // still there selected again.
    void ReloadAfterOutsideChange();
    // The open archive read again, the rows of these (raw) entry names selected.
    void ReloadSelecting(const std::set<std::string>& names);
    // The watched files have been quiet a moment: when the directory on disk
    // differs from the one shown, the list is read again.
    void ArchiveFilesSettled();

signals:
    // Every text put into the status bar, in order (for the record; the
    // status bar itself shows the last one).
    void StatusTextSet(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenus();
    void BuildClientArea();
    void ShowErrorBox(const QString& message);
    void WatchArchiveFiles();

    Prompts& prompts_;
    QStringList arguments_;
    TArchiveSession session_;
    korvane::TRowOrder rowOrder_;  // the list's rows over the session's catalogue

    TEntryListModel* model_ = nullptr;
    TEntryListView* listView_ = nullptr;
    QLabel* statusPanel_ = nullptr;
    TPreviewPane* pane_ = nullptr;
    TAboutBox* aboutBox_ = nullptr;
    QMenu *fileMenu_ = nullptr, *helpMenu_ = nullptr;
    QAction *openItem_ = nullptr, *exitItem_ = nullptr, *aboutItem_ = nullptr;
    std::unique_ptr<TEditCommands> edit_;
    std::unique_ptr<TSearchCommands> search_;
    std::unique_ptr<TServiceCommands> service_;
    TArchiveWatcher* watcher_ = nullptr;

    // The window's state, from which UpdateActions works.
    bool firstShow_ = true;
    bool closing_ = false;
    bool selectionSeen_ = false;  // the selection handler has run since
    bool rowSelected_ = true;     // the selection handler's last run found a row
    int commandDepth_ = 0;        // commands running (Guard), nested ones counted
    bool outsideCheckPending_ = false;  // the files settled while a command ran
};
