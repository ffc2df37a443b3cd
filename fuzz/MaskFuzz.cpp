// libFuzzer target: a find text and names. The first byte picks "whole word"
// and "match case", the text runs to the first zero byte, the names follow,
// separated by zero bytes. Any input must end in answers or in the mask
// error, never a crash or a hang; a name must match or not the same way
// whether it is tested alone or through a matcher used many times.
#include <cstdint>
#include <string_view>
#include <vector>

#include "listview/SearchMask.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const bool wholeWord = data[0] & 1, matchCase = data[0] & 2;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t end = rest.find('\0');
    const std::string_view text = rest.substr(0, end);
    std::vector<std::string_view> names;
    if (end != std::string_view::npos) {
        rest.remove_prefix(end + 1);
        while (!rest.empty() && names.size() < 64) {
            const size_t stop = rest.find('\0');
            names.push_back(rest.substr(0, stop));
            if (stop == std::string_view::npos) break;
            rest.remove_prefix(stop + 1);
        }
    }
    try {
        const TSearchMask mask = BuildSearchMask(text, wholeWord, matchCase);
        const TNameMatcher matcher(mask);
        for (std::string_view name : names) {
            const std::string tested = mask.UpperNames ? UpperCp1251(name) : std::string(name);
            const bool once = matcher.Matches(name);
            if (once != NameMatchesMask(tested, mask.Mask)) __builtin_trap();
        }
    } catch (const EMaskException&) {
    }
    return 0;
}
