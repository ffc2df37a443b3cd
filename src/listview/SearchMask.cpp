#include "listview/SearchMask.h"

#include <cwctype>

#include "base/NameCodec.h"

namespace korvane {

namespace {

// Decodes UTF-8 into code points; a malformed byte decodes as U+FFFD alone.
std::u32string DecodeUtf8(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) out += NextCodePoint(text, i);
    return out;
}

// The code page byte of a code point, or -1 when the code page lacks it.
int ToCp1251(char32_t cp)
{
    if (cp < 0x80) return int(cp);
    for (int b = 0x80; b < 0x100; ++b)
        if (Cp1251ToUnicode(static_cast<unsigned char>(b)) == cp) return b;
    return -1;
}

// Unicode's default upper case for the letters of the code page.
char32_t UpperUnicode(char32_t u)
{
    if (u >= U'a' && u <= U'z') return u - 0x20;
    if (u >= 0x0430 && u <= 0x044F) return u - 0x20;  // а..я
    if (u >= 0x0450 && u <= 0x045F) return u - 0x50;  // ѐ..џ
    if (u == 0x0491) return 0x0490;                    // ґ
    return u;
}

struct TUpperTable {
    std::array<unsigned char, 256> upper;
    TUpperTable()
    {
        for (int b = 0; b < 256; ++b) {
            const int u = ToCp1251(UpperUnicode(Cp1251ToUnicode(static_cast<unsigned char>(b))));
            upper[size_t(b)] = static_cast<unsigned char>(u < 0 ? b : u);
        }
    }
};

const TUpperTable& UpperTable()
{
    static const TUpperTable table;
    return table;
}

constexpr unsigned char AsciiUpper(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 0x20 : c; }

}  // namespace

EMaskException::EMaskException(const std::string& mask, int position)
    : std::runtime_error("'" + mask + "' is an invalid mask at (" + std::to_string(position) + ")"),
      Mask(mask),
      Position(position)
{
}

unsigned char UpperCp1251(unsigned char c) { return UpperTable().upper[c]; }

std::string UpperCp1251(std::string_view name)
{
    std::string out(name);
    for (char& c : out) c = char(UpperCp1251(static_cast<unsigned char>(c)));
    return out;
}

TSearchMask BuildSearchMask(std::string_view findText, bool wholeWord, bool matchCase)
{
    TSearchMask m;
    if (!wholeWord) m.Mask += '*';
    m.Mask.append(findText);
    if (!wholeWord) m.Mask += '*';
    m.UpperNames = !matchCase;
    if (m.UpperNames) {
        std::string upper;
        for (char32_t cp : DecodeUtf8(m.Mask)) {
            const int b = ToCp1251(cp);
            if (b >= 0)
                cp = Cp1251ToUnicode(UpperCp1251(static_cast<unsigned char>(b)));
            else if (cp <= 0x10FFFF)
                cp = char32_t(std::towupper(wint_t(cp)));
            AppendUtf8(upper, cp);
        }
        m.Mask = std::move(upper);
    }
    return m;
}

TNameMatcher::TNameMatcher(const TSearchMask& mask) : mask_(mask.Mask)
{
    // Each raw name byte as the steps compare it: upper-cased when asked,
    // then a-z as A-Z.
    std::array<uint8_t, 256> fold;
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        fold[size_t(b)] = AsciiUpper(mask.UpperNames ? UpperCp1251(c) : c);
    }
    Read(DecodeUtf8(mask.Mask), fold);
}

