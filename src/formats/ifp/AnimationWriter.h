// Animation packages written in the layouts Animation.h reads: the demo
// archive's package and the tests' fixtures come from here.
#pragma once

#include <string>
#include <vector>

#include "formats/ifp/Animation.h"

namespace korvane {

struct TAnimationBoneData {
    std::string Name;
    int32_t Id = 0;  // written by "ANP3" only
    TKeyKind Kind = TKeyKind::kRotation;  // "ANP3" knows kRotation and kRotationTranslation
    std::vector<float> Times;  // one key each, in seconds; rotation and translation are the identity
};

struct TAnimationData {
    std::string Name;
    std::vector<TAnimationBoneData> Bones;
};

// The package in `layout` ("ANP3" or "ANPK"), its declared size covering
// exactly what is written. "ANP3" times are rounded to 1/60 s.
std::string AnimationPackageBytes(const std::string& layout, const std::string& name,
                                  const std::vector<TAnimationData>& animations);

}  // namespace korvane
