#include "ops/CollisionExport.h"

#include <charconv>

#include "archive/FileIO.h"
#include "archive/NameCodec.h"

namespace korvane::ops {

namespace {

void AppendFloat(std::string& s, float v)
{
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    s.append(buf, res.ptr);
}

}  // namespace

void ExportCollisionObj(TByteSpan bytes, const std::vector<TCollisionModel>& models, const std::string& path)
{
    TFile file = TFile::Create(path);
    std::string buf;
    auto flush = [&](bool force) {
        if (force || buf.size() >= 60000) {
            file.Write(buf.data(), buf.size());
            buf.clear();
        }
    };
    uint64_t base = 1;  // OBJ counts vertices from 1 over the whole file
    for (const TCollisionModel& m : models) {
        const TCollisionShape shape = DecodeCollisionModel(bytes, m);
        buf += "o " + Cp1251ToUtf8(m.Name()) + "\n";
        for (const TVec3& v : shape.Vertices) {
            buf += 'v';
            for (float c : {v.X, v.Y, v.Z}) {
                buf += ' ';
                AppendFloat(buf, c);
            }
            buf += '\n';
            flush(false);
        }
        for (const TCollisionFace& f : shape.Faces) {
            buf += "f " + std::to_string(base + f.A) + " " + std::to_string(base + f.B) + " " + std::to_string(base + f.C) + "\n";
            flush(false);
        }
        base += shape.Vertices.size();
    }
    flush(true);
    file.Close();
}

}  // namespace korvane::ops
