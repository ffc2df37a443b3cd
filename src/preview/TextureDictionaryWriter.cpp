#include "preview/TextureDictionaryWriter.h"

#include <algorithm>
#include <cstring>

#include "archive/ByteOrder.h"
#include "archive/NameCodec.h"
#include "preview/ImageReader.h"
#include "preview/SectionWalk.h"
#include "preview/TextureEncode.h"

namespace korvane {

namespace {

constexpr uint32_t rwExtension = 0x03;
constexpr size_t kHeaderBytes = 12;
// The texture header up to the first level's data size.
constexpr size_t kFixedHeader = TexturePaletteOffset;
constexpr uint32_t D3DFormatArgb = 21, D3DFormatXrgb = 22;

[[noreturn]] void Damaged(const std::string& what)
{
    throw ETextureEditError("The texture dictionary is damaged: " + what);
}

TSectionHeader HeaderAt(const std::string& bytes, size_t pos, size_t end)
{
    if (pos > end || end - pos < kHeaderBytes) Damaged("a section runs past the end of the section holding it");
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data()) + pos;
    TSectionHeader h;
    h.Id = LoadLE32(p);
    h.Size = LoadLE32(p + 4);
    h.Version = LoadLE32(p + 8);
    if (h.Size > end - pos - kHeaderBytes) Damaged("a section runs past the end of the section holding it");
    return h;
}

// As the reader walks: past every section up to the first with `id`, which
// must lie before `end`. Returns its position.
size_t FindIn(const std::string& bytes, size_t pos, size_t end, uint32_t id)
{
    for (;;) {
        const TSectionHeader h = HeaderAt(bytes, pos, end);
        if (h.Id == id) return pos;
        pos += kHeaderBytes + h.Size;
    }
}

void PutHeader(std::string& out, uint32_t id, uint32_t version, uint64_t size)
{
    if (size > UINT32_MAX) throw ETextureEditError("The texture dictionary would be too large");
    uint8_t h[kHeaderBytes];
    StoreLE32(h, id);
    StoreLE32(h + 4, uint32_t(size));
    StoreLE32(h + 8, version);
    out.append(reinterpret_cast<const char*>(h), sizeof h);
}

uint32_t VersionAt(const std::string& bytes, size_t pos)
{
    return LoadLE32(reinterpret_cast<const uint8_t*>(bytes.data()) + pos + 8);
}

// Finds the struct inside the native section at the front of `t.Native` and
// reads its header as the reader does.
void ParseNative(TDictionaryTexture& t)
{
    const std::string& n = t.Native;
    t.StructAt = FindIn(n, kHeaderBytes, n.size(), rwStruct);
    const TSectionHeader s = HeaderAt(n, t.StructAt, n.size());
    const size_t header = t.StructAt + kHeaderBytes;
    if (s.Size < TextureHeaderSize) Damaged("a texture header is cut short");
    ParseTextureHeader(reinterpret_cast<const uint8_t*>(n.data()) + header, t.Info);
    t.Levels = uint8_t(n[header + 85]);
    // The reader walks on from the struct through the sections after it: they
    // must end where the native section ends and hold no other texture.
    for (size_t pos = t.StructAt; pos < n.size();) {
        const TSectionHeader h = HeaderAt(n, pos, n.size());
        if (h.Id == rwTextureNative) Damaged("a texture holds another texture");
        pos += kHeaderBytes + h.Size;
    }
    t.Info.DataPos = header + TextureHeaderSize;
    if (t.Info.PaletteEntries) {
        const size_t palette = size_t(t.Info.PaletteEntries) * 4;
        if (s.Size < kFixedHeader + palette + 4) Damaged("a texture's palette is cut short");
        t.Info.PalettePos = header + kFixedHeader;
        t.Info.DataSize = LoadLE32(reinterpret_cast<const uint8_t*>(n.data()) + header + kFixedHeader + palette);
        t.Info.DataPos = header + kFixedHeader + palette + 4;
    }
}

bool BlockEncoding(TTextureEncoding e)
{
    return e == TTextureEncoding::Dxt1 || e == TTextureEncoding::Dxt3 || e == TTextureEncoding::Dxt5;
}

const char* UpperName(TTextureEncoding e)
{
    switch (e) {
    case TTextureEncoding::Dxt1: return "DXT1";
    case TTextureEncoding::Dxt3: return "DXT3";
    case TTextureEncoding::Dxt5: return "DXT5";
    default: return "32-bit";
    }
}

void CheckPicture(const TTextureBitmap& picture, TTextureEncoding enc, const std::string& pictureName)
{
    const bool sides = picture.Width >= 1 && picture.Height >= 1 && picture.Width <= MaxTextureSide &&
                       picture.Height <= MaxTextureSide;
    if (!sides)
        throw EImageError(pictureName, "the picture is " + SizeText(picture.Width, picture.Height) +
                                           " pixels; a texture's sides are 1 to " + std::to_string(MaxTextureSide) +
                                           " pixels");
    if (BlockEncoding(enc) && (picture.Width % 4 || picture.Height % 4))
        throw EImageError(pictureName, "the picture is " + SizeText(picture.Width, picture.Height) + " pixels; a " +
                                           UpperName(enc) + " texture's sides are multiples of 4");
}

void CheckPlatform(const TTextureInfo& t)
{
    if (t.Platform != 8 && t.Platform != 9)
        throw ETextureEditError("The texture \"" + Cp1251ToUtf8(t.Name) + "\" is stored for platform " +
                                std::to_string(t.Platform) + "; only Direct3D 8 and 9 textures can be written");
}

// Header bytes 72..87 for a texture of `enc` with `levels` levels; the rest
// of the 88 bytes (platform, filter and addressing, names) is left alone.
void SetFormat(uint8_t* h, TTextureEncoding enc, bool alpha, unsigned levels, const TTextureBitmap& picture)
{
    const uint32_t platform = LoadLE32(h);
    const bool block = BlockEncoding(enc);
    // The auto-mipmap flag and the low byte stay; palette bits go.
    uint32_t format = LoadLE32(h + 72) & 0x10FF;
    format |= enc == TTextureEncoding::Dxt1 ? 0x200 : block ? 0x300 : alpha ? 0x500 : 0x600;
    if (levels > 1) format |= 0x8000;
    StoreLE32(h + 72, format);
    if (platform == 9) {
        const char* fourCC = enc == TTextureEncoding::Dxt1 ? "DXT1" : enc == TTextureEncoding::Dxt3 ? "DXT3" : "DXT5";
        StoreLE32(h + 76, block ? LoadLE32(reinterpret_cast<const uint8_t*>(fourCC))
                                : alpha ? D3DFormatArgb : D3DFormatXrgb);
        // Bit 2 (automatic mipmaps) stays; bit 0 alpha, bit 3 compressed.
        h[87] = uint8_t((h[87] & 0x04) | (alpha ? 1 : 0) | (block ? 8 : 0));
    } else {
        StoreLE32(h + 76, alpha ? 1 : 0);
        h[87] = uint8_t(enc == TTextureEncoding::Dxt1 ? 1 : enc == TTextureEncoding::Dxt3 ? 3 : enc == TTextureEncoding::Dxt5 ? 5 : 0);
    }
    StoreLE16(h + 80, uint16_t(picture.Width));
    StoreLE16(h + 82, uint16_t(picture.Height));
    h[84] = block ? 16 : 32;
    h[85] = uint8_t(levels);
}

// The struct's contents: the 88 header bytes, then every level's size and
// data, each level a box-filtered halving of the one before.
std::string TextureStruct(const uint8_t* header, const TTextureBitmap& picture, TTextureEncoding enc, unsigned levels)
{
    std::string out(reinterpret_cast<const char*>(header), kFixedHeader);
    TTextureBitmap level;
    const TTextureBitmap* current = &picture;
    for (unsigned i = 0; i < levels; ++i) {
        if (i > 0) {
            level = HalveImage(*current);
            current = &level;
        }
        const std::string data = EncodeTextureLevel(*current, enc);
        uint8_t size[4];
        StoreLE32(size, uint32_t(data.size()));
        out.append(reinterpret_cast<const char*>(size), 4);
        out += data;
    }
    return out;
}

// A native section with `structContents` in the place of the old struct
// (everything else inside it kept).
std::string RebuildNative(const TDictionaryTexture& t, const std::string& structContents)
{
    const std::string& n = t.Native;
    const size_t structEnd = t.StructAt + kHeaderBytes + HeaderAt(n, t.StructAt, n.size()).Size;
    std::string inner = n.substr(kHeaderBytes, t.StructAt - kHeaderBytes);
    PutHeader(inner, rwStruct, VersionAt(n, t.StructAt), structContents.size());
    inner += structContents;
    inner.append(n, structEnd, std::string::npos);
    std::string out;
    PutHeader(out, rwTextureNative, VersionAt(n, 0), inner.size());
    return out + inner;
}

bool SameNameIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

TTextureEncoding ChosenEncoding(TTextureEncoding wanted, bool alpha, bool& dxt3ForAlpha)
{
    dxt3ForAlpha = wanted == TTextureEncoding::Dxt1 && alpha;
    return dxt3ForAlpha ? TTextureEncoding::Dxt3 : wanted;
}

}  // namespace

