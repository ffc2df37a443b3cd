#include "cli/RowPrinter.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "cli/CliLanguage.h"
#include "cli/JsonText.h"
#include "listview/CellText.h"

using namespace korvane;

namespace {

size_t Utf8Width(const std::string& s)
{
    return size_t(std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}


}  // namespace

void PrintRows(const Catalogue& cat, const TRowOrder& order, const std::vector<uint32_t>& rows, int marked, const std::string& format,
               std::ostream& out)
{
    const std::string point = LocaleDecimalPoint();
    const TTextWords& words = CliWords();
    if (format == "tsv") {
        for (uint32_t r : rows)
            out << CellText(cat, order, r, 0, point, words) << '\t' << CellText(cat, order, r, 1, point, words) << '\t'
                << CellText(cat, order, r, 2, point, words) << '\t' << CellText(cat, order, r, 3, point, words) << '\n';
    } else if (format == "json") {
        static const char* const keys[4] = {"index", "name", "address", "size"};
        out << "[";
        bool first = true;
        for (uint32_t r : rows) {
            out << (first ? "\n " : ",\n ") << "{";
            first = false;
            for (int k = 0; k < 4; ++k)
                out << (k ? ", " : "") << JsonText(keys[k]) << ": " << JsonText(CellText(cat, order, r, k, point, words));
            out << "}";
        }
        out << (rows.empty() ? "]\n" : "\n]\n");
    } else {
        // Columns padded to their widest text, the header first, as in the window.
        std::array<std::string, 4> header;
        std::array<size_t, 4> width{};
        for (int k = 0; k < 4; ++k) {
            header[size_t(k)] = std::string(words.ColumnCaptions[size_t(k)]) + (k == marked ? " •" : "");
            width[size_t(k)] = Utf8Width(header[size_t(k)]);
        }
        for (uint32_t r : rows)
            for (int k = 0; k < 3; ++k)
                width[size_t(k)] = std::max(width[size_t(k)], Utf8Width(CellText(cat, order, r, k, point, words)));
        auto line = [&](const std::array<std::string, 4>& cells) {
            for (size_t k = 0; k < 4; ++k) {
                out << cells[k];
                if (k < 3) out << std::string(width[k] - Utf8Width(cells[k]) + 2, ' ');
            }
            out << '\n';
        };
        line(header);
        for (uint32_t r : rows)
            line({CellText(cat, order, r, 0, point, words), CellText(cat, order, r, 1, point, words),
                  CellText(cat, order, r, 2, point, words), CellText(cat, order, r, 3, point, words)});
    }
    out.flush();
}
