#include "formats/txd/TextureDictionaryEdit.h"

#include <algorithm>

#include "base/Errors.h"
#include "base/NameCodec.h"
#include "formats/picture/ImageReader.h"
#include "rw/SectionIds.h"

namespace korvane {

namespace {

size_t TextureNamed(const TTextureDictionaryParts& parts, const std::string& name)
{
    if (const std::optional<size_t> i = FindTexture(parts, name)) return *i;
    throw ETextureEditError("No texture named \"" + Cp1251ToUtf8(name) + "\" in the dictionary");
}

}  // namespace

TTextureDictionaryParts ReadDictionaryParts(TByteSpan bytes)
{
    const TSectionCursor in(bytes);
    uint64_t pos = 0;
    TSection dict;
    for (;;) {
        bool fits = false;
        if (!in.SectionAt(pos, bytes.size(), dict, fits)) throw ETextureEditError("No texture dictionary in the data");
        if (!fits) throw ETextureEditError("The texture dictionary runs past the end of its data");
        if (dict.Header.Id == rwTextureDictionary) break;
        pos = dict.End;
    }
    if (dict.End > MaxDictionaryBytes) throw ETextureEditError("The texture dictionary is too large to change");
    return SplitDictionary(bytes.first(size_t(dict.End)), size_t(pos));
}

TTextureChangeResult ApplyTextureChange(TTextureDictionaryParts& parts, const TTextureChange& change)
{
    TTextureChangeResult result;
    TTextureEdit edit;
    switch (change.Kind) {
    case TTextureChangeKind::Remove:
        result.TextureIndex = TextureNamed(parts, change.Texture);
        result.Texture = parts.Textures[result.TextureIndex].Info.Name;
        RemoveTexture(parts, result.TextureIndex);
        return result;
    case TTextureChangeKind::Replace: {
        const size_t index = TextureNamed(parts, change.Texture);
        edit = ReplaceTexture(parts, index, ReadImageFile(change.PicturePath), change.PicturePath);
        break;
    }
    case TTextureChangeKind::Add: {
        const std::string name = change.Texture.empty() ? TextureNameFromPath(change.PicturePath) : change.Texture;
        edit = AddTexture(parts, ReadImageFile(change.PicturePath), change.PicturePath, name, change.Encoding);
        break;
    }
    }
    result.TextureIndex = edit.Index;
    result.Texture = parts.Textures[edit.Index].Info.Name;
    result.Dxt3ForAlpha = edit.Dxt3ForAlpha;
    return result;
}

}  // namespace korvane
