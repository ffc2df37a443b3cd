// Animation packages (".ifp"): named animations, each a list of bones with
// their key frames. Two layouts: "ANP3" (the later games: fixed records,
// keys in 16-bit fixed point) and "ANPK" (the older games: nested chunks,
// keys in floats). Only what the previews show is kept of the keys: how
// many there are, of which kind, and the time of the last.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "rw/SectionCursor.h"

namespace korvane {

// A package or an animation that does not hold what its counts and sizes
// say. The message names the animation.
class EAnimationError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What a bone's keys hold besides the rotation and time.
enum class TKeyKind {
    kRotation,                     // ANP3 kind 3, "KR00"
    kRotationTranslation,          // ANP3 kind 4, "KRT0"
    kRotationTranslationScale,     // "KRTS"
    kNone,                         // an "ANPK" bone without keys
};
// "KR00", "KRT0", "KRTS" or "" for kNone: the older layout's names, which
// name the later layout's kinds as well.
const char* KeyKindTag(TKeyKind kind);

struct TAnimationBone {
    std::string Name;  // raw 8-bit
    int32_t Id = -1;   // the later layout's bone id; -1 in the older, which has none
    TKeyKind Kind = TKeyKind::kNone;
    uint32_t Keys = 0;
    float Seconds = 0;  // time of the latest key
};

struct TAnimation {
    std::string Name;  // raw 8-bit
    std::vector<TAnimationBone> Bones;
    uint64_t Keys = 0;  // of every bone
    float Seconds = 0;  // latest key of any bone
};

struct TAnimationPackage {
    std::string Layout;  // "ANP3" or "ANPK"
    std::string Name;    // raw 8-bit
    uint32_t Count = 0;  // animations the package says it holds
    std::vector<TAnimation> Animations;
};

// Whether the bytes start with "ANP3" or "ANPK".
bool IsAnimationPackage(TByteSpan bytes);

// Reads the package the bytes start with; bytes past its declared size are
// not looked at. Raises EAnimationError naming the first animation that
// lies, `out` then holding the animations before it.
void ReadAnimationPackage(TByteSpan bytes, TAnimationPackage& out);

// The later layout's fixed point: time in 1/60 s.
constexpr float Anp3TicksPerSecond = 60;

// Seconds with three decimals and a "." whatever the locale.
std::string SecondsText(float seconds);

}  // namespace korvane