TTextureDictionaryParts SplitDictionary(const std::string& bytes, size_t dictionaryAt)
{
    TTextureDictionaryParts parts;
    const TSectionHeader dict = HeaderAt(bytes, dictionaryAt, bytes.size());
    if (dict.Id != rwTextureDictionary) Damaged("no dictionary section");
    parts.Before = bytes.substr(0, dictionaryAt);
    parts.Version = dict.Version;
    const size_t begin = dictionaryAt + kHeaderBytes, end = begin + dict.Size;

    const size_t structAt = FindIn(bytes, begin, end, rwStruct);
    const TSectionHeader st = HeaderAt(bytes, structAt, end);
    // The reader walks on from the count's fourth byte: a struct of another
    // size would be read otherwise than it is written.
    if (st.Size != 4) Damaged("its struct is not 4 bytes long");
    parts.Head = bytes.substr(begin, structAt - begin);
    parts.StructVersion = st.Version;
    const size_t countAt = structAt + kHeaderBytes;
    const unsigned count = LoadLE16(reinterpret_cast<const uint8_t*>(bytes.data()) + countAt);
    parts.StructTail = bytes.substr(countAt + 2, st.Size - 2);

    size_t pos = countAt + st.Size;
    parts.Textures.resize(count);
    for (TDictionaryTexture& t : parts.Textures) {
        const size_t at = FindIn(bytes, pos, end, rwTextureNative);
        const size_t next = at + kHeaderBytes + HeaderAt(bytes, at, end).Size;
        t.Lead = bytes.substr(pos, at - pos);
        t.Native = bytes.substr(at, next - at);
        ParseNative(t);
        pos = next;
    }
    parts.After = bytes.substr(pos, end - pos);
    return parts;
}

