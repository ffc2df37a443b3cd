#include "demo/DemoArchives.h"

#include <algorithm>
#include <cstring>

#include "archive/Catalogue.h"
#include "base/ByteOrder.h"
#include "base/FileIO.h"
#include "demo/DemoCollision.h"
#include "demo/RenderWareWriter.h"

namespace korvane {

namespace {

void WriteFile(const std::string& path, const std::string& bytes)
{
    TFile f = TFile::Create(path);
    f.Write(bytes.data(), bytes.size());
    f.Close();
}

uint32_t Sectors(size_t bytes) { return uint32_t((bytes + SectorSize - 1) / SectorSize); }

std::string Record(uint32_t offset, uint32_t size, const std::string& name)
{
    std::string r;
    AppendLE32(r, offset);
    AppendLE32(r, size);
    std::string n = name.substr(0, 24);
    n.resize(24, '\0');
    return r + n;
}

// The data area of a sector archive starting at sector `first`, and the
// directory records pointing into it.
std::pair<std::string, std::string> SectorLayout(const std::vector<std::pair<std::string, std::string>>& entries,
                                                 uint32_t first)
{
    std::string data, records;
    uint32_t at = first;
    for (const auto& [name, bytes] : entries) {
        records += Record(at, Sectors(bytes.size()), name);
        std::string padded = bytes;
        padded.resize(size_t(Sectors(bytes.size())) * SectorSize, '\0');
        data += padded;
        at += Sectors(bytes.size());
    }
    return {records, data};
}

std::string DemoDictionary()
{
    return DemoDictionaryBytes({
        {"rings", "", TTextureEncoding::Dxt1, DemoPicture(TDemoPattern::Rings, 128, 128)},
        {"bricks", "", TTextureEncoding::Dxt1, DemoPicture(TDemoPattern::Bricks, 64, 32)},
        {"glass", "glassa", TTextureEncoding::Dxt3, DemoPicture(TDemoPattern::Glass, 64, 64)},
        {"emblem", "emblema", TTextureEncoding::Bgra32, DemoPicture(TDemoPattern::Emblem, 32, 32)},
    });
}

std::string DemoModel()
{
    // A street lamp: a base and a pole with stored normals, a ring without.
    return DemoModelBytes({DemoBox(-1.5f, -1.5f, 0, 1.5f, 1.5f, 1), DemoCylinder(0.4f, 1, 9, 16),
                       DemoTorus(1.6f, 0.35f, 9.2f, 24, 10)});
}

// The mesh turned so that its z axis runs along x (x → y, y → z, z → x): a
// wheel's axle as the games' wheel parts have it.
TDemoMesh AxleAlongX(TDemoMesh m)
{
    for (std::vector<float>* v : {&m.Positions, &m.Normals})
        for (size_t i = 0; i + 2 < v->size(); i += 3) {
            const float x = (*v)[i], y = (*v)[i + 1], z = (*v)[i + 2];
            (*v)[i] = z, (*v)[i + 1] = x, (*v)[i + 2] = y;
        }
    return m;
}

// Two meshes as one part.
TDemoMesh Joined(TDemoMesh a, const TDemoMesh& b)
{
    const uint16_t base = uint16_t(a.Positions.size() / 3);
    a.Positions.insert(a.Positions.end(), b.Positions.begin(), b.Positions.end());
    a.Normals.insert(a.Normals.end(), b.Normals.begin(), b.Normals.end());
    a.TexCoords.insert(a.TexCoords.end(), b.TexCoords.begin(), b.TexCoords.end());
    for (uint16_t k : b.Triangles) a.Triangles.push_back(uint16_t(base + k));
    a.Radius = std::max(a.Radius, b.Radius);
    return a;
}

// A little cart built as the games build a vehicle: a brick body in the
// body-paint marker colour with a glass cabin on "chassis", bumpers in the
// trim marker colour, lamps in the lamp markers, one wheel part (on "wheel",
// its axle along x) that the game view draws at the four wheel dummies, and
// a plain low-detail body on "chassis_vlo".
std::string DemoCart()
{
    std::vector<TDemoFrame> frames = {{}, {}};
    frames[0].Name = "cart";
    frames[1] = {{1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0.45f}, 0, "chassis"};
    const char* wheels[4] = {"wheel_lf_dummy", "wheel_rf_dummy", "wheel_lb_dummy", "wheel_rb_dummy"};
    for (int i = 0; i < 4; ++i)
        frames.push_back({{1, 0, 0, 0, 1, 0, 0, 0, 1}, {i % 2 ? 1.15f : -1.15f, i < 2 ? 1.3f : -1.3f, 0.45f}, 0, wheels[i]});
    frames.push_back({{1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0.45f}, 0, "chassis_vlo"});
    frames.push_back({{1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0}, 3, "wheel"});  // under wheel_rf_dummy
    for (const char* name : {"bump_front_ok", "bump_rear_ok", "headlights", "taillights"})
        frames.push_back({{1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0}, 1, name});  // 8..11, at the chassis
    const uint8_t body[4] = {60, 255, 0, 255}, trim[4] = {255, 0, 175, 255}, front[4] = {255, 175, 0, 255},
                  rear[4] = {185, 255, 0, 255};
    auto part = [](TDemoMesh mesh, uint32_t frame, const char* texture, const uint8_t* colour) {
        TDemoPart p{std::move(mesh), frame, texture};
        if (colour) std::copy(colour, colour + 4, p.Colour);
        return p;
    };
    const std::vector<TDemoPart> parts = {
        part(DemoBox(-1, -2, 0, 1, 2, 0.7f), 1, "bricks", body),
        part(DemoBox(-0.8f, -0.9f, 0.7f, 0.8f, 0.7f, 1.4f), 1, "glass", nullptr),
        part(AxleAlongX(DemoCylinder(0.45f, -0.2f, 0.2f, 20)), 7, "rings", nullptr),
        part(DemoBox(-1.05f, 1.95f, -0.05f, 1.05f, 2.15f, 0.2f), 8, "", trim),
        part(DemoBox(-1.05f, -2.15f, -0.05f, 1.05f, -1.95f, 0.2f), 9, "", trim),
        part(Joined(DemoBox(-0.9f, 2, 0.35f, -0.5f, 2.05f, 0.55f), DemoBox(0.5f, 2, 0.35f, 0.9f, 2.05f, 0.55f)), 10, "", front),
        part(Joined(DemoBox(-0.9f, -2.05f, 0.35f, -0.5f, -2, 0.55f), DemoBox(0.5f, -2.05f, 0.35f, 0.9f, -2, 0.55f)), 11, "",
             rear),
        part(DemoBox(-1, -2, 0, 1, 2, 1.4f), 6, "", nullptr),
    };
    return DemoModelBytes(frames, parts);
}

std::string DemoCartDictionary()
{
    return DemoDictionaryBytes({
        {"rings", "", TTextureEncoding::Dxt1, DemoPicture(TDemoPattern::Rings, 64, 64)},
        {"bricks", "", TTextureEncoding::Dxt1, DemoPicture(TDemoPattern::Bricks, 64, 32)},
        {"glass", "glassa", TTextureEncoding::Dxt3, DemoPicture(TDemoPattern::Glass, 64, 64)},
    });
}

std::string DemoPlacement()
{
    std::vector<TDemoInstance> instances;
    for (int i = 0; i < 6; ++i)
        instances.push_back({{-120.5f + 12.25f * float(i), 340.125f, 10.0f + 0.5f * float(i)},
                             {0, 0, i % 2 ? 0.7071068f : 0.f, i % 2 ? 0.7071068f : 1.f},
                             1200 + i,
                             0,
                             -1});
    const std::vector<TDemoParkedCar> cars = {
        {{-100.25f, 352.5f, 10.75f}, 90.0f, {415, -1, -1, 0, 0, 0, 0, 0}},
        {{-80.0f, 352.5f, 10.75f}, 270.0f, {429, 1, 1, 0, 0, 0, 0, 0}},
    };
    return DemoPlacementBytes(instances, cars);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> DemoEntries()
{
    std::string data(3000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = char(i * 7 + 3);
    return {
        {"textures.txd", DemoDictionary()},
        {"lamp.dff", DemoModel()},
        {"street.ipl", DemoPlacement()},
        {"street_text.ipl", "# A text placement file: shown as a plain entry\ninst\n1200, lamp, 0, 0, 0, 0, 0, 0, 0, 1, -1\nend\n"},
        {"readme.txt", "Korvane demo archive.\nEvery entry here was made by Korvane's own code.\n"},
        {"empty.dat", ""},
        {"noise.dat", data},
        {"cart.dff", DemoCart()},
        {"cart.txd", DemoCartDictionary()},
        {"lamp.col", DemoCollisionFile()},
        {"walk.ifp", DemoAnimationPackage()},
    };
}

std::vector<std::string> MakeDemoArchives(const std::string& folder)
{
    const auto entries = DemoEntries();
    const std::string base = folder + "/";
    std::vector<std::string> written;

    {  // Two-file kind: data from sector 0, the directory beside it.
        auto [records, data] = SectorLayout(entries, 0);
        WriteFile(base + "demo.img", data);
        WriteFile(base + "demo.dir", records);
        written.push_back(base + "demo.img");
    }
    {  // VER2: header and records, data from the first sector after them.
        const uint32_t first = Sectors(8 + 32 * entries.size());
        auto [records, data] = SectorLayout(entries, first);
        std::string head = "VER2";
        AppendLE32(head, uint32_t(entries.size()));
        head += records;
        head.resize(size_t(first) * SectorSize, '\0');
        WriteFile(base + "demo_v2.img", head + data);
        written.push_back(base + "demo_v2.img");
    }
    {  // VXBG: names and sizes, the data back to back after them.
        std::string dir, data;
        for (const auto& [name, bytes] : entries) {
            dir += name + std::string(1, '\0');
            AppendLE32(dir, uint32_t(bytes.size()));
            data += bytes;
        }
        std::string out = "VXBG";
        AppendLE32(out, uint32_t(dir.size()));
        WriteFile(base + "demo.syb", out + dir + data);
        written.push_back(base + "demo.syb");
    }
    {  // BIGF: big-endian offsets and sizes, the names, then the data.
        size_t dirSize = 0;
        for (const auto& e : entries) dirSize += 8 + e.first.size() + 1;
        const uint32_t dataStart = uint32_t(16 + dirSize + 8);
        std::string dir, data;
        uint32_t at = dataStart;
        for (const auto& [name, bytes] : entries) {
            AppendBE32(dir, at);
            AppendBE32(dir, uint32_t(bytes.size()));
            dir += name + std::string(1, '\0');
            data += bytes;
            at += uint32_t(bytes.size());
        }
        std::string out = "BIGF";
        AppendLE32(out, uint32_t(dataStart + data.size()));
        AppendBE32(out, uint32_t(entries.size()));
        AppendBE32(out, dataStart);  // the first data byte; the records end 8 bytes before it
        out += dir + "L253" + std::string(4, '\0');
        WriteFile(base + "demo.big", out + data);
        written.push_back(base + "demo.big");
    }
    return written;
}

}  // namespace korvane