void TNameMatcher::Read(const std::u32string& mask, const std::array<uint8_t, 256>& fold)
{
    const size_t n = mask.size();
    auto fail = [this](size_t at) { errorPos_ = int(at) + 1; };
    segments_.push_back({0, 0});
    bool floating = false;
    int floats = 0;
    size_t i = 0;
    for (;;) {
        if (i == n) {
            if (floating && ++floats > MaxFloatingSteps) return fail(n);
            anchoredEnd_ = !floating;
            return;
        }
        const char32_t c = mask[i];
        if (c == U'*') {
            floating = true;
            ++i;
            continue;
        }
        if (c == U'?' && i > 0 && mask[i - 1] == U'*') {
            ++i;
            continue;
        }
        if (floating) {
            if (++floats > MaxFloatingSteps) return fail(i);
            segments_.push_back({uint32_t(classes_.size()), 0});
            floating = false;
        }

        TClass cls{};
        if (c == U'?') {
            cls.fill(1);
            ++i;
        } else if (c == U'[') {
            size_t j = i + 1;
            const bool negate = j < n && mask[j] == U'!';
            if (negate) ++j;
            const size_t firstItem = j;
            std::array<bool, 256> members{};  // as folded
            for (;;) {
                if (j >= n) return fail(n);
                const char32_t d = mask[j];
                if (d == U']') {
                    if (j == firstItem) return fail(j);
                    ++j;
                    break;
                }
                if (d == U'-' && j == firstItem) return fail(j);
                int lo = ToCp1251(d), hi = lo;
                ++j;
                if (j + 1 < n && mask[j] == U'-' && mask[j + 1] != U']') {
                    hi = ToCp1251(mask[j + 1]);
                    j += 2;
                }
                // A character outside the code page is in no name, so a range
                // that starts or ends on one adds nothing.
                if (lo >= 0 && hi >= 0)
                    for (int b = lo; b <= hi; ++b) members[AsciiUpper(static_cast<unsigned char>(b))] = true;
            }
            for (size_t b = 0; b < 256; ++b) cls[b] = members[fold[b]] != negate;
            i = j;
        } else {
            const int b = ToCp1251(c);
            if (b >= 0) {
                const unsigned char want = AsciiUpper(static_cast<unsigned char>(b));
                for (size_t k = 0; k < 256; ++k) cls[k] = fold[k] == want;
            }
            ++i;
        }
        classes_.push_back(cls);
        ++segments_.back().length;
    }
}

inline bool TNameMatcher::MatchAt(const TSegment& s, const unsigned char* name) const
{
    const TClass* cls = classes_.data() + s.first;
    for (uint32_t k = 0; k < s.length; ++k)
        if (!cls[k][name[k]]) return false;
    return true;
}

ptrdiff_t TNameMatcher::Find(const TSegment& s, const unsigned char* name, size_t from, size_t to) const
{
    const TClass& first = classes_[s.first];
    for (size_t p = from; p <= to; ++p)
        if (first[name[p]] && MatchAt(s, name + p)) return ptrdiff_t(p);
    return -1;
}

bool TNameMatcher::Matches(std::string_view name) const
{
    if (errorPos_ > 0) throw EMaskException(mask_, errorPos_);
    const auto* s = reinterpret_cast<const unsigned char*>(name.data());
    const size_t n = name.size();
    const TSegment& head = segments_.front();
    if (n < head.length || !MatchAt(head, s)) return false;
    if (segments_.size() == 1) return !anchoredEnd_ || n == head.length;

    // Each segment after a "*" takes its leftmost place: with every step one
    // character wide, an earlier place never leaves less room for the rest,
    // so this finds a match exactly when backtracking would.
    size_t pos = head.length;
    size_t end = n;
    size_t count = segments_.size();
    if (anchoredEnd_) {
        const TSegment& tail = segments_.back();
        if (n - pos < tail.length) return false;
        end = n - tail.length;
        if (!MatchAt(tail, s + end)) return false;
        --count;
    }
    for (size_t k = 1; k < count; ++k) {
        const TSegment& g = segments_[k];
        if (end - pos < g.length) return false;
        const ptrdiff_t p = g.length ? Find(g, s, pos, end - g.length) : ptrdiff_t(pos);
        if (p < 0) return false;
        pos = size_t(p) + g.length;
    }
    return true;
}

bool NameMatchesMask(std::string_view name, std::string_view mask)
{
    return TNameMatcher(TSearchMask{std::string(mask), false}).Matches(name);
}

}  // namespace korvane
