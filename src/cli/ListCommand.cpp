#include "cli/ListCommand.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "archive/ArchiveOpen.h"
#include "listview/CellText.h"
#include "listview/RowSort.h"

using namespace korvane;

namespace {

struct TListOptions {
    std::string archive;
    std::vector<int> sorts;
    std::string format = "text";
};

class UsageError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

TListOptions ParseListOptions(const std::vector<std::string>& args)
{
    TListOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError("option " + a + " needs a value");
            return args[++i];
        };
        if (a == "--sort") {
            const std::string& v = value();
            if (v.size() != 1 || v[0] < '0' || v[0] > '3') throw UsageError("--sort takes a column 0..3, not '" + v + "'");
            o.sorts.push_back(v[0] - '0');
        } else if (a == "--format") {
            o.format = value();
            if (o.format != "text" && o.format != "tsv" && o.format != "json")
                throw UsageError("--format takes text, tsv or json, not '" + o.format + "'");
        } else if (a == "--filter" || a == "--whole-word" || a == "--match-case") {
            throw UsageError("searching is not available yet: " + a);
        } else if (a.size() > 1 && a[0] == '-') {
            throw UsageError("unknown option " + a);
        } else if (o.archive.empty()) {
            o.archive = a;
        } else {
            throw UsageError("only one archive can be listed");
        }
    }
    if (o.archive.empty()) throw UsageError("no archive given");
    return o;
}

size_t Utf8Width(const std::string& s)
{
    return size_t(std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string JsonString(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

void ListUsage(std::ostream& out)
{
    out << "usage: korvane-cli list ARCHIVE [--sort COL]... [--format text|tsv|json]\n"
           "  Prints the archive's entries as the window lists them: number, name,\n"
           "  address and size. Each --sort COL (0 number, 1 name, 2 address, 3 size)\n"
           "  is one click on that column's header, applied in order; a second click\n"
           "  on the same column reverses the rows.\n"
           "  --format tsv prints the four cell texts of each row separated by tabs.\n";
}

int ListCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        ListUsage(out);
        return 0;
    }
    TListOptions o;
    try {
        o = ParseListOptions(args);
    } catch (const UsageError& e) {
        err << "korvane-cli list: " << e.what() << "\n";
        ListUsage(err);
        return 2;
    }

    Catalogue cat;
    const TArchiveLocation where = LocateArchive(o.archive);
    cat.Entries = ReadDirectory(where);
    cat.ArchivePath = where.ArchivePath;
    cat.DirPath = where.DirPath;
    cat.ArchiveKind = where.Kind;
    cat.RowOrder.resize(cat.Entries.size());
    for (uint32_t i = 0; i < cat.RowOrder.size(); ++i) cat.RowOrder[i] = i;

    const uint32_t rows = uint32_t(cat.Entries.size());
    int marked = -1;
    for (int col : o.sorts)
        if (SortByColumn(cat, rows, col) == TSortOutcome::soSorted) marked = col;

    const std::string point = LocaleDecimalPoint();
    if (o.format == "tsv") {
        for (uint32_t r = 0; r < rows; ++r)
            out << CellText(cat, r, 0, point) << '\t' << CellText(cat, r, 1, point) << '\t'
                << CellText(cat, r, 2, point) << '\t' << CellText(cat, r, 3, point) << '\n';
    } else if (o.format == "json") {
        static const char* const keys[4] = {"index", "name", "address", "size"};
        out << "[";
        for (uint32_t r = 0; r < rows; ++r) {
            out << (r ? ",\n " : "\n ") << "{";
            for (int k = 0; k < 4; ++k)
                out << (k ? ", " : "") << JsonString(keys[k]) << ": " << JsonString(CellText(cat, r, k, point));
            out << "}";
        }
        out << (rows ? "\n]\n" : "]\n");
    } else {
        // Columns padded to their widest text, the header first, as in the window.
        std::array<std::string, 4> header;
        std::array<size_t, 4> width{};
        for (int k = 0; k < 4; ++k) {
            header[size_t(k)] = std::string(ColumnCaptions[size_t(k)]) + (k == marked ? " •" : "");
            width[size_t(k)] = Utf8Width(header[size_t(k)]);
        }
        for (uint32_t r = 0; r < rows; ++r)
            for (int k = 0; k < 3; ++k) width[size_t(k)] = std::max(width[size_t(k)], Utf8Width(CellText(cat, r, k, point)));
        auto line = [&](const std::array<std::string, 4>& cells) {
            for (size_t k = 0; k < 4; ++k) {
                out << cells[k];
                if (k < 3) out << std::string(width[k] - Utf8Width(cells[k]) + 2, ' ');
            }
            out << '\n';
        };
        line(header);
        for (uint32_t r = 0; r < rows; ++r)
            line({CellText(cat, r, 0, point), CellText(cat, r, 1, point), CellText(cat, r, 2, point), CellText(cat, r, 3, point)});
    }
    out.flush();
    return 0;
}
