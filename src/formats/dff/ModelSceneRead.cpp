#include "formats/dff/ModelSceneRead.h"

#include <cstring>
#include <stdexcept>

#include "base/ByteOrder.h"
#include "base/Errors.h"

namespace korvane {

namespace {

constexpr size_t FrameBytes = 56;  // rotation, position, parent, flags

using TChild = TSection;

// A section's struct, at least `size` bytes of it; `pos` then follows it.
TChild StructOf(const TSectionCursor& in, const TChild& parent, uint64_t& pos, uint64_t size)
{
    pos = parent.Body;
    TChild s;
    if (!in.FindWithin(pos, parent.End, rwStruct, s) || s.Header.Size < size) in.RaiseShort();
    return s;
}

// A string section's characters before its first zero byte.
std::string ReadString(const TSectionCursor& in, const TChild& s)
{
    const TByteSpan b = in.Bytes().subspan(size_t(s.Body), s.Header.Size);
    const std::string text(reinterpret_cast<const char*>(b.data()), b.size());
    return text.substr(0, text.find('\0'));
}

int32_t ReadCount(const TSectionCursor& in, const TChild& s, uint64_t bytesEach)
{
    const int32_t n = int32_t(LoadLE32(in.Bytes().data() + s.Body));
    if (n < 0) throw ERangeError();
    if (uint64_t(n) * bytesEach > s.Header.Size - 4) in.RaiseShort();
    return n;
}

// Every frame's parents must lead to a root: one pass, each frame marked once.
void CheckHierarchy(const std::vector<TFrame>& frames)
{
    enum : uint8_t { fresh, onPath, rooted };
    std::vector<uint8_t> state(frames.size(), fresh);
    for (size_t i = 0; i < frames.size(); ++i) {
        int64_t k = int64_t(i);
        while (k >= 0 && state[size_t(k)] == fresh) {
            state[size_t(k)] = onPath;
            k = frames[size_t(k)].Parent;
        }
        if (k >= 0 && state[size_t(k)] == onPath)
            throw std::runtime_error("The parents of frame " + std::to_string(k) + " form a loop");
        for (int64_t j = int64_t(i); j >= 0 && state[size_t(j)] == onPath; j = frames[size_t(j)].Parent)
            state[size_t(j)] = rooted;
    }
}

void ReadMaterial(const TSectionCursor& in, const TChild& m, TMaterial& out)
{
    uint64_t pos;
    const TChild s = StructOf(in, m, pos, 16);
    const uint8_t* raw = in.Bytes().data() + s.Body;  // flags, colour, unused, textured
    std::memcpy(out.Colour, raw + 4, 4);
    TChild texture;
    if (LoadLE32(raw + 12) == 0 || !in.FindWithin(pos, m.End, rwTexture, texture)) return;
    out.Textured = true;
    // The texture's struct (filtering) is skipped; its first two strings are
    // the texture's name and its mask's.
    uint64_t p = texture.Body;
    TChild name;
    if (in.FindWithin(p, texture.End, rwString, name)) out.Texture = ReadString(in, name);
    if (in.FindWithin(p, texture.End, rwString, name)) out.Mask = ReadString(in, name);
}

}  // namespace

void ReadFrameList(const TSectionCursor& in, uint64_t pos, uint64_t end, std::vector<TFrame>& frames)
{
    TChild list;
    if (!in.FindWithin(pos, end, rwFrameList, list)) return;
    uint64_t p;
    const TChild s = StructOf(in, list, p, 4);
    const int32_t n = ReadCount(in, s, FrameBytes);
    const uint8_t* raw = in.Bytes().data() + s.Body + 4;
    frames.assign(size_t(n), TFrame{});
    for (int32_t i = 0; i < n; ++i) {
        const uint8_t* f = raw + size_t(i) * FrameBytes;
        TFrame& frame = frames[size_t(i)];
        std::memcpy(frame.Rotation, f, 36);
        std::memcpy(&frame.Position, f + 36, 12);
        frame.Parent = int32_t(LoadLE32(f + 48));
        if (frame.Parent < -1 || frame.Parent >= n)
            throw std::runtime_error("Frame " + std::to_string(i) + " names parent " + std::to_string(frame.Parent) +
                                     ", which the model does not have");
    }
    CheckHierarchy(frames);
    // One extension per frame, in the frames' order, holds its name.
    TChild ext;
    for (size_t k = 0; k < frames.size() && in.FindWithin(p, list.End, rwExtension, ext); ++k) {
        uint64_t q = ext.Body;
        TChild name;
        if (in.FindWithin(q, ext.End, rwFrameName, name)) frames[k].Name = ReadString(in, name);
    }
}

void ReadMaterialList(const TSectionCursor& in, uint64_t pos, uint64_t end, std::vector<TMaterial>& materials)
{
    TChild list;
    if (!in.FindWithin(pos, end, rwMaterialList, list)) return;
    uint64_t p;
    const TChild s = StructOf(in, list, p, 4);
    const int32_t n = ReadCount(in, s, 4);
    // Each entry is -1 for a material of its own, which follows in order, or
    // the index of an earlier material it repeats.
    const uint8_t* refs = in.Bytes().data() + s.Body + 4;
    materials.assign(size_t(n), TMaterial{});
    for (int32_t i = 0; i < n; ++i) {
        const int32_t ref = int32_t(LoadLE32(refs + 4 * size_t(i)));
        if (ref >= 0) {
            if (ref >= i)
                throw std::runtime_error("Material " + std::to_string(i) + " repeats material " + std::to_string(ref) +
                                         ", which does not come before it");
            materials[size_t(i)] = materials[size_t(ref)];
            continue;
        }
        TChild m;
        if (!in.FindWithin(p, list.End, rwMaterial, m)) in.RaiseShort();
        ReadMaterial(in, m, materials[size_t(i)]);
    }
}

void ReadAtomics(const TSectionCursor& in, uint64_t pos, uint64_t end, size_t frames, size_t geometries,
                 std::vector<TAtomic>& atomics)
{
    TChild a;
    while (in.FindWithin(pos, end, rwAtomic, a)) {
        uint64_t p;
        const TChild s = StructOf(in, a, p, 8);
        const uint8_t* raw = in.Bytes().data() + s.Body;
        const TAtomic atomic{LoadLE32(raw), LoadLE32(raw + 4)};
        const std::string which = "Atomic " + std::to_string(atomics.size());
        if (atomic.Frame >= frames)
            throw std::runtime_error(which + " names frame " + std::to_string(atomic.Frame) +
                                     ", which the model does not have");
        if (atomic.Geometry >= geometries)
            throw std::runtime_error(which + " names geometry " + std::to_string(atomic.Geometry) +
                                     ", which the model does not have");
        atomics.push_back(atomic);
    }
}

}  // namespace korvane
