// The demo archives: one of each kind, holding a texture dictionary, a
// model, placement files, text and plain data, all made by our own code.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace korvane {

// The demo entries as (name, bytes), in archive order.
std::vector<std::pair<std::string, std::string>> DemoEntries();

// Writes demo.img + demo.dir, demo_v2.img, demo.syb ("VXBG") and demo.big
// ("BIGF") into the folder, which must exist; returns their paths.
std::vector<std::string> MakeDemoArchives(const std::string& folder);

}  // namespace korvane
