#include "formats/dff/ModelTextures.h"

#include <algorithm>
#include <map>

#include "archive/EntryBytes.h"
#include "formats/txd/TextureDecode.h"
#include "formats/txd/TextureExport.h"

namespace korvane {

namespace {

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

}  // namespace

std::string_view NameStem(std::string_view name)
{
    const size_t folder = name.find_last_of("\\:/");
    const size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string_view::npos && (folder == std::string_view::npos || dot > folder);
    return hasExtension ? name.substr(0, dot) : name;
}

std::optional<size_t> CompanionDictionary(const TRecArray& entries, std::string_view modelName)
{
    const std::string wanted = Lower(NameStem(modelName)) + ".txd";
    for (size_t i = 0; i < entries.size(); ++i)
        if (Lower(EntryName(entries[i])) == wanted) return i;
    return std::nullopt;
}

std::optional<size_t> VehicleDictionary(const TRecArray& entries)
{
    for (size_t i = 0; i < entries.size(); ++i)
        if (Lower(EntryName(entries[i])) == "vehicle.txd") return i;
    return std::nullopt;
}

std::vector<TDictionarySource> ModelDictionaries(const Catalogue* cat, std::string_view modelName,
                                                 const std::vector<std::string>& looseDictionaries)
{
    std::vector<TDictionarySource> sources;
    auto entry = [&](size_t k) {
        const uint64_t start = EntryBytePos(cat->ArchiveKind, cat->Entries[k]);
        return TDictionarySource{cat->ArchivePath, start, start + EntryByteLen(cat->ArchiveKind, cat->Entries[k])};
    };
    const std::optional<size_t> own = cat ? CompanionDictionary(cat->Entries, modelName) : std::nullopt;
    if (own) sources.push_back(entry(*own));
    for (const std::string& path : looseDictionaries) sources.push_back({path, 0});
    // A model named "vehicle" already has it first.
    if (const auto shared = cat ? VehicleDictionary(cat->Entries) : std::nullopt; shared && shared != own)
        sources.push_back(entry(*shared));
    return sources;
}

TModelImage DecodeImage(TByteSpan bytes, const TTextureInfo& t, std::string_view path)
{
    TTextureBitmap bmp = BuildTextureBitmapWithAlpha(bytes, t, t.Width, t.Height, path);
    return {t.Name, bmp.Width, bmp.Height, t.HasAlpha, std::move(bmp.Pixels)};
}

TModelTextures FindModelTextures(const TModelRead& model, const std::vector<TDictionarySource>& sources,
                                 std::vector<std::exception_ptr>* failures)
{
    TModelTextures out;
    std::map<std::string, int32_t> images;  // wanted name → image, -1 until found
    for (const TModelPart& p : model.Parts)
        for (const TMaterial& m : p.Materials)
            if (m.Textured && !m.Texture.empty()) images.emplace(Lower(m.Texture), -1);
    size_t missing = images.size();
    for (const TDictionarySource& source : sources) {
        if (missing == 0) break;
        try {
            // Each dictionary is read once and parsed from memory.
            TFile file = TFile::OpenReadOnly(source.Path);
            const uint64_t length = source.End == UINT64_MAX ? UINT64_MAX : source.End - std::min(source.End, source.Start);
            const TEntryBytes bytes = ReadBytesAt(file, source.Start, length);
            file.Close();
            TSectionCursor in(bytes.Bytes, bytes.Path);
            if (source.End != UINT64_MAX && !in.StartsWithin(0, in.Size(), rwTextureDictionary)) continue;
            const uint16_t n = ReadTextureCount(in);
            for (uint16_t i = 0; i < n && missing > 0; ++i) {
                TTextureInfo t;
                ReadTextureHeader(in, t);
                const auto it = images.find(Lower(t.Name));
                if (it == images.end() || it->second >= 0 || TextureEncoding(t) == TTextureEncoding::Unsupported ||
                    t.Width == 0 || t.Height == 0)
                    continue;
                out.Images.push_back(DecodeImage(bytes.Bytes, t, bytes.Path));
                it->second = int32_t(out.Images.size() - 1);
                --missing;
            }
        } catch (const std::runtime_error&) {
            if (failures) failures->push_back(std::current_exception());
        }
    }
    out.ByMaterial.resize(model.Parts.size());
    for (size_t g = 0; g < model.Parts.size(); ++g)
        for (const TMaterial& m : model.Parts[g].Materials) {
            const auto it = m.Textured ? images.find(Lower(m.Texture)) : images.end();
            out.ByMaterial[g].push_back(it == images.end() ? -1 : it->second);
        }
    return out;
}

}  // namespace korvane
