#include "formats/txd/TextureDictionary.h"

namespace korvane {

uint16_t ReadTextureCount(TSectionCursor& in)
{
    in.Find(rwTextureDictionary);
    in.Find(rwStruct);
    const uint16_t n = in.ReadLE16();
    in.Take(2);
    return n;
}

void ReadTextureHeader(TSectionCursor& in, TTextureInfo& t)
{
    in.Find(rwTextureNative);
    in.Find(rwStruct);
    const uint64_t start = in.Position();
    ReadNativeStruct(in, t);
    // Back onto the struct's own header, so that the next walk skips the
    // struct by its size.
    in.Seek(start - SectionHeaderSize);
}

std::vector<TTextureInfo> ReadTextureDictionary(TSectionCursor& in)
{
    const uint16_t n = ReadTextureCount(in);
    std::vector<TTextureInfo> textures(n);
    for (TTextureInfo& t : textures) ReadTextureHeader(in, t);
    return textures;
}

}  // namespace korvane
