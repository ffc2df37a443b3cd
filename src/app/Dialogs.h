// The window's file dialogs: their names and filters ("Text|*.ext|..."), the
// filters' texts translated when shown.
#pragma once

#include <QCoreApplication>
#include <QString>

struct TFileDialog {
    const char* name;
    const char* filter;
    bool severalFiles;  // the open dialog lets several files be chosen
};

// Opening an archive.
inline constexpr TFileDialog OpenArchiveDialog = {
    "OpenDialog1",
    QT_TRANSLATE_NOOP("TFileDialog", "Архивы Grand Theft Auto (*.img)|*.img|Архивы Syberia 2 (*.syb)|*.syb|"
                                     "Архивы Harry Potter and the Goblet of Fire (*.big)|*.big|Все файлы (*.*)|*.*"),
    false};
// Locating the ".dir" file of a two-file archive.
inline constexpr TFileDialog LocateDirDialog = {"OpenDialog2", QT_TRANSLATE_NOOP("TFileDialog", "Файл DIR (*.dir)|*.dir|Все файлы|*.*"), false};
// Files to add to an archive.
inline constexpr TFileDialog EntryFilesDialog = {"OpenDialog3", QT_TRANSLATE_NOOP("TFileDialog", "Все файлы|*.*"), true};
// A picture to put into a texture dictionary.
inline constexpr TFileDialog TexturePictureDialog = {"OpenDialog4", QT_TRANSLATE_NOOP("TFileDialog", "Рисунки (*.png;*.bmp)|*.png;*.bmp"), false};
// An extracted entry (asks before overwriting, as every save dialog here does).
inline constexpr TFileDialog ExtractDialog = {"SaveDialog1", "", false};
// An exported texture; the chosen filter gives the format of a name without
// an extension.
inline constexpr TFileDialog TextureExportDialog = {"SaveDialog2", QT_TRANSLATE_NOOP("TFileDialog", "Точечный рисунок (*.bmp)|*.bmp|Рисунок PNG (*.png)|*.png"),
                                            false};
// An exported model.
inline constexpr TFileDialog ModelExportDialog = {"SaveDialog4", "glTF (*.glb)|*.glb", false};
// A converted placement file.
inline constexpr TFileDialog PlacementTextDialog = {"SaveDialog3", QT_TRANSLATE_NOOP("TFileDialog", "Текстовый IPL (*.ipl)|*.ipl"), false};

inline QString DialogName(const TFileDialog& d) { return QString::fromLatin1(d.name); }
inline QString DialogFilter(const TFileDialog& d)
{
    return *d.filter ? QCoreApplication::translate("TFileDialog", d.filter) : QString();
}
