// How a clump's parts stand: its frame list, its atomics and each geometry's
// materials. Each reader walks only the sections inside [pos, end) of the
// cursor's bytes, which the caller has bounded by the enclosing section and
// the bytes' length; a section running past `end` raises "Read beyond end of file", and
// every count is checked against the bytes it stands in before anything is
// sized from it.
#pragma once

#include <vector>

#include "formats/dff/Model.h"

namespace korvane {

// The frame list among the clump's sections in [pos, end): the frames and
// their names. No frame list leaves `frames` empty. A parent outside the list
// or parents that loop raise.
void ReadFrameList(const TSectionCursor& in, uint64_t pos, uint64_t end, std::vector<TFrame>& frames);

// The material list among a geometry's sections in [pos, end); none leaves
// `materials` empty.
void ReadMaterialList(const TSectionCursor& in, uint64_t pos, uint64_t end, std::vector<TMaterial>& materials);

// Every atomic among the clump's sections in [pos, end). An atomic naming a
// frame or geometry the model does not have raises.
void ReadAtomics(const TSectionCursor& in, uint64_t pos, uint64_t end, size_t frames, size_t geometries,
                 std::vector<TAtomic>& atomics);

}  // namespace korvane