std::string JoinDictionary(const TTextureDictionaryParts& parts)
{
    uint64_t contents = parts.Head.size() + kHeaderBytes + 2 + parts.StructTail.size() + parts.After.size();
    for (const TDictionaryTexture& t : parts.Textures) contents += t.Lead.size() + t.Native.size();
    if (parts.Textures.size() > UINT16_MAX) throw ETextureEditError("A texture dictionary holds at most 65535 textures");
    std::string out;
    out.reserve(size_t(std::min<uint64_t>(contents, UINT32_MAX)) + parts.Before.size() + kHeaderBytes);
    out += parts.Before;
    PutHeader(out, rwTextureDictionary, parts.Version, contents);
    out += parts.Head;
    PutHeader(out, rwStruct, parts.StructVersion, 2 + parts.StructTail.size());
    uint8_t count[2];
    StoreLE16(count, uint16_t(parts.Textures.size()));
    out.append(reinterpret_cast<const char*>(count), 2);
    out += parts.StructTail;
    for (const TDictionaryTexture& t : parts.Textures) {
        out += t.Lead;
        out += t.Native;
    }
    out += parts.After;
    return out;
}

std::optional<size_t> FindTexture(const TTextureDictionaryParts& parts, std::string_view name)
{
    for (size_t i = 0; i < parts.Textures.size(); ++i)
        if (SameNameIgnoringAsciiCase(parts.Textures[i].Info.Name, name)) return i;
    return std::nullopt;
}

TTextureEdit ReplaceTexture(TTextureDictionaryParts& parts, size_t index, const TTextureBitmap& picture,
                            const std::string& pictureName)
{
    TDictionaryTexture& t = parts.Textures.at(index);
    CheckPlatform(t.Info);
    const TTextureEncoding old = TextureEncoding(t.Info);
    const bool alpha = HasTransparentPixels(picture);
    TTextureEdit edit;
    edit.Index = index;
    edit.Encoding = ChosenEncoding(BlockEncoding(old) ? old : TTextureEncoding::Bgra32, alpha, edit.Dxt3ForAlpha);
    CheckPicture(picture, edit.Encoding, pictureName);

    uint8_t header[kFixedHeader];
    std::memcpy(header, t.Native.data() + t.StructAt + kHeaderBytes, kFixedHeader);
    const unsigned levels =
        std::clamp<unsigned>(t.Levels, 1, MaxMipLevels(uint32_t(picture.Width), uint32_t(picture.Height)));
    SetFormat(header, edit.Encoding, alpha, levels, picture);

    TDictionaryTexture changed;
    changed.Lead = t.Lead;
    changed.Native = RebuildNative(t, TextureStruct(header, picture, edit.Encoding, levels));
    ParseNative(changed);
    t = std::move(changed);
    return edit;
}

