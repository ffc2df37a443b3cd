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
class TForm2;
class TForm5;
class TPreviewPane;
class TSearchCommands;
class TServiceCommands;
class TArchiveWatcher;
namespace korvane {
struct TArchiveLocation;
class TArchiveLock;
}

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // `arguments` are the command line's arguments after the program name.
    TForm1(Prompts& prompts, QStringList arguments, QWidget* parent = nullptr);
    ~TForm1() override;

    const korvane::Catalogue& Cat() const { return session_.Cat(); }
    const TArchiveSession& Session() const { return session_; }
    const korvane::TRowOrder& Order() const { return rowOrder_; }
    TEntryListModel* ListModel() const { return model_; }
    QTableView* ListView() const;
    QString StatusText() const;
    // The list's context menu: PopupMenu1 while a row is selected, else none.
    QMenu* ListPopupMenu() const;
    // Set when the window has been asked to close.
    bool Closing() const { return closing_; }

    // Opens the archive at path. The open archive is replaced only when the
    // new directory has been read whole; until then nothing changes.
    void Load(const std::string& path);
    // Load's reading half, for a place already located: nothing is asked.
    void LoadFrom(const korvane::TArchiveLocation& where);

    // Handlers. The window's own:
    void FormShow();
    void DragFiles(const QStringList& paths);
    void N2Click();   // Файл / Открыть...
    void N4Click();   // Файл / Выход
    void N19Click();  // Справка / О программе
    // The selection handler: the menus' state and the preview of the entry.
    void ListView1Click();
    void ListView1ColumnClick(int column);
    // ... and those of the command groups, which do the work.
    void N9Click();   // Правка / Открыть
    void N10Click();  // Правка / Переименовать
    void N11Click();  // Правка / Извлечь...
    void N12Click();  // Правка / Заменить...
    void N13Click();  // Правка / Добавить...
    void N14Click();  // Правка / Удалить
    void ListView1StartDrag();
    void N6Click();          // Поиск / Найти...
    void FindDialog1Find();  // Поиск / Найти далее, and the find dialog's button
    void N15Click();         // Поиск / Найти все
    void N32Click();         // Поиск / Показать результаты
    void N17Click();  // Сервис / Перепаковать архив
    void N20Click();  // Сервис / Проверить архив
    void N22Click();  // Сервис / Интеграция в контекстное меню Проводника
    TForm2* RenameDialog() const;
    TEntryDragOut* DragOut() const;

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
    TPreviewPane* notebook_ = nullptr;
    TForm5* aboutBox_ = nullptr;
    QMenu *N1 = nullptr, *N18 = nullptr;
    QAction *N2 = nullptr, *N4 = nullptr, *N19 = nullptr;
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
