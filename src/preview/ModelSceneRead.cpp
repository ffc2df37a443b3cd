#include "preview/ModelSceneRead.h"

#include <cstring>
#include <stdexcept>

#include "archive/ByteOrder.h"
#include "archive/Errors.h"
#include "preview/SectionWalk.h"

namespace korvane {

namespace {

constexpr size_t FrameBytes = 56;  // rotation, position, parent, flags

struct TChild {
    TSectionHeader Header;
    uint64_t Body = 0;  // first content byte
    uint64_t End = 0;   // one past the last
};

void ReadAt(TFile& file, uint64_t pos, void* buf, size_t n)
{
    file.Seek(pos);
    file.ReadExact(buf, n);
}

// The section at `pos`, which then moves past it; false when no header fits
// before `end` (padding at the end of a section is not an error).
bool NextChild(TFile& file, uint64_t& pos, uint64_t end, TChild& c)
{
    if (pos >= end || end - pos < 12) return false;
    uint8_t raw[12];
    ReadAt(file, pos, raw, sizeof raw);
    c.Header = {LoadLE32(raw), LoadLE32(raw + 4), LoadLE32(raw + 8)};
    c.Body = pos + 12;
    if (c.Header.Size > end - c.Body) RaiseReadBeyondEof(file.Path());
    c.End = c.Body + c.Header.Size;
    pos = c.End;
    return true;
}

bool FindChild(TFile& file, uint64_t& pos, uint64_t end, uint32_t id, TChild& c)
{
    while (NextChild(file, pos, end, c))
        if (c.Header.Id == id) return true;
    return false;
}

// A section's struct, at least `size` bytes of it.
TChild StructOf(TFile& file, const TChild& parent, uint64_t& pos, uint64_t size)
{
    pos = parent.Body;
    TChild s;
    if (!FindChild(file, pos, parent.End, rwStruct, s) || s.Header.Size < size) RaiseReadBeyondEof(file.Path());
    return s;
}

// A string section's characters before its first zero byte.
std::string ReadString(TFile& file, const TChild& s)
{
    std::string text(s.Header.Size, '\0');
    ReadAt(file, s.Body, text.data(), text.size());
    return text.substr(0, text.find('\0'));
}

int32_t ReadCount(TFile& file, const TChild& s, uint64_t bytesEach)
{
    uint8_t raw[4];
    ReadAt(file, s.Body, raw, sizeof raw);
    const int32_t n = int32_t(LoadLE32(raw));
    if (n < 0) throw ERangeError();
    if (uint64_t(n) * bytesEach > s.Header.Size - 4) RaiseReadBeyondEof(file.Path());
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

void ReadMaterial(TFile& file, const TChild& m, TMaterial& out)
{
    uint64_t pos;
    const TChild s = StructOf(file, m, pos, 16);
    uint8_t raw[16];  // flags, colour, unused, textured
    ReadAt(file, s.Body, raw, sizeof raw);
    std::memcpy(out.Colour, raw + 4, 4);
    TChild texture;
    if (LoadLE32(raw + 12) == 0 || !FindChild(file, pos, m.End, rwTexture, texture)) return;
    out.Textured = true;
    // The texture's struct (filtering) is skipped; its first two strings are
    // the texture's name and its mask's.
    uint64_t p = texture.Body;
    TChild name;
    if (FindChild(file, p, texture.End, rwString, name)) out.Texture = ReadString(file, name);
    if (FindChild(file, p, texture.End, rwString, name)) out.Mask = ReadString(file, name);
}

}  // namespace

void ReadFrameList(TFile& file, uint64_t pos, uint64_t end, std::vector<TFrame>& frames)
{
    TChild list;
    if (!FindChild(file, pos, end, rwFrameList, list)) return;
    uint64_t p;
    const TChild s = StructOf(file, list, p, 4);
    const int32_t n = ReadCount(file, s, FrameBytes);
    std::vector<uint8_t> raw(size_t(n) * FrameBytes);
    file.ReadExact(raw.data(), raw.size());
    frames.assign(size_t(n), TFrame{});
    for (int32_t i = 0; i < n; ++i) {
        const uint8_t* f = raw.data() + size_t(i) * FrameBytes;
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
    for (size_t k = 0; k < frames.size() && FindChild(file, p, list.End, rwExtension, ext); ++k) {
        uint64_t q = ext.Body;
        TChild name;
        if (FindChild(file, q, ext.End, rwFrameName, name)) frames[k].Name = ReadString(file, name);
    }
}

void ReadMaterialList(TFile& file, uint64_t pos, uint64_t end, std::vector<TMaterial>& materials)
{
    TChild list;
    if (!FindChild(file, pos, end, rwMaterialList, list)) return;
    uint64_t p;
    const TChild s = StructOf(file, list, p, 4);
    const int32_t n = ReadCount(file, s, 4);
    // Each entry is -1 for a material of its own, which follows in order, or
    // the index of an earlier material it repeats.
    std::vector<uint8_t> refs(size_t(n) * 4);
    file.ReadExact(refs.data(), refs.size());
    materials.assign(size_t(n), TMaterial{});
    for (int32_t i = 0; i < n; ++i) {
        const int32_t ref = int32_t(LoadLE32(refs.data() + 4 * size_t(i)));
        if (ref >= 0) {
            if (ref >= i)
                throw std::runtime_error("Material " + std::to_string(i) + " repeats material " + std::to_string(ref) +
                                         ", which does not come before it");
            materials[size_t(i)] = materials[size_t(ref)];
            continue;
        }
        TChild m;
        if (!FindChild(file, p, list.End, rwMaterial, m)) RaiseReadBeyondEof(file.Path());
        ReadMaterial(file, m, materials[size_t(i)]);
    }
}

void ReadAtomics(TFile& file, uint64_t pos, uint64_t end, size_t frames, size_t geometries,
                 std::vector<TAtomic>& atomics)
{
    TChild a;
    while (FindChild(file, pos, end, rwAtomic, a)) {
        uint64_t p;
        const TChild s = StructOf(file, a, p, 8);
        uint8_t raw[8];
        ReadAt(file, s.Body, raw, sizeof raw);
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
