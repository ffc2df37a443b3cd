#include "cli/TxdCommand.h"

#include <charconv>
#include <optional>

#include "base/NameCodec.h"
#include "cli/CliOptions.h"
#include "cli/CliSource.h"
#include "formats/txd/TextureDecode.h"
#include "formats/txd/TextureDictionary.h"
#include "ops/TextureOps.h"
#include "rw/SectionCursor.h"
#include "rw/SectionIds.h"

using namespace korvane;

namespace {

struct TTxdOptions {
    TSourceOperands source;  // no INDEX: the source is a loose dictionary file
    ops::TTexturesExport how;
    std::string format = "bmp";
    std::optional<TTextureChange> change;  // --replace, --add or --remove
    std::optional<std::string> name;
    std::optional<TTextureEncoding> encoding;
    bool exportOptions = false;
    TLockWait wait;
};

constexpr const char* kTxdUsage =
    "usage: korvane-cli txd SOURCE [INDEX] [--export DIR] [--mode color|mask|composite]\n"
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

bool ParseNumber(const std::string& s, long long& v)
{
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, v);
    return ec == std::errc() && p == end && v >= 0;
}

TTextureChange& StartChange(TTxdOptions& o, TTextureChangeKind kind)
{
    if (o.change) throw UsageError("one of --replace, --add and --remove at a time");
    o.change.emplace();
    o.change->Kind = kind;
    return *o.change;
}

TCliVerb TxdVerb(TTxdOptions& o)
{
    return {"txd",
            kTxdUsage,
            {{{"--replace"}, "value",
              [&o](TOptionValues& v) {
                  TTextureChange& c = StartChange(o, TTextureChangeKind::Replace);
                  c.Texture = Utf8ToCp1251(v.Next());
                  c.PicturePath = v.Next();
              }},
             {{"--add"}, "value", [&o](TOptionValues& v) { StartChange(o, TTextureChangeKind::Add).PicturePath = v.Next(); }},
             {{"--remove"}, "value",
              [&o](TOptionValues& v) { StartChange(o, TTextureChangeKind::Remove).Texture = Utf8ToCp1251(v.Next()); }},
             {{"--name"}, "value", [&o](TOptionValues& v) { o.name = v.Next(); }},
             {{"--encoding"}, "value",
              [&o](TOptionValues& v) {
                  const std::string& e = v.Next();
                  if (e == "dxt1") o.encoding = TTextureEncoding::Dxt1;
                  else if (e == "dxt3") o.encoding = TTextureEncoding::Dxt3;
                  else if (e == "dxt5") o.encoding = TTextureEncoding::Dxt5;
                  else if (e == "bgra32") o.encoding = TTextureEncoding::Bgra32;
                  else throw UsageError("--encoding takes dxt1, dxt3, dxt5 or bgra32, not '" + e + "'");
              }},
             {{"--export"}, "value",
              [&o](TOptionValues& v) {
                  o.exportOptions = true;
                  o.how.Folder = v.Next();
              }},
             {{"--mode"}, "value",
              [&o](TOptionValues& v) {
                  o.exportOptions = true;
                  const std::string& m = v.Next();
                  if (m == "color") o.how.Mode = dmColor;
                  else if (m == "mask") o.how.Mode = dmMask;
                  else if (m == "composite") o.how.Mode = dmComposite;
                  else throw UsageError("--mode takes color, mask or composite, not '" + m + "'");
              }},
             {{"--size"}, "value",
              [&o](TOptionValues& v) {
                  o.exportOptions = true;
                  const std::string& size = v.Next();
                  const size_t x = size.find('x');
                  long long w, h;
                  if (x == std::string::npos || !ParseNumber(size.substr(0, x), w) || !ParseNumber(size.substr(x + 1), h) ||
                      w < 1 || h < 1 || w > 65535 || h > 65535)
                      throw UsageError("--size takes WxH with sides 1..65535, not '" + size + "'");
                  o.how.Width = int(w);
                  o.how.Height = int(h);
              }},
             {{"--format"}, "value",
              [&o](TOptionValues& v) {
                  o.exportOptions = true;
                  o.format = v.Next();
                  if (o.format != "bmp" && o.format != "png")
                      throw UsageError("--format takes bmp or png, not '" + o.format + "'");
                  o.how.Format = o.format == "png" ? TPictureFormat::Png : TPictureFormat::Bmp;
              }}},
            [&o](const std::string& a) { TakeSourceOperand(o.source, a); },
            [&o] {
                if (o.source.Source.empty()) throw UsageError("no archive or dictionary given");
                const bool adding = o.change && o.change->Kind == TTextureChangeKind::Add;
                if ((o.name || o.encoding) && !adding) throw UsageError("--name and --encoding go with --add");
                if (o.change && o.exportOptions)
                    throw UsageError("a change cannot be combined with --export, --mode, --size or --format");
                if (adding) {
                    if (o.name) {
                        o.change->Texture = Utf8ToCp1251(*o.name);
                        if (o.change->Texture.empty() || o.change->Texture.size() > MaxTextureName)
                            throw UsageError("--name takes a name of 1 to 31 characters");
                    }
                    o.change->Encoding = o.encoding;
                }
            }};
}

int ChangeTexture(const TTxdOptions& o, std::ostream& err)
{
    std::optional<ops::TLockedCatalogue> held;
    // An archive is held exclusively from the reading of its directory to the
    // change; a loose dictionary by the change itself.
    {
        // The entry and its dictionary named as the listing names them.
        TCliSource source = OpenCliSource(o.source.Source, o.source.Index, o.wait, TLockMode::lmExclusive);
        const TEntryBytes bytes = ReadSourceBytes(source);
        RequireFormat(source, TFormatKind::TextureDictionary, bytes.Bytes);
        if (source.Cat) held.emplace(ops::TLockedCatalogue{std::move(source.Lock), std::move(*source.Cat)});
    }
    TTextureChangeResult result;
    if (held) {
        TEntryChanges changes;
        result = ops::ChangeTexture(*held, *o.source.Index, *o.change, changes);
    } else {
        result = ops::ChangeTexture(o.source.Source, *o.change, o.wait);
    }
    if (result.Dxt3ForAlpha)
        err << "korvane-cli txd: warning: the picture has transparent pixels, so " << Cp1251ToUtf8(result.Texture)
            << " is stored as DXT3, not DXT1\n";
    return 0;
}

}  // namespace

void TxdUsage(std::ostream& out) { out << kTxdUsage; }

int TxdCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TTxdOptions o;
    TCliVerb verb = TxdVerb(o);
    verb.Wait = &o.wait;
    if (auto code = ParseVerbLine(verb, args, out, err)) return *code;

    if (o.change) return ChangeTexture(o, err);

    TCliSource source = OpenCliSource(o.source.Source, o.source.Index, o.wait);
    // The entry is read once; the textures are parsed and decoded from memory.
    const TEntryBytes bytes = ReadSourceBytes(source);
    TSectionCursor in(bytes.Bytes, bytes.Path);
    RequireFormat(source, TFormatKind::TextureDictionary, bytes.Bytes);
    if (o.how.Folder.empty()) {
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
    ops::ExportTextures(bytes, textures, o.how, [&err](const ops::TSkippedTexture& s) {
        err << "korvane-cli txd: skipping " << Cp1251ToUtf8(s.Name) << ": " << s.Reason << "\n";
    });
    return 0;
}
