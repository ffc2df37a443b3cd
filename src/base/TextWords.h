// The words of the texts the core makes for people to read: size units, the
// list's column captions, a model's totals and part captions, a collision
// file's totals, the check's reports. Russian as the program has always shown
// them; English when the user asks for it. The window passes its own set, made
// from its translation.
#pragma once

#include <array>
#include <string_view>

namespace korvane {

// Captions of the list columns 0..3 (UTF-8).
inline constexpr std::array<std::string_view, 4> ColumnCaptions = {"№", "Имя", "Адрес", "Размер"};

struct TTextWords {
    std::string_view Bytes, KB, MB, GB;                // "%d байт", "%.2f КБ"...
    std::array<std::string_view, 4> ColumnCaptions;   // the list's columns 0..3
    std::string_view Vertices, Polygons;               // "%d вершин, %d полигонов"
    std::string_view Models, Faces;                    // a collision file's "%d моделей, %d граней"
    std::string_view Part;                             // "< Часть #%d >"
    std::string_view CheckPassed;                      // the check found nothing
    std::string_view BadNameCaption, BadNameText;      // a name with a character others may refuse
    std::string_view DuplicatesCaption, DuplicatesText;
    std::string_view NotFound;                         // a search that matched nothing
};

extern const TTextWords RussianWords;
extern const TTextWords EnglishWords;

}  // namespace korvane
