// A model written out for other programs: its parts as Wavefront OBJ, or the
// model assembled by its frames, with materials and textures, as glTF.
#pragma once

#include <string>
#include <vector>

#include "archive/Catalogue.h"
#include "formats/dff/Model.h"
#include "formats/dff/ModelScene.h"
#include "formats/dff/ModelTextures.h"

namespace korvane::ops {

// The parts as the view draws them, every part checked and none selected.
void ExportObj(const TModelRead& model, const std::string& path);

// The textures of the model: from the archive's dictionary of the model's
// name (when `cat` is given), then each loose dictionary, in order, then the
// archive's "vehicle.txd". Raises the first dictionary that cannot be read.
TModelTextures ModelTexturesFor(const TModelRead& model, const Catalogue* cat, std::string_view modelName,
                                const std::vector<std::string>& looseDictionaries);

// The model assembled by its frames as binary glTF 2.0: the placements
// (AssembleModel's, in order) whose flag in `included` is set, or every one
// when it is empty; marker materials in `paint`.
void ExportGltf(const TModelRead& model, const TModelTextures& textures, std::string_view modelName,
                const std::string& path, std::vector<bool> included = {}, const TVehiclePaint& paint = {});

}  // namespace korvane::ops
