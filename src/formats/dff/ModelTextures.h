// The textures a model's materials name, looked up in texture dictionaries
// and decoded to RGBA once.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/Catalogue.h"
#include "base/FileIO.h"
#include "formats/dff/ModelScene.h"
#include "formats/txd/TextureDictionary.h"

namespace korvane {

// A texture dictionary: a file, and where in it the dictionary starts; for
// an archive entry, where the entry ends: an entry that does not begin with a
// dictionary is passed over. The bytes from Start to End (or the file's end)
// are read once and parsed from memory.
struct TDictionarySource {
    std::string Path;
    uint64_t Start = 0;
    uint64_t End = UINT64_MAX;
};

// A model's name without its extension (from the last "." of the file name
// part on): "cars\\infernus" for "cars\\infernus.dff".
std::string_view NameStem(std::string_view name);

// The entry whose name is the model's with ".txd" for its extension (ASCII
// case ignored), the first such in directory order.
std::optional<size_t> CompanionDictionary(const TRecArray& entries, std::string_view modelName);

// The archive's shared dictionary of vehicle textures (wheels, lamps,
// plates): the first entry named "vehicle.txd" (ASCII case ignored).
std::optional<size_t> VehicleDictionary(const TRecArray& entries);

// Where a model finds its textures, in order: the archive's dictionary of the
// model's name (when `cat` is given), each loose dictionary, then the
// archive's "vehicle.txd".
std::vector<TDictionarySource> ModelDictionaries(const Catalogue* cat, std::string_view modelName,
                                                 const std::vector<std::string>& looseDictionaries);

// Every texture the model's materials name, from the first dictionary of
// `sources` that holds one of that name (ASCII case ignored); a texture found
// nowhere, or in an encoding that is not decoded, maps to -1. A dictionary
// that cannot be read gives the textures found before the failure, and the
// failure is added to `failures` when given.
TModelTextures FindModelTextures(const TModelRead& model, const std::vector<TDictionarySource>& sources,
                                 std::vector<std::exception_ptr>* failures = nullptr);

// The texture's first level with its alpha, from the dictionary's bytes.
TModelImage DecodeImage(TByteSpan bytes, const TTextureInfo& t, std::string_view path = {});

}  // namespace korvane