TTextureEdit AddTexture(TTextureDictionaryParts& parts, const TTextureBitmap& picture, const std::string& pictureName,
                        const std::string& name, std::optional<TTextureEncoding> encoding)
{
    if (name.empty()) throw ETextureEditError("A texture needs a name");
    if (name.size() > MaxTextureName)
        throw ETextureEditError("The texture name \"" + Cp1251ToUtf8(name) + "\" is longer than " +
                                std::to_string(MaxTextureName) + " characters");
    if (FindTexture(parts, name))
        throw ETextureEditError("A texture named \"" + Cp1251ToUtf8(name) + "\" is already in the dictionary");
    if (parts.Textures.size() >= UINT16_MAX) throw ETextureEditError("A texture dictionary holds at most 65535 textures");

    const bool alpha = HasTransparentPixels(picture);
    TTextureEdit edit;
    edit.Index = parts.Textures.size();
    const TTextureEncoding wanted = encoding ? *encoding : alpha ? TTextureEncoding::Dxt5 : TTextureEncoding::Dxt1;
    if (!BlockEncoding(wanted) && wanted != TTextureEncoding::Bgra32)
        throw ETextureEditError("New textures are DXT1, DXT3, DXT5 or 32-bit");
    edit.Encoding = ChosenEncoding(wanted, alpha, edit.Dxt3ForAlpha);
    CheckPicture(picture, edit.Encoding, pictureName);

    // Platform and version stamps as the textures already there have them.
    uint32_t platform = 9, nativeVersion = parts.Version, structVersion = parts.Version;
    if (!parts.Textures.empty()) {
        const TDictionaryTexture& first = parts.Textures.front();
        CheckPlatform(first.Info);
        platform = first.Info.Platform;
        nativeVersion = VersionAt(first.Native, 0);
        structVersion = VersionAt(first.Native, first.StructAt);
    } else if (parts.StructTail.size() >= 2 && LoadLE16(reinterpret_cast<const uint8_t*>(parts.StructTail.data())) == 1) {
        platform = 8;  // the dictionary's device id: Direct3D 8
    }
    uint8_t header[kFixedHeader] = {};
    StoreLE32(header, platform);
    header[4] = 0x02;  // linear filtering
    header[5] = 0x11;  // wrapped in both directions
    std::memcpy(header + 8, name.data(), name.size());
    header[86] = 4;  // raster type: texture
    SetFormat(header, edit.Encoding, alpha, 1, picture);

    const std::string contents = TextureStruct(header, picture, edit.Encoding, 1);
    std::string inner;
    PutHeader(inner, rwStruct, structVersion, contents.size());
    inner += contents;
    PutHeader(inner, rwExtension, nativeVersion, 0);
    TDictionaryTexture added;
    PutHeader(added.Native, rwTextureNative, nativeVersion, inner.size());
    added.Native += inner;
    ParseNative(added);
    parts.Textures.push_back(std::move(added));
    return edit;
}

void RemoveTexture(TTextureDictionaryParts& parts, size_t index)
{
    TDictionaryTexture& gone = parts.Textures.at(index);
    // Sections the reader walked past before it stay, before the next texture.
    if (index + 1 < parts.Textures.size())
        parts.Textures[index + 1].Lead.insert(0, gone.Lead);
    else
        parts.After.insert(0, gone.Lead);
    parts.Textures.erase(parts.Textures.begin() + long(index));
}

std::string TextureNameFromPath(const std::string& path)
{
    const size_t slash = path.rfind('/');
    std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = file.rfind('.');
    if (dot != std::string::npos && dot > 0) file.resize(dot);
    std::string name = Utf8ToCp1251(file);
    if (name.size() > MaxTextureName) name.resize(MaxTextureName);
    return name;
}

}  // namespace korvane
