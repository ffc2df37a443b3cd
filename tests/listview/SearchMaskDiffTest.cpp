// The matcher against a plain transcription of the mask rules: steps read
// one by one, every floating step tried at every place in turn.
#include <gtest/gtest.h>

#include <random>

#include "base/NameCodec.h"
#include "listview/SearchMask.h"

using namespace korvane;

namespace {

struct TRefStep {
    enum { kChar, kAny, kSet, kEnd } kind;
    bool floating = false;
    unsigned char ch = 0;
    std::vector<std::pair<unsigned char, unsigned char>> ranges;  // single characters as c..c
    bool negate = false;
};

struct TRefMask {
    std::vector<TRefStep> steps;
    int errorPos = 0;
};

unsigned char Fold(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

// mask: Windows-1251 bytes (the random masks use characters of the code page only).
TRefMask RefRead(const std::string& mask)
{
    TRefMask m;
    const size_t n = mask.size();
    bool floating = false;
    int floats = 0;
    size_t i = 0;
    while (true) {
        TRefStep s;
        if (i == n) {
            s.kind = TRefStep::kEnd;
        } else if (mask[i] == '*') {
            floating = true;
            ++i;
            continue;
        } else if (mask[i] == '?') {
            if (i > 0 && mask[i - 1] == '*') {
                ++i;
                continue;
            }
            s.kind = TRefStep::kAny;
        } else if (mask[i] == '[') {
            s.kind = TRefStep::kSet;
        } else {
            s.kind = TRefStep::kChar;
            s.ch = static_cast<unsigned char>(mask[i]);
        }
        if (floating && ++floats > 30) {
            m.errorPos = int(i) + 1;
            return m;
        }
        s.floating = floating;
        floating = false;
        if (s.kind == TRefStep::kSet) {
            size_t j = i + 1;
            if (j < n && mask[j] == '!') {
                s.negate = true;
                ++j;
            }
            bool empty = true;
            while (true) {
                if (j >= n) {
                    m.errorPos = int(n) + 1;
                    return m;
                }
                if (mask[j] == ']') break;
                if (mask[j] == '-' && empty) {
                    m.errorPos = int(j) + 1;
                    return m;
                }
                const auto lo = static_cast<unsigned char>(mask[j]);
                if (j + 2 < n && mask[j + 1] == '-' && mask[j + 2] != ']') {
                    s.ranges.push_back({lo, static_cast<unsigned char>(mask[j + 2])});
                    j += 3;
                } else {
                    s.ranges.push_back({lo, lo});
                    j += 1;
                }
                empty = false;
            }
            if (empty) {
                m.errorPos = int(j) + 1;
                return m;
            }
            i = j;
        }
        m.steps.push_back(s);
        if (s.kind == TRefStep::kEnd) return m;
        ++i;
    }
}

bool StepTakes(const TRefStep& s, unsigned char c)
{
    switch (s.kind) {
    case TRefStep::kChar:
        return Fold(c) == Fold(s.ch);
    case TRefStep::kAny:
        return true;
    case TRefStep::kSet: {
        bool in = false;
        for (auto [lo, hi] : s.ranges)
            for (int m = lo; m <= hi; ++m) in = in || Fold(static_cast<unsigned char>(m)) == Fold(c);
        return in != s.negate;
    }
    case TRefStep::kEnd:
        break;
    }
    return false;
}

// Step k from name position p on; failures are remembered so that masks with
// many floating steps stay quick.
bool RefMatchFrom(const std::vector<TRefStep>& steps, size_t k, const std::string& name, size_t p,
                  std::vector<char>& failed)
{
    char& known = failed[k * (name.size() + 1) + p];
    if (known) return false;
    const TRefStep& s = steps[k];
    auto tryAt = [&](size_t q) {
        if (s.kind == TRefStep::kEnd) return q == name.size();
        return q < name.size() && StepTakes(s, static_cast<unsigned char>(name[q])) &&
               RefMatchFrom(steps, k + 1, name, q + 1, failed);
    };
    bool ok = false;
    if (!s.floating)
        ok = tryAt(p);
    else
        for (size_t q = p; q <= name.size() && !ok; ++q) ok = tryAt(q);
    known = !ok;
    return ok;
}

bool RefMatch(const std::vector<TRefStep>& steps, size_t k, const std::string& name, size_t p)
{
    std::vector<char> failed(steps.size() * (name.size() + 1), 0);
    return RefMatchFrom(steps, k, name, p, failed);
}

std::string Pick(std::mt19937& rng, const std::vector<std::string>& alphabet, size_t maxLength)
{
    std::string out;
    const size_t length = rng() % (maxLength + 1);
    for (size_t k = 0; k < length; ++k) out += alphabet[rng() % alphabet.size()];
    return out;
}

}  // namespace

TEST(SearchMaskDiff, FastMatcherAgreesWithTheRulesOnRandomMasks)
{
    const std::vector<std::string> maskChars = {"*", "*", "?", "[", "]", "!", "-", "a", "A", "b",
                                                "z", "Z", "п", "П", "ё", "Ё", ".", "_", "["};
    const std::vector<std::string> nameChars = {"a", "A", "b", "B", "z", "п", "П", "ё", "Ё", ".", "_",
                                                "-", "!", "[", "]", "*", "?", "a", "b"};
    std::mt19937 rng(20261207);
    int matched = 0, malformed = 0;
    for (int round = 0; round < 4000; ++round) {
        const std::string text = Pick(rng, maskChars, 10);
        const bool wholeWord = rng() % 2, matchCase = rng() % 2;
        const TSearchMask mask = BuildSearchMask(text, wholeWord, matchCase);
        const TNameMatcher fast(mask);
        const TRefMask ref = RefRead(Utf8ToCp1251(mask.Mask));
        ASSERT_EQ(fast.Malformed(), ref.errorPos > 0) << mask.Mask;
        if (ref.errorPos > 0) {
            ++malformed;
            try {
                fast.Matches("x");
                FAIL() << mask.Mask;
            } catch (const EMaskException& e) {
                ASSERT_EQ(e.Position, ref.errorPos) << mask.Mask;
                ASSERT_EQ(e.Mask, mask.Mask);
            }
            continue;
        }
        for (int k = 0; k < 40; ++k) {
            const std::string name = Utf8ToCp1251(Pick(rng, nameChars, 9));
            const std::string compared = mask.UpperNames ? UpperCp1251(name) : name;
            const bool want = RefMatch(ref.steps, 0, compared, 0);
            ASSERT_EQ(fast.Matches(name), want) << "mask " << mask.Mask << " name " << Cp1251ToUtf8(name);
            matched += want;
        }
    }
    // The random cases cover both outcomes well.
    EXPECT_GT(matched, 5000);
    EXPECT_GT(malformed, 400);
}

TEST(SearchMaskDiff, ManyFloatingSteps)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        std::string mask;
        const int floats = 1 + int(rng() % 32);
        for (int k = 0; k < floats; ++k) mask += rng() % 3 ? "*a" : "*?b";
        if (rng() % 2) mask += "*";
        const TRefMask ref = RefRead(mask);
        const TNameMatcher fast(TSearchMask{mask, false});
        ASSERT_EQ(fast.Malformed(), ref.errorPos > 0) << mask;
        if (ref.errorPos) continue;
        for (int k = 0; k < 20; ++k) {
            std::string name;
            const size_t length = rng() % 40;
            for (size_t c = 0; c < length; ++c) name += "abAB"[rng() % 4];
            ASSERT_EQ(fast.Matches(name), RefMatch(ref.steps, 0, name, 0)) << mask << " " << name;
        }
    }
}
