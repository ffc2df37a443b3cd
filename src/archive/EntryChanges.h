// What the entry operations did to the catalogue's list of entries, step by
// step, so that whoever shows the entries (the window's rows) can follow.
#pragma once

#include <cstdint>
#include <vector>

namespace korvane {

// One step, by the entry's slot (its index in Entries):
//   ecAdded:   a new entry, in slot To (the last)
//   ecRemoved: the entry of slot From went; the slots after it moved down one
//   ecMoved:   the entry left slot From for slot To (the last); the slots
//              after From moved down one (a replace that did not fit)
//   ecChanged: the entry of slot From (= To) changed in place (name or data)
struct TEntryChange {
    enum TKind : uint8_t { ecAdded, ecRemoved, ecMoved, ecChanged };
    static constexpr uint32_t NoSlot = UINT32_MAX;
    TKind Kind = ecChanged;
    uint32_t From = NoSlot;
    uint32_t To = NoSlot;

    static TEntryChange Added(uint32_t to) { return {ecAdded, NoSlot, to}; }
    static TEntryChange Removed(uint32_t from) { return {ecRemoved, from, NoSlot}; }
    static TEntryChange Moved(uint32_t from, uint32_t to) { return {ecMoved, from, to}; }
    static TEntryChange Changed(uint32_t at) { return {ecChanged, at, at}; }
    bool operator==(const TEntryChange&) const = default;
};

// The steps in the order they happened. An operation records each one as
// the catalogue takes it, so that after a failure part-way the steps still
// say what the catalogue now holds.
struct TEntryChanges {
    std::vector<TEntryChange> Steps;

    void Add(TEntryChange step) { Steps.push_back(step); }
    bool operator==(const TEntryChanges&) const = default;
};

}  // namespace korvane
