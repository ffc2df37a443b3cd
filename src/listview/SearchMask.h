// Wildcard masks of the search commands: the find dialog's text turned into a
// mask, and entry names (Windows-1251 bytes) matched against it.
//
// Mask rules: "*" lets the next step start anywhere further on (runs of "*"
// act as one; a "?" right after a "*" is dropped), "?" is any one character,
// "[...]" / "[!...]" is one character in / not in a set of characters and
// ranges ("a-c"; a reversed range adds nothing), any other character is
// itself, and the mask must use up the whole name. a-z and A-Z always compare
// alike; no other character is folded by the matcher itself.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// A malformed mask: "'<mask>' is an invalid mask at (<position>)", the
// position 1-based, in characters, where reading the mask stopped.
class EMaskException : public std::runtime_error {
public:
    EMaskException(const std::string& mask, int position);
    std::string Mask;  // UTF-8
    int Position;
};

// The most floating steps (steps a "*" precedes, the end included) a mask may have.
constexpr int MaxFloatingSteps = 30;

// Upper case of a Windows-1251 character: through Unicode by the default case
// mapping and back. Latin a-z, Cyrillic а-я and ё, ђ ѓ љ њ ќ ћ џ ў ј ґ є і ї ѕ
// change; every other byte (µ, whose capital the code page lacks, included)
// stays as it is.
unsigned char UpperCp1251(unsigned char c);
std::string UpperCp1251(std::string_view name);

struct TSearchMask {
    std::string Mask;         // UTF-8, as built (asterisks included)
    bool UpperNames = false;  // names are upper-cased (UpperCp1251) before matching
};

// The find dialog's values to a mask: the text alone with whole word, else
// "*" + text + "*"; without match case the mask is upper-cased (characters of
// the code page as UpperCp1251, others by the C library's towupper) and so
// will the names be.
TSearchMask BuildSearchMask(std::string_view findText, bool wholeWord, bool matchCase);

// A mask read once and used on many names. A malformed mask is reported by
// the first Matches call, not here, so that a command that tests no name
// reports nothing.
class TNameMatcher {
public:
    explicit TNameMatcher(const TSearchMask& mask);

    // True when the whole name matches; raises EMaskException for a malformed mask.
    bool Matches(std::string_view name) const;
    bool Malformed() const { return errorPos_ > 0; }

private:
    // One character step as the set of raw name bytes it accepts, case rules
    // included.
    using TClass = std::array<uint8_t, 256>;
    struct TSegment {
        uint32_t first;  // into classes_
        uint32_t length;
    };

    void Read(const std::u32string& mask, const std::array<uint8_t, 256>& fold);
    bool MatchAt(const TSegment& s, const unsigned char* name) const;
    // The leftmost position in [from, to] where s matches, or -1.
    ptrdiff_t Find(const TSegment& s, const unsigned char* name, size_t from, size_t to) const;

    std::vector<TClass> classes_;
    // segments_[0] is anchored at the start of the name (and may be empty);
    // each later one follows a "*". The last is anchored at the end of the
    // name unless the end step floats.
    std::vector<TSegment> segments_;
    bool anchoredEnd_ = true;
    std::string mask_;
    int errorPos_ = 0;
};

// True when the whole name matches the mask as it stands (no upper-casing of
// the name); raises EMaskException for a malformed mask.
bool NameMatchesMask(std::string_view name, std::string_view mask);

}  // namespace korvane
