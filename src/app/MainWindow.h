// The main window: owns the open archive's catalogue and wires the menus,
// dialogs, the entry list and the preview pane to the core.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "archive/Catalogue.h"

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QStackedWidget;
class QTableView;
class Prompts;
class TEntryListModel;
class TFindDialog;
class TForm5;
class TTxdPage;
class TDffPage;
class TIplPage;
namespace korvane {
struct TArchiveLocation;
struct TTextureChange;
}
class TForm2;
class TEntryDragOut;

// The list of entries: a click anywhere on it is reported, as the selection
// handler runs on clicks too.
class TEntryListView;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // `arguments` are the command line's arguments after the program name.
    TForm1(Prompts& prompts, QStringList arguments, QWidget* parent = nullptr);
    ~TForm1() override;

    const korvane::Catalogue& Cat() const { return cat_; }
    TEntryListModel* ListModel() const { return model_; }
    QTableView* ListView() const;
    QString StatusText() const;
    // The list's context menu: PopupMenu1 while a row is selected, else none.
    QMenu* ListPopupMenu() const { return popupAttached_ ? PopupMenu1 : nullptr; }

    // Opens the archive at path. The open archive is replaced only when the
    // new directory has been read whole; until then nothing changes.
    void Load(const std::string& path);
    // Load's reading half, for a place already located: nothing is asked.
    void LoadFrom(const korvane::TArchiveLocation& where);

    // Handlers.
    void FormShow();
    void DragFiles(const QStringList& paths);
    void N2Click();   // Файл / Открыть...
    void N4Click();   // Файл / Выход
    void N19Click();  // Справка / О программе
    void N17Click();  // Сервис / Перепаковать архив
    void N20Click();  // Сервис / Проверить архив
    void N22Click();  // Сервис / Интеграция в контекстное меню Проводника
    void ListView1Click();
    void ListView1ColumnClick(int column);
    // Правка and the list's context menu.
    void N9Click();   // Открыть
    void N10Click();  // Переименовать
    void N11Click();  // Извлечь...
    void N12Click();  // Заменить...
    void N13Click();  // Добавить...
    void N14Click();  // Удалить
    TForm2* RenameDialog() const { return form2_; }
    void N6Click();          // Поиск / Найти...
    void FindDialog1Find();  // Поиск / Найти далее, and the find dialog's button
    void N15Click();         // Поиск / Найти все
    void N32Click();         // Поиск / Показать результаты
    // Selected rows dragged out of the list: their entries are extracted for
    // the drop target and handed over as files.
    void ListView1StartDrag();
    TEntryDragOut* DragOut() const { return dragOut_; }

    // Runs a command, showing any failure in the standard error box.
    void Guard(const std::function<void()>& command);

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
    void SetStatusText(const QString& text);
    void EnableForKind();
    int SelectedRow() const;  // the first selected row in list order, or -1
    void ShowPreview(const korvane::TArchiveEntry& e);
    // A texture change from the TXD page, to the dictionary entry it shows;
    // the entry is previewed again afterwards (MainWindowEdit.cpp).
    void ChangeTexture(const korvane::TTextureChange& change);
    void ShowErrorBox(const QString& message);
    QAction* AddAction(QMenu* menu, const char* name, const QString& caption);
    // Shows every entry again in catalogue order, as unchecking N32 does.
    void SwitchFilterOff();
    void ScrollRowToTop(int row);
    void BuildEditCommands();
    std::vector<int> SelectedRows() const;  // every selected row, top to bottom
    void SelectRowQuietly(int row);
    // Search commands (MainWindowSearch.cpp).
    void WireSearch();
    void BuildDragOut();

    Prompts& prompts_;
    QStringList arguments_;
    korvane::Catalogue cat_;

    TEntryListModel* model_ = nullptr;
    TEntryListView* listView_ = nullptr;
    QLabel* statusPanel_ = nullptr;
    QStackedWidget* notebook_ = nullptr;
    QSplitter* splitter_ = nullptr;
    TFindDialog* findDialog_ = nullptr;
    TForm5* aboutBox_ = nullptr;
    TTxdPage* txdPage_ = nullptr;
    TDffPage* dffPage_ = nullptr;
    TIplPage* iplPage_ = nullptr;

    QMenu *N1, *N8, *N5, *N16, *N18;
    QAction *N2, *N4, *N9, *N10, *N11, *N12, *N13, *N14;
    QAction *N6, *N7, *N15, *N32;
    QAction *N17, *N20, *N22, *N19;
    QMenu* PopupMenu1;
    QAction *N24, *N25, *N26, *N28, *N29;
    bool popupAttached_ = false;
    // The entry the preview pane shows, to find it again after other changes.
    uint32_t shownIndex_ = UINT32_MAX;
    korvane::TArchiveEntry shown_{};
    TForm2* form2_ = nullptr;
    TEntryDragOut* dragOut_ = nullptr;
};
