// The window's file dialogs: their names and filters ("Text|*.ext|...").
#pragma once

#include <QString>

struct TFileDialog {
    const char* name;
    const char* filter;
    bool severalFiles;  // the open dialog lets several files be chosen
};

// Opening an archive.
inline constexpr TFileDialog OpenDialog1 = {
    "OpenDialog1",
    "Архивы Grand Theft Auto (*.img)|*.img|Архивы Syberia 2 (*.syb)|*.syb|"
    "Архивы Harry Potter and the Goblet of Fire (*.big)|*.big|Все файлы (*.*)|*.*",
    false};
// Locating the ".dir" file of a two-file archive.
inline constexpr TFileDialog OpenDialog2 = {"OpenDialog2", "Файл DIR (*.dir)|*.dir|Все файлы|*.*", false};
// Files to add to an archive.
inline constexpr TFileDialog OpenDialog3 = {"OpenDialog3", "Все файлы|*.*", true};
// An extracted entry (asks before overwriting, as every save dialog here does).
inline constexpr TFileDialog SaveDialog1 = {"SaveDialog1", "", false};
// An exported texture; the chosen filter gives the format of a name without
// an extension.
inline constexpr TFileDialog SaveDialog2 = {"SaveDialog2", "Точечный рисунок (*.bmp)|*.bmp|Рисунок PNG (*.png)|*.png",
                                            false};
// An exported model.
inline constexpr TFileDialog SaveDialog4 = {"SaveDialog4", "glTF (*.glb)|*.glb", false};
// A converted placement file.
inline constexpr TFileDialog SaveDialog3 = {"SaveDialog3", "Текстовый IPL (*.ipl)|*.ipl", false};

inline QString DialogName(const TFileDialog& d) { return QString::fromLatin1(d.name); }
inline QString DialogFilter(const TFileDialog& d) { return QString::fromUtf8(d.filter); }
