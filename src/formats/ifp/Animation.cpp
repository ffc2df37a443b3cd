#include "formats/ifp/Animation.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "base/ByteOrder.h"

namespace korvane {

namespace {

constexpr uint64_t kAnp3NameSize = 24;
constexpr uint64_t kAnp3AnimationHead = kAnp3NameSize + 12;  // name, bones, frame data size, flag
constexpr uint64_t kAnp3BoneHead = kAnp3NameSize + 12;       // name, key kind, keys, bone id
constexpr uint64_t kAnpkBoneNameSize = 28;
// Smallest an animation and a bone of the older layout can be: every chunk header.
constexpr uint64_t kAnpkAnimationLeast = 32, kAnpkBoneLeast = 16 + kAnpkBoneNameSize + 4;

std::string FixedName(const uint8_t* p, size_t size)
{
    return std::string(reinterpret_cast<const char*>(p), size_t(std::find(p, p + size, 0) - p));
}

float LoadFloat(const uint8_t* p)
{
    float f;
    std::memcpy(&f, p, 4);
    return f;
}

uint64_t Align4(uint64_t n) { return (n + 3) & ~uint64_t(3); }

// Reads inside the package's declared bytes; every failure names what it was reading.
class TPackageRead {
public:
    TPackageRead(TByteSpan bytes, TAnimationPackage& out) : b_(bytes.data()), out_(out) {}

    [[noreturn]] void Lie(const std::string& what) const
    {
        if (number_ == 0) throw EAnimationError("The animation package is damaged: " + what);
        if (!named_) throw EAnimationError("The animation number " + std::to_string(number_) + " is damaged: " + what);
        throw EAnimationError("The animation \"" + name_ + "\" (number " + std::to_string(number_) +
                              ") is damaged: " + what);
    }
    // `n` bytes at `at` lie before `end`.
    void Need(uint64_t at, uint64_t n, uint64_t end, const char* what) const
    {
        if (at > end || n > end - at) Lie(std::string(what) + " runs past its end");
    }
    void StartAnimation(size_t number)
    {
        number_ = number;
        named_ = false;
    }
    void Named(const std::string& name)
    {
        name_ = name;
        named_ = true;
    }

    void ReadAnp3(uint64_t end);
    void ReadAnpk(uint64_t end);

private:
    // A chunk header of the older layout at `at`: its body and where the
    // next chunk starts. The body must lie before `end`.
    struct TChunk {
        char Tag[4];
        uint64_t Body, End, Next;
    };
    TChunk Chunk(uint64_t at, uint64_t end, const char* what) const
    {
        Need(at, 8, end, what);
        TChunk c;
        std::memcpy(c.Tag, b_ + at, 4);
        c.Body = at + 8;
        c.End = c.Body + LoadLE32(b_ + at + 4);
        Need(c.Body, c.End - c.Body, end, what);
        c.Next = std::min(end, c.Body + Align4(c.End - c.Body));
        return c;
    }
    static bool Is(const TChunk& c, const char* tag) { return std::memcmp(c.Tag, tag, 4) == 0; }

