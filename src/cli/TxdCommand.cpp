#include "cli/TxdCommand.h"

#include "cli/CliSource.h"
#include "cli/CliUsage.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "archive/ArchiveOpen.h"
#include "archive/FileIO.h"
#include "archive/NameCodec.h"
#include "cli/CliSource.h"
#include "rw/SectionCursor.h"
#include "rw/SectionIds.h"
#include "preview/TextureDecode.h"
#include "preview/TextureDictionary.h"
#include "preview/TextureDictionaryEdit.h"
#include "preview/TextureExport.h"
#include "ops/ArchiveOps.h"
#include "ops/TextureOps.h"

using namespace korvane;

namespace {

struct TTxdOptions {
    std::string source;
    std::optional<uint32_t> index;  // none: the source is a loose dictionary file
    std::string exportDir;
    TDecodeMode mode = dmColor;
    int width = 0, height = 0;  // 0: each texture's own size
    std::string format = "bmp";
    std::optional<TTextureChange> change;  // --replace, --add or --remove
    bool exportOptions = false;
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
    std::optional<std::string> name;
    std::optional<TTextureEncoding> encoding;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError("option " + a + " needs a value");
            return args[++i];
        };
        auto change = [&](TTextureChangeKind kind) -> TTextureChange& {
            if (o.change) throw UsageError("one of --replace, --add and --remove at a time");
            o.change.emplace();
            o.change->Kind = kind;
            return *o.change;
        };
        if (a == "--replace") {
            TTextureChange& c = change(TTextureChangeKind::Replace);
            c.Texture = Utf8ToCp1251(value());
            c.PicturePath = value();
        } else if (a == "--add") {
            change(TTextureChangeKind::Add).PicturePath = value();
        } else if (a == "--remove") {
            change(TTextureChangeKind::Remove).Texture = Utf8ToCp1251(value());
        } else if (a == "--name") {
            name = value();
        } else if (a == "--encoding") {
            const std::string& v = value();
            if (v == "dxt1") encoding = TTextureEncoding::Dxt1;
            else if (v == "dxt3") encoding = TTextureEncoding::Dxt3;
            else if (v == "dxt5") encoding = TTextureEncoding::Dxt5;
            else if (v == "bgra32") encoding = TTextureEncoding::Bgra32;
            else throw UsageError("--encoding takes dxt1, dxt3, dxt5 or bgra32, not '" + v + "'");
        } else if (a == "--export") {
            o.exportOptions = true;
            o.exportDir = value();
        } else if (a == "--mode") {
            o.exportOptions = true;
            const std::string& v = value();
            if (v == "color") o.mode = dmColor;
            else if (v == "mask") o.mode = dmMask;
            else if (v == "composite") o.mode = dmComposite;
            else throw UsageError("--mode takes color, mask or composite, not '" + v + "'");
        } else if (a == "--size") {
            o.exportOptions = true;
            const std::string& v = value();
            const size_t x = v.find('x');
            long long w, h;
            if (x == std::string::npos || !ParseNumber(v.substr(0, x), w) || !ParseNumber(v.substr(x + 1), h) ||
                w < 1 || h < 1 || w > 65535 || h > 65535)
                throw UsageError("--size takes WxH with sides 1..65535, not '" + v + "'");
            o.width = int(w);
            o.height = int(h);
        } else if (a == "--format") {
            o.exportOptions = true;
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
    const bool adding = o.change && o.change->Kind == TTextureChangeKind::Add;
    if ((name || encoding) && !adding) throw UsageError("--name and --encoding go with --add");
    if (o.change && o.exportOptions) throw UsageError("a change cannot be combined with --export, --mode, --size or --format");
    if (adding) {
        if (name) {
            o.change->Texture = Utf8ToCp1251(*name);
            if (o.change->Texture.empty() || o.change->Texture.size() > MaxTextureName) throw UsageError("--name takes a name of 1 to 31 characters");
        }
        o.change->Encoding = encoding;
    }
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
           "  in color mode with the texture's alpha when it has one.\n"
           "\n"
           "       korvane-cli txd SOURCE [INDEX] --replace NAME IMAGE\n"
           "       korvane-cli txd SOURCE [INDEX] --add IMAGE [--name NAME] [--encoding dxt1|dxt3|dxt5|bgra32]\n"
           "       korvane-cli txd SOURCE [INDEX] --remove NAME\n"
           "  Change one texture; IMAGE is a PNG or BMP picture, NAME a texture's name\n"
           "  (letters in either case). --replace gives the texture the picture and its\n"
           "  size, encoded as before (DXT1, DXT3, DXT5 or 32-bit; paletted and 16-bit\n"
           "  textures become 32-bit, DXT1 becomes DXT3 when the picture has transparent\n"
           "  pixels) with as many mip levels. --add appends the picture as a texture\n"
           "  named NAME or after the file (at most 31 characters, none twice), encoded\n"
           "  --encoding or else DXT1 when it is opaque, DXT5 otherwise. In an archive\n"
           "  the new dictionary is appended and the entry (its name and number kept)\n"
           "  pointed at it, the old data left as unused space until a repack; a loose\n"
           "  .txd is written beside and renamed over the old one.\n";
}

namespace {

int ChangeTexture(const TTxdOptions& o, std::ostream& err)
{
    {
        // The entry and its dictionary named as the listing names them.
        TCliSource source = OpenCliSource(o.source, o.index);
        const TEntryBytes bytes = ReadSourceBytes(source);
        if (!TSectionCursor(bytes.Bytes).StartsWithin(0, bytes.Bytes.size(), rwTextureDictionary))
            RaiseHoldsNo(source, "texture dictionary");
    }
    TTextureChangeResult result;
    if (o.index) {
        Catalogue cat = ops::OpenForChanging(o.source);
        TEntryChanges changes;
        result = ops::ChangeTexture(cat, *o.index, *o.change, changes);
    } else {
        result = ops::ChangeTexture(o.source, *o.change);
    }
    if (result.Dxt3ForAlpha)
        err << "korvane-cli txd: warning: the picture has transparent pixels, so " << Cp1251ToUtf8(result.Texture)
            << " is stored as DXT3, not DXT1\n";
    return 0;
}

}  // namespace

int TxdCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TTxdOptions o;
    if (auto code = ParseVerb("txd", args, out, err, TxdUsage, [&] { return ParseTxdOptions(args); }, o)) return *code;

    if (o.change) return ChangeTexture(o, err);

    TCliSource source = OpenCliSource(o.source, o.index);
    // The entry is read once; the textures are parsed and decoded from memory.
    const TEntryBytes bytes = ReadSourceBytes(source);
    TSectionCursor in(bytes.Bytes, bytes.Path);
    if (!in.StartsWithin(0, in.Size(), rwTextureDictionary)) RaiseHoldsNo(source, "texture dictionary");
    if (o.exportDir.empty()) {
        // Line by line as the walk goes, so a failure shows how far it got.
        const uint16_t n = ReadTextureCount(in);
        for (uint16_t i = 0; i < n; ++i) {
            TTextureInfo t;
            try {
                ReadTextureHeader(in, t);
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
    const std::vector<TTextureInfo> textures = ReadTextureDictionary(in);

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
        ExportTexture(bytes.Bytes, t, width, height, o.mode, format, o.exportDir + "/" + name + ext, bytes.Path);
    }
    return 0;
}
