// The editing commands: the "Правка" menu, the list's context menu and
// entries dragged out of the list. Each gathers the user's answers, runs the
// core operation, then brings the list rows in step with the catalogue.
#pragma once

#include <QCoreApplication>
#include <functional>
#include <string>
#include <vector>

#include "app/CommandContext.h"

class QAction;
class QMenu;
class QMenuBar;
class TEntryDragOut;
class TRenameDialog;
class TPreviewPane;
namespace korvane {
struct TArchiveEntry;
struct TTextureChange;
struct TTextureChangeResult;
}

class TEditCommands {
    Q_DECLARE_TR_FUNCTIONS(TEditCommands)
public:
    // Adds the "Правка" menu to the bar and makes the context menu. Texture
    // changes made on the pane's TXD page are written here. `selectionHandler`
    // is the list's selection handler, run again after a command that leaves
    // the shown entry or the selection changed.
    TEditCommands(const TCommandContext& context, QMenuBar* bar, TPreviewPane& pane,
                  std::function<void()> selectionHandler);

    void Open();     // the entry opened with the desktop's application
    void Rename();
    void Extract();  // one entry to a file, several into a folder
    void Replace();
    void Add();      // several files at once
    // Files, or a folder's files, replacing the entries of their names and
    // added where no entry has one, as one change, after the user confirmed
    // the list of what is replaced and what added.
    void ImportFiles();
    void ImportFolder();
    // Files dropped on the window: when the open archive may be changed and
    // any of them is named like one of its entries, the import's question
    // is asked and true returned; otherwise false (the drop opens the first).
    bool ImportDropped(const std::vector<std::string>& paths);
    void Delete();
    // The last change made (undone) is taken back (made again).
    void Undo();
    void Redo();
    // The undo and redo items' texts and states, from the history.
    void UpdateUndoItems();
    // Selected rows dragged out of the list: their entries are extracted for
    // the drop target and handed over as files.
    void StartDrag();
    // A texture change from the TXD page to the dictionary entry `shown`:
    // written, the list brought in step (a moved entry is the last row and
    // the one selected), the entry previewed again.
    korvane::TTextureChangeResult ChangeTexture(const korvane::TArchiveEntry& shown,
                                                const korvane::TTextureChange& change);

    // Enables the group's items from the session and the selection handler's
    // runs: `selectionSeen` once it has run since the archive was opened,
    // `rowSelected` whether its last run found a row.
    void EnableActions(bool selectionSeen, bool rowSelected);

    QMenu* EditMenu;
    QAction *UndoItem, *RedoItem;
    QAction *OpenItem, *RenameItem, *ExtractItem, *ReplaceItem, *AddItem, *ImportItem, *ImportFolderItem, *DeleteItem;
    QMenu* ListMenu;
    QAction *ListExtractItem, *ListReplaceItem, *ListDeleteItem, *ListOpenItem, *ListRenameItem;
    TRenameDialog* RenameDialog;
    TEntryDragOut* DragOut;

private:
    void UndoOrRedo(bool undo);
    void Import(const std::vector<std::string>& operands);

    TCommandContext ctx_;
    TPreviewPane& pane_;
    std::function<void()> selectionHandler_;
};
