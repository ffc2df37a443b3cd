#include "cli/TxdCommand.h"

#include "cli/CliUsage.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "archive/FileIO.h"
#include "archive/NameCodec.h"
#include "cli/CliSource.h"
#include "preview/SectionWalk.h"
#include "preview/TextureDecode.h"
#include "preview/TextureDictionary.h"
#include "preview/TextureExport.h"

using namespace korvane;

namespace {

struct TTxdOptions {
    std::string source;
    std::optional<uint32_t> index;  // none: the source is a loose dictionary file
    std::string exportDir;
    TDecodeMode mode = dmColor;
    int width = 0, height = 0;  // 0: each texture's own size
    std::string format = "bmp";
};

bool ParseNumber(const std::string& s, long long& v)
{
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, v);
    return ec == std::errc() && p == end && v >= 0;
}

TTxdOptions ParseTxdOptions(const std::vector<std::string>& args)
{
    TTxdOptions o;
    int positional = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError("option " + a + " needs a value");
            return args[++i];
        };
        if (a == "--export") {
            o.exportDir = value();
        } else if (a == "--mode") {
            const std::string& v = value();
            if (v == "color") o.mode = dmColor;
            else if (v == "mask") o.mode = dmMask;
            else if (v == "composite") o.mode = dmComposite;
            else throw UsageError("--mode takes color, mask or composite, not '" + v + "'");
        } else if (a == "--size") {
            const std::string& v = value();
            const size_t x = v.find('x');
            long long w, h;
            if (x == std::string::npos || !ParseNumber(v.substr(0, x), w) || !ParseNumber(v.substr(x + 1), h) ||
                w < 1 || h < 1 || w > 65535 || h > 65535)
                throw UsageError("--size takes WxH with sides 1..65535, not '" + v + "'");
            o.width = int(w);
            o.height = int(h);
        } else if (a == "--format") {
            o.format = value();
            if (o.format != "bmp" && o.format != "png") throw UsageError("--format takes bmp or png, not '" + o.format + "'");
        } else if (a.size() > 1 && a[0] == '-') {
            throw UsageError("unknown option " + a);
        } else if (positional == 0) {
            o.source = a;
            ++positional;
        } else if (positional == 1) {
            o.index = ParseEntryIndex(a);
            if (!o.index) throw UsageError("INDEX must be an entry number, not '" + a + "'");
            ++positional;
        } else {
            throw UsageError("unexpected argument '" + a + "'");
        }
    }
    if (o.source.empty()) throw UsageError("no archive or dictionary given");
    return o;
}

// A texture name as a file name inside the export folder: UTF-8, and never a
// path that leaves the folder.
std::string FileNameFor(const std::string& raw)
{
    std::string name = Cp1251ToUtf8(raw);
    std::replace(name.begin(), name.end(), '/', '_');
    if (name.empty() || name == "." || name == "..") name = "_" + name;
    return name;
}

}  // namespace

void TxdUsage(std::ostream& out)
{
    out << "usage: korvane-cli txd SOURCE [INDEX] [--export DIR] [--mode color|mask|composite]\n"
           "                       [--size WxH] [--format bmp|png]\n"
           "  SOURCE is an archive with the number INDEX of a texture dictionary entry\n"
           "  in it, or, without INDEX, a loose .txd file.\n"
           "  Without --export prints one line per texture:\n"
           "    name, mask name, WxH, encoding, alpha (0|1), separated by tabs.\n"
           "  --export DIR writes each texture to DIR/NAME.bmp (mask mode: DIR/MASKNAME.bmp,\n"
           "  or NAME_mask.bmp when the mask name is empty), at its own size or --size,\n"
           "  decoded in --mode (default color). --format png writes .png files instead,\n"
           "  in color mode with the texture's alpha when it has one.\n";
}

int TxdCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TTxdOptions o;
    if (auto code = ParseVerb("txd", args, out, err, TxdUsage, [&] { return ParseTxdOptions(args); }, o)) return *code;

    TCliSource source = OpenCliSource(o.source, o.index);
    TFile& file = source.File;
    if (!SectionStartsWithin(file, source.EntryPos, source.EntryPos + source.EntryLen, rwTextureDictionary))
        RaiseHoldsNo(source, "texture dictionary");
    file.Seek(source.EntryPos);
    if (o.exportDir.empty()) {
        // Line by line as the walk goes, so a failure shows how far it got.
        const uint16_t n = ReadTextureCount(file);
        for (uint16_t i = 0; i < n; ++i) {
            TTextureInfo t;
            try {
                ReadTextureHeader(file, t);
            } catch (...) {
                out.flush();
                throw;
            }
            out << Cp1251ToUtf8(t.Name) << '\t' << Cp1251ToUtf8(t.MaskName) << '\t' << t.Width << 'x' << t.Height << '\t'
                << EncodingName(TextureEncoding(t)) << '\t' << (t.HasAlpha ? 1 : 0) << '\n';
        }
        out.flush();
        return 0;
    }
    const std::vector<TTextureInfo> textures = ReadTextureDictionary(file);

    std::filesystem::create_directories(o.exportDir);
    const std::string ext = "." + o.format;
    for (const TTextureInfo& t : textures) {
        if (TextureEncoding(t) == TTextureEncoding::Unsupported) {
            err << "korvane-cli txd: skipping " << Cp1251ToUtf8(t.Name) << ": unsupported pixel format\n";
            continue;
        }
        std::string name;
        if (o.mode == dmMask)
            name = t.MaskName.empty() ? FileNameFor(t.Name) + "_mask" : FileNameFor(t.MaskName);
        else
            name = FileNameFor(t.Name);
        const int width = o.width ? o.width : t.Width, height = o.height ? o.height : t.Height;
        const TPictureFormat format = o.format == "png" ? TPictureFormat::Png : TPictureFormat::Bmp;
        if (format == TPictureFormat::Png && (width == 0 || height == 0)) {
            err << "korvane-cli txd: skipping " << Cp1251ToUtf8(t.Name) << ": a PNG file cannot be empty\n";
            continue;
        }
        file.Seek(t.DataPos);
        ExportTexture(file, t, width, height, o.mode, format, o.exportDir + "/" + name + ext);
    }
    return 0;
}
