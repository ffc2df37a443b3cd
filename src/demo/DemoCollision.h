// The demo archive's collision file and animation package, built by code.
#pragma once

#include <string>

namespace korvane {

// Three collision models, one of each layout: "lamp" (version 3: faces of
// several materials, a sphere, a box and a shadow mesh), "crate" (version 1)
// and "barrier" (version 2: boxes and spheres only).
std::string DemoCollisionFile();

// An "ANP3" package "walk" of two animations.
std::string DemoAnimationPackage();

}  // namespace korvane
