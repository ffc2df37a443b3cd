#include "support/GltfCheck.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <sys/wait.h>

namespace {

uint32_t Le32(const std::string& s, size_t at)
{
    uint32_t v;
    std::memcpy(&v, s.data() + at, 4);
    return v;
}

template <class T>
std::vector<T> Elements(const std::string& glb, int index, size_t perElement)
{
    const nlohmann::json a = GlbJson(glb)["accessors"][size_t(index)];
    const std::string bytes = GlbView(glb, a["bufferView"].get<size_t>());
    std::vector<T> out(a["count"].get<size_t>() * perElement);
    std::memcpy(out.data(), bytes.data(), std::min(bytes.size(), out.size() * sizeof(T)));
    return out;
}

}  // namespace

std::string GlbView(const std::string& glb, size_t index)
{
    const nlohmann::json view = GlbJson(glb)["bufferViews"][index];
    const size_t bin = 20 + Le32(glb, 12) + 8;
    return glb.substr(bin + view.value("byteOffset", size_t(0)), view["byteLength"].get<size_t>());
}

nlohmann::json GlbJson(const std::string& glb) { return nlohmann::json::parse(glb.substr(20, Le32(glb, 12))); }

std::vector<float> GlbFloats(const std::string& glb, int index)
{
    const std::string type = GlbJson(glb)["accessors"][size_t(index)]["type"];
    return Elements<float>(glb, index, type == "VEC3" ? 3 : type == "VEC2" ? 2 : 1);
}

std::vector<uint32_t> GlbIndices(const std::string& glb, int index) { return Elements<uint32_t>(glb, index, 1); }

std::string GltfValidatorErrors(const std::vector<std::string>& files)
{
    std::string cmd = "node " KORVANE_GLTF_VALIDATOR;
    for (const std::string& f : files) cmd += " '" + f + "'";
    FILE* pipe = popen((cmd + " 2>&1").c_str(), "r");
    std::string out;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) out.append(buf.data(), n);
    const int status = pclose(pipe);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : out.empty() ? "the validator did not run" : out;
}
