#include "formats/ifp/AnimationWriter.h"

#include <cmath>
#include <cstring>

#include "base/ByteOrder.h"

namespace korvane {

namespace {

void AppendFixedName(std::string& out, const std::string& name, size_t size)
{
    std::string field = name.substr(0, size);
    field.resize(size, '\0');
    out += field;
}

std::string Anp3Body(const std::string& name, const std::vector<TAnimationData>& animations)
{
    std::string b;
    AppendFixedName(b, name, 24);
    AppendLE32(b, uint32_t(animations.size()));
    for (const TAnimationData& a : animations) {
        AppendFixedName(b, a.Name, 24);
        AppendLE32(b, uint32_t(a.Bones.size()));
        std::string frames;
        for (const TAnimationBoneData& bone : a.Bones) {
            const bool translated = bone.Kind != TKeyKind::kRotation;
            AppendFixedName(frames, bone.Name, 24);
            AppendLE32(frames, translated ? 4 : 3);
            AppendLE32(frames, uint32_t(bone.Times.size()));
            AppendLE32(frames, uint32_t(bone.Id));
            for (float t : bone.Times) {
                for (int16_t q : {0, 0, 0, 4096}) AppendLE16(frames, uint16_t(q));  // the identity, 1/4096 units
                AppendLE16(frames, uint16_t(int16_t(std::lround(t * 60))));
                if (translated)
                    for (int k = 0; k < 3; ++k) AppendLE16(frames, 0);
            }
        }
        AppendLE32(b, uint32_t(frames.size()));
        AppendLE32(b, 1);
        b += frames;
    }
    return b;
}

std::string Chunk(const char* tag, std::string body)
{
    std::string c(tag, 4);
    AppendLE32(c, uint32_t(body.size()));
    body.resize((body.size() + 3) & ~size_t(3), '\0');
    return c + body;
}

std::string AnpkBody(const std::string& name, const std::vector<TAnimationData>& animations)
{
    std::string info;
    AppendLE32(info, uint32_t(animations.size()));
    info += name + '\0';
    std::string b = Chunk("INFO", info);
    for (const TAnimationData& a : animations) {
        b += Chunk("NAME", a.Name + '\0');
        std::string head;
        AppendLE32(head, uint32_t(a.Bones.size()));
        AppendLE32(head, 0);
        std::string dgan = Chunk("INFO", head);
        for (const TAnimationBoneData& bone : a.Bones) {
            std::string anim;
            AppendFixedName(anim, bone.Name, 28);
            AppendLE32(anim, uint32_t(bone.Times.size()));
            for (int k = 0; k < 3; ++k) AppendLE32(anim, 0);
            const int floats = bone.Kind == TKeyKind::kRotation ? 0 : bone.Kind == TKeyKind::kRotationTranslation ? 3 : 6;
            std::string keys;
            for (float t : bone.Times) {
                for (float q : {0.f, 0.f, 0.f, 1.f}) AppendLEFloat(keys, q);
                for (int k = 0; k < floats; ++k) AppendLEFloat(keys, k < 3 ? 0.f : 1.f);
                AppendLEFloat(keys, t);
            }
            std::string cpan = Chunk("ANIM", anim);
            if (!bone.Times.empty()) cpan += Chunk(KeyKindTag(bone.Kind), keys);
            dgan += Chunk("CPAN", cpan);
        }
        b += Chunk("DGAN", dgan);
    }
    return b;
}

}  // namespace

std::string AnimationPackageBytes(const std::string& layout, const std::string& name,
                                  const std::vector<TAnimationData>& animations)
{
    const std::string body = layout == "ANP3" ? Anp3Body(name, animations) : AnpkBody(name, animations);
    std::string out = layout.substr(0, 4);
    AppendLE32(out, uint32_t(body.size()));
    return out + body;
}

}  // namespace korvane
