// Binary glTF files taken apart for the tests, and the Khronos validator.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// The JSON chunk of a ".glb" file.
nlohmann::json GlbJson(const std::string& glb);
// The bytes of buffer view `view`.
std::string GlbView(const std::string& glb, size_t view);
// The elements of accessor `index`, as floats or as 32-bit indices.
std::vector<float> GlbFloats(const std::string& glb, int index);
std::vector<uint32_t> GlbIndices(const std::string& glb, int index);

// Runs the validator on the files; "" when none has an error, else what it said.
std::string GltfValidatorErrors(const std::vector<std::string>& files);