    const uint8_t* b_;
    TAnimationPackage& out_;
    size_t number_ = 0;
    bool named_ = false;
    std::string name_;
};

void TPackageRead::ReadAnp3(uint64_t end)
{
    Need(8, kAnp3NameSize + 4, end, "the package's header");
    out_.Name = FixedName(b_ + 8, kAnp3NameSize);
    out_.Count = LoadLE32(b_ + 8 + kAnp3NameSize);
    uint64_t at = 8 + kAnp3NameSize + 4;
    out_.Animations.reserve(std::min<uint64_t>(out_.Count, (end - at) / kAnp3AnimationHead));
    for (uint32_t i = 0; i < out_.Count; ++i) {
        StartAnimation(i + 1);
        Need(at, kAnp3AnimationHead, end, "the animation");
        TAnimation a;
        a.Name = FixedName(b_ + at, kAnp3NameSize);
        Named(a.Name);
        const uint32_t bones = LoadLE32(b_ + at + kAnp3NameSize);
        at += kAnp3AnimationHead;
        if (bones > (end - at) / kAnp3BoneHead) Lie("its " + std::to_string(bones) + " bones run past its end");
        a.Bones.reserve(bones);
        for (uint32_t k = 0; k < bones; ++k) {
            Need(at, kAnp3BoneHead, end, "a bone");
            TAnimationBone bone;
            bone.Name = FixedName(b_ + at, kAnp3NameSize);
            const uint32_t kind = LoadLE32(b_ + at + kAnp3NameSize);
            bone.Keys = LoadLE32(b_ + at + kAnp3NameSize + 4);
            bone.Id = int32_t(LoadLE32(b_ + at + kAnp3NameSize + 8));
            at += kAnp3BoneHead;
            uint64_t keySize = 0;
            if (kind == 3) {
                bone.Kind = TKeyKind::kRotation;
                keySize = 10;
            } else if (kind == 4) {
                bone.Kind = TKeyKind::kRotationTranslation;
                keySize = 16;
            } else {
                Lie("bone " + std::to_string(k + 1) + " has keys of unknown kind " + std::to_string(kind));
            }
            if (bone.Keys > (end - at) / keySize) Lie("the keys of bone " + std::to_string(k + 1) + " run past its end");
            int32_t latest = 0;
            for (uint64_t key = 0; key < bone.Keys; ++key)
                latest = std::max<int32_t>(latest, int16_t(LoadLE16(b_ + at + key * keySize + 8)));
            bone.Seconds = float(latest) / Anp3TicksPerSecond;
            at += bone.Keys * keySize;
            a.Keys += bone.Keys;
            a.Seconds = std::max(a.Seconds, bone.Seconds);
            a.Bones.push_back(std::move(bone));
        }
        out_.Animations.push_back(std::move(a));
    }
}

void TPackageRead::ReadAnpk(uint64_t end)
{
    const TChunk info = Chunk(8, end, "the package's header");
    if (info.End - info.Body < 4) Lie("the package's header runs past its end");
    out_.Count = LoadLE32(b_ + info.Body);
    out_.Name = FixedName(b_ + info.Body + 4, info.End - info.Body - 4);
    uint64_t at = info.Next;
    out_.Animations.reserve(std::min<uint64_t>(out_.Count, (end - at) / kAnpkAnimationLeast));
    for (uint32_t i = 0; i < out_.Count; ++i) {
        StartAnimation(i + 1);
        const TChunk name = Chunk(at, end, "the animation");
        if (!Is(name, "NAME")) Lie("its name is missing");
        TAnimation a;
        a.Name = FixedName(b_ + name.Body, name.End - name.Body);
        Named(a.Name);
        const TChunk dgan = Chunk(name.Next, end, "the animation");
        if (!Is(dgan, "DGAN")) Lie("its bones are missing");
        const TChunk head = Chunk(dgan.Body, dgan.End, "the animation's header");
        if (head.End - head.Body < 4) Lie("the animation's header runs past its end");
        const uint32_t bones = LoadLE32(b_ + head.Body);
        uint64_t bone = head.Next;
        if (bones > (dgan.End - bone) / kAnpkBoneLeast) Lie("its " + std::to_string(bones) + " bones run past its end");
        a.Bones.reserve(bones);
        for (uint32_t k = 0; k < bones; ++k) {
            const TChunk cpan = Chunk(bone, dgan.End, "a bone");
            if (!Is(cpan, "CPAN")) Lie("bone " + std::to_string(k + 1) + " is missing");
            const TChunk anim = Chunk(cpan.Body, cpan.End, "a bone");
            if (anim.End - anim.Body < kAnpkBoneNameSize + 4) Lie("bone " + std::to_string(k + 1) + " is cut short");
            TAnimationBone b;
            b.Name = FixedName(b_ + anim.Body, kAnpkBoneNameSize);
            b.Keys = LoadLE32(b_ + anim.Body + kAnpkBoneNameSize);
            if (b.Keys > 0) {
                const TChunk keys = Chunk(anim.Next, cpan.End, "a bone's keys");
                uint64_t floats = 0;
                if (Is(keys, "KR00")) {
                    b.Kind = TKeyKind::kRotation;
                    floats = 5;
                } else if (Is(keys, "KRT0")) {
                    b.Kind = TKeyKind::kRotationTranslation;
                    floats = 8;
                } else if (Is(keys, "KRTS")) {
                    b.Kind = TKeyKind::kRotationTranslationScale;
                    floats = 11;
                } else {
                    Lie("the keys of bone " + std::to_string(k + 1) + " are of unknown kind");
                }
                const uint64_t keySize = 4 * floats;
                if (b.Keys > (keys.End - keys.Body) / keySize)
                    Lie("the keys of bone " + std::to_string(k + 1) + " run past its end");
                // The time is the last value of every key.
                for (uint64_t key = 0; key < b.Keys; ++key) {
                    const float t = LoadFloat(b_ + keys.Body + key * keySize + keySize - 4);
                    if (t > b.Seconds) b.Seconds = t;  // NaN never is
                }
            }
            a.Keys += b.Keys;
            a.Seconds = std::max(a.Seconds, b.Seconds);
            a.Bones.push_back(std::move(b));
            bone = cpan.Next;
        }
        out_.Animations.push_back(std::move(a));
        at = dgan.Next;
    }
}

}  // namespace

const char* KeyKindTag(TKeyKind kind)
{
    switch (kind) {
    case TKeyKind::kRotation: return "KR00";
    case TKeyKind::kRotationTranslation: return "KRT0";
    case TKeyKind::kRotationTranslationScale: return "KRTS";
    default: return "";
    }
}

bool IsAnimationPackage(TByteSpan bytes)
{
    return bytes.size() >= 4 && (std::memcmp(bytes.data(), "ANP3", 4) == 0 || std::memcmp(bytes.data(), "ANPK", 4) == 0);
}

void ReadAnimationPackage(TByteSpan bytes, TAnimationPackage& out)
{
    TPackageRead read(bytes, out);
    if (!IsAnimationPackage(bytes)) read.Lie("it starts with neither ANP3 nor ANPK");
    out.Layout.assign(reinterpret_cast<const char*>(bytes.data()), 4);
    read.Need(4, 4, bytes.size(), "the package's header");
    // Bytes after the declared size belong to no animation.
    const uint64_t end = 8 + uint64_t(LoadLE32(bytes.data() + 4));
    if (end > bytes.size()) read.Lie("it runs past the end of the file");
    if (out.Layout == "ANP3")
        read.ReadAnp3(end);
    else
        read.ReadAnpk(end);
}

std::string SecondsText(float seconds)
{
    if (std::isnan(seconds)) return "nan";
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, seconds, std::chars_format::fixed, 3);
    return std::string(buf, res.ptr);
}

}  // namespace korvane
