#include "formats/txd/TextureDictionaryWriter.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "base/ByteOrder.h"
#include "base/NameCodec.h"
#include "formats/picture/ImageReader.h"
#include "formats/txd/TextureEncode.h"
#include "rw/SectionIds.h"
#include "rw/SectionWriter.h"

namespace korvane {

namespace {

// The texture header up to the first level's data size.
constexpr size_t kFixedHeader = NativeField::DataSize;

[[noreturn]] void Damaged(const std::string& what)
{
    throw ETextureEditError("The texture dictionary is damaged: " + what);
}

// The section at `pos`, which must lie before `end`.
TSection SectionIn(const TSectionCursor& in, uint64_t pos, uint64_t end)
{
    TSection s;
    bool fits = false;
    if (!in.SectionAt(pos, end, s, fits) || !fits) Damaged("a section runs past the end of the section holding it");
    return s;
}

// As the reader walks: past every section up to the first with `id`, which
// must lie before `end`.
TSection FindIn(const TSectionCursor& in, uint64_t pos, uint64_t end, uint32_t id)
{
    for (;;) {
        const TSection s = SectionIn(in, pos, end);
        if (s.Header.Id == id) return s;
        pos = s.End;
    }
}

void CloseChecked(TSectionWriter& w, size_t opened)
{
    if (w.ContentsSince(opened) > UINT32_MAX) throw ETextureEditError("The texture dictionary would be too large");
    w.Close(opened);
}

std::string SectionChecked(uint32_t id, uint32_t version, const std::string& body)
{
    std::string out;
    TSectionWriter w(out);
    const size_t at = w.Open(id, version);
    out += body;
    CloseChecked(w, at);
    return out;
}

uint32_t VersionAt(const std::string& bytes, size_t pos)
{
    return SectionIn(TSectionCursor(AsBytes(bytes)), pos, bytes.size()).Header.Version;
}

// Finds the struct inside the native section at the front of `t.Native` and
// reads it with the reader's own ReadNativeStruct, after checking that
// everything it reads lies inside the struct.
void ParseNative(TDictionaryTexture& t)
{
    const TSectionCursor in(AsBytes(t.Native));
    const uint64_t n = t.Native.size();
    const TSection s = FindIn(in, SectionIn(in, 0, n).Body, n, rwStruct);
    t.StructAt = size_t(s.At);
    if (s.Header.Size < TextureHeaderSize) Damaged("a texture header is cut short");
    // The reader walks on from the struct through the sections after it: they
    // must end where the native section ends and hold no other texture.
    for (uint64_t pos = s.At; pos < n;) {
        const TSection h = SectionIn(in, pos, n);
        if (h.Header.Id == rwTextureNative) Damaged("a texture holds another texture");
        pos = h.End;
    }
    const uint16_t palette = PaletteEntriesOf(LoadLE32(in.Bytes().data() + s.Body + NativeField::RasterFormat));
    if (palette && s.Header.Size < kFixedHeader + uint64_t(palette) * 4 + 4) Damaged("a texture's palette is cut short");
    // Everything it reads lies inside the struct now.
    TSectionCursor contents(in.Bytes().first(size_t(s.End)));
    contents.Seek(s.Body);
    ReadNativeStruct(contents, t.Info);
    t.Levels = t.Info.Levels;
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
    const TSectionCursor in(AsBytes(n));
    const TSection self = SectionIn(in, 0, n.size()), old = SectionIn(in, t.StructAt, n.size());
    std::string out;
    TSectionWriter w(out);
    const size_t native = w.Open(rwTextureNative, self.Header.Version);
    out.append(n, size_t(self.Body), size_t(old.At - self.Body));
    out += SectionChecked(rwStruct, old.Header.Version, structContents);
    out.append(n, size_t(old.End), std::string::npos);
    CloseChecked(w, native);
    return out;
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

TTextureDictionaryParts SplitDictionary(TByteSpan bytes, size_t dictionaryAt)
{
    const TSectionCursor in(bytes);
    const auto text = [&](uint64_t from, uint64_t to) {
        return std::string(reinterpret_cast<const char*>(bytes.data()) + from, size_t(to - from));
    };
    TTextureDictionaryParts parts;
    const TSection dict = SectionIn(in, dictionaryAt, bytes.size());
    if (dict.Header.Id != rwTextureDictionary) Damaged("no dictionary section");
    parts.Before = text(0, dictionaryAt);
    parts.Version = dict.Header.Version;

    const TSection st = FindIn(in, dict.Body, dict.End, rwStruct);
    // The reader walks on from the count's fourth byte: a struct of another
    // size would be read otherwise than it is written.
    if (st.Header.Size != 4) Damaged("its struct is not 4 bytes long");
    parts.Head = text(dict.Body, st.At);
    parts.StructVersion = st.Header.Version;
    const unsigned count = LoadLE16(bytes.data() + st.Body);
    parts.StructTail = text(st.Body + 2, st.End);

    uint64_t pos = st.End;
    parts.Textures.resize(count);
    for (TDictionaryTexture& t : parts.Textures) {
        const TSection native = FindIn(in, pos, dict.End, rwTextureNative);
        t.Lead = text(pos, native.At);
        t.Native = text(native.At, native.End);
        ParseNative(t);
        pos = native.End;
    }
    parts.After = text(pos, dict.End);
    return parts;
}

std::string JoinDictionary(const TTextureDictionaryParts& parts)
{
    if (parts.Textures.size() > UINT16_MAX) throw ETextureEditError("A texture dictionary holds at most 65535 textures");
    std::string out = parts.Before;
    TSectionWriter w(out);
    const size_t dict = w.Open(rwTextureDictionary, parts.Version);
    out += parts.Head;
    const size_t st = w.Open(rwStruct, parts.StructVersion);
    AppendLE16(out, uint16_t(parts.Textures.size()));
    out += parts.StructTail;
    w.Close(st);
    for (const TDictionaryTexture& t : parts.Textures) {
        out += t.Lead;
        out += t.Native;
    }
    out += parts.After;
    CloseChecked(w, dict);
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
    const TSection st = SectionIn(TSectionCursor(AsBytes(t.Native)), t.StructAt, t.Native.size());
    std::memcpy(header, t.Native.data() + st.Body, kFixedHeader);
    const unsigned levels =
        std::clamp<unsigned>(t.Levels, 1, MaxMipLevels(uint32_t(picture.Width), uint32_t(picture.Height)));
    StoreNativeFormat(header, edit.Encoding, alpha, levels, picture.Width, picture.Height);

    TDictionaryTexture changed;
    changed.Lead = t.Lead;
    changed.Native = RebuildNative(t, TextureStruct(header, picture, edit.Encoding, levels));
    ParseNative(changed);
    t = std::move(changed);
    return edit;
}

TTextureEdit AddTexture(TTextureDictionaryParts& parts, const TTextureBitmap& picture, const std::string& pictureName,
                        const std::string& name, std::optional<TTextureEncoding> encoding, const std::string& maskName)
{
    if (name.empty()) throw ETextureEditError("A texture needs a name");
    if (name.size() > MaxTextureName)
        throw ETextureEditError("The texture name \"" + Cp1251ToUtf8(name) + "\" is longer than " +
                                std::to_string(MaxTextureName) + " characters");
    if (maskName.size() > MaxTextureName)
        throw ETextureEditError("The mask name \"" + Cp1251ToUtf8(maskName) + "\" is longer than " +
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
    uint8_t header[kFixedHeader];
    StoreNewNativeHeader(header, platform, name);
    std::memcpy(header + NativeField::MaskName, maskName.data(), maskName.size());
    StoreNativeFormat(header, edit.Encoding, alpha, 1, picture.Width, picture.Height);

    const std::string contents = TextureStruct(header, picture, edit.Encoding, 1);
    TDictionaryTexture added;
    added.Native = SectionChecked(rwTextureNative, nativeVersion,
                                  SectionChecked(rwStruct, structVersion, contents) + SectionBytes(rwExtension, nativeVersion, {}));
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
