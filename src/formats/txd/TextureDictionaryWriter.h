// A texture dictionary taken apart into the sections the reader walks,
// changed texture by texture and put together again. A texture that is not
// changed keeps the bytes it was read as.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "formats/txd/TextureDecode.h"
#include "formats/txd/TextureDictionary.h"

namespace korvane {

// A change the dictionary cannot take, or a dictionary too damaged to write.
class ETextureEditError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct TDictionaryTexture {
    std::string Lead;     // sections the reader walks past before this texture
    std::string Native;   // the texture native section, its header included
    size_t StructAt = 0;  // where the struct's section header lies in Native
    TTextureInfo Info;    // its struct as the reader takes it (positions in Native)
    uint8_t Levels = 1;   // the image levels stored
};

struct TTextureDictionaryParts {
    std::string Before;         // sections before the dictionary
    uint32_t Version = 0;       // the dictionary section's version stamp
    std::string Head;           // sections inside the dictionary before its struct
    uint32_t StructVersion = 0;
    std::string StructTail;     // the struct after the 16-bit texture count
    std::vector<TDictionaryTexture> Textures;
    std::string After;          // the rest: the dictionary's extension, and textures past the count
};

// Takes apart `bytes`, which hold sections from the first one the reader
// walks; `dictionaryAt` is where the dictionary's header lies in them. Every
// section must lie inside the dictionary's stated size, else a damaged
// dictionary is reported.
TTextureDictionaryParts SplitDictionary(TByteSpan bytes, size_t dictionaryAt);
inline TTextureDictionaryParts SplitDictionary(const std::string& bytes, size_t dictionaryAt)
{
    return SplitDictionary(AsBytes(bytes), dictionaryAt);
}

// The sections before the dictionary and the dictionary, sizes and count
// made to fit the parts.
std::string JoinDictionary(const TTextureDictionaryParts& parts);

// The texture named `name` (Windows-1251, ASCII letters in either case), or
// nothing.
std::optional<size_t> FindTexture(const TTextureDictionaryParts& parts, std::string_view name);

struct TTextureEdit {
    size_t Index = 0;  // the texture's place in the dictionary
    TTextureEncoding Encoding = TTextureEncoding::Dxt1;
    bool Dxt3ForAlpha = false;  // DXT1 was wanted, but the picture has transparent pixels
};

// Gives texture `index` the picture: name, mask name, filter and addressing
// and platform stay; size from the picture; encoded as before (DXT1, DXT3,
// DXT5, 32-bit; every other texture becomes 32-bit), DXT1 as DXT3 when some
// alpha is below 255; as many mip levels as before, down to 1×1; the alpha
// flags as the picture is. `pictureName` names the picture in errors.
TTextureEdit ReplaceTexture(TTextureDictionaryParts& parts, size_t index, const TTextureBitmap& picture,
                            const std::string& pictureName);

// Adds the picture as the last texture, named `name` (Windows-1251, 1..31
// characters, not yet in the dictionary) with the mask name `maskName` (at
// most 31), in `encoding` (Dxt1, Dxt3, Dxt5 or Bgra32) or, without one, DXT1
// for an opaque picture and DXT5 otherwise; one image level, for the
// platform of the dictionary's textures.
TTextureEdit AddTexture(TTextureDictionaryParts& parts, const TTextureBitmap& picture, const std::string& pictureName,
                        const std::string& name, std::optional<TTextureEncoding> encoding,
                        const std::string& maskName = {});

void RemoveTexture(TTextureDictionaryParts& parts, size_t index);

// A new texture's name from a picture's path: the file name without its
// extension, in Windows-1251, cut to 31 characters.
std::string TextureNameFromPath(const std::string& path);

constexpr size_t MaxTextureName = 31;

}  // namespace korvane
