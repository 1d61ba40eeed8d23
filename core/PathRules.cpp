#include "core/PathRules.h"

#include "core/Utf8.h"

namespace lumora {

namespace {

// Simple lower-case folding for the scripts file names here are written in:
// ASCII, Latin-1 and Latin Extended-A. Other characters compare as they are.
char32_t foldCase(char32_t c) noexcept
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
    if (c < 0x100)
        return (c >= 0xC0 && c <= 0xDE && c != 0xD7) ? c + 0x20 : c;
    if (c < 0x180) {
        // Extended-A pairs upper/lower case in adjacent code points, but the
        // parity of the upper-case member flips twice along the block.
        if ((c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
            return (c % 2 == 0) ? c + 1 : c;
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
            return (c % 2 == 1) ? c + 1 : c;
        if (c == 0x178)
            return 0xFF;
    }
    return c;
}

// One folded character of `s` at `i`; ASCII skips the decoder entirely,
// which keeps plain names on the fast path.
struct Step {
    char32_t folded;
    std::size_t length;
};

inline Step stepAt(std::string_view s, std::size_t i) noexcept
{
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80)
        return {(b >= 'A' && b <= 'Z') ? char32_t(b + 0x20) : char32_t(b), 1};
    const utf8::Decoded d = utf8::decodeAt(s, i);
    return {foldCase(d.value), d.length};
}

// Greedy match with a single backtrack point: each '*' only ever restarts
// from the latest star, so the cost stays O(pattern * name) at worst and
// needs no allocation.
bool matchCore(std::string_view pattern, std::string_view name) noexcept
{
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;

    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            while (p < pattern.size() && pattern[p] == '*')
                ++p;
            if (p == pattern.size())
                return true;
            starP = p;
            starN = n;
            continue;
        }
        const Step nameStep = stepAt(name, n);
        if (p < pattern.size()) {
            if (pattern[p] == '?') {
                p += 1;
                n += nameStep.length;
                continue;
            }
            const Step patternStep = stepAt(pattern, p);
            if (patternStep.folded == nameStep.folded) {
                p += patternStep.length;
                n += nameStep.length;
                continue;
            }
        }
        if (starP == std::string_view::npos)
            return false;
        // Let the last star swallow one more character and retry from there.
        starN += stepAt(name, starN).length;
        n = starN;
        p = starP;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool isPrefixAt(std::string_view path, std::string_view root, bool foldCaseToo, std::size_t& rootEndInPath) noexcept
{
    if (!foldCaseToo) {
        if (path.substr(0, root.size()) != root)
            return false;
        rootEndInPath = root.size();
        return true;
    }
    std::size_t i = 0;
    std::size_t j = 0;
    while (j < root.size()) {
        if (i >= path.size())
            return false;
        const Step a = stepAt(path, i);
        const Step b = stepAt(root, j);
        if (a.folded != b.folded)
            return false;
        i += a.length;
        j += b.length;
    }
    rootEndInPath = i;
    return true;
}

} // namespace

std::optional<std::string> patternForFileType(int listIndex)
{
    switch (listIndex) {
    case 0: return std::string("*.zip");
    case 1: return std::string("*.*");
    default: return std::nullopt;
    }
}

int fileTypeOfPattern(std::string_view pattern)
{
    for (int index = 0;; ++index) {
        const std::optional<std::string> known = patternForFileType(index);
        if (!known)
            return -1;
        if (*known == pattern)
            return index;
    }
}

std::string joinSelectedPath(std::string_view directory, std::string_view fileName, char separator)
{
    std::string joined;
    joined.reserve(directory.size() + 1 + fileName.size());
    joined.append(directory);
    joined += separator;
    joined.append(fileName);
    return joined;
}

std::string fileNamePart(std::string_view path, char separator)
{
    // Positions are 1-based as in the scan this mirrors: keep moving the start
    // just past each separator found at or after it.
    std::size_t start = 1;
    for (;;) {
        const std::size_t hit = start - 1 < path.size() ? path.find(separator, start - 1) : std::string_view::npos;
        if (hit == std::string_view::npos)
            break;
        start = hit + 2;
    }
    if (start - 1 >= path.size())
        return std::string();
    return std::string(path.substr(start - 1));
}

bool wildcardMatch(std::string_view pattern, std::string_view name)
{
    if (matchCore(pattern, name))
        return true;
    // "foo.*" also names a plain "foo": the extension may be missing entirely.
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" && name.find('.') == std::string_view::npos)
        return matchCore(pattern.substr(0, pattern.size() - 2), name);
    return false;
}

bool listOrderLess(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const Step x = stepAt(a, i);
        const Step y = stepAt(b, j);
        if (x.folded != y.folded)
            return x.folded < y.folded;
        i += x.length;
        j += y.length;
    }
    const bool aDone = i >= a.size();
    const bool bDone = j >= b.size();
    if (aDone != bDone)
        return aDone;
    // Equal apart from case: byte order keeps the ordering total.
    return a < b;
}

std::string longestMatchingRoot(std::string_view path, const std::vector<std::string>& roots, char separator)
{
    const bool ignoreCase = separator == '\\';
    const std::string* best = nullptr;
    for (const std::string& root : roots) {
        if (root.empty())
            continue;
        std::size_t end = 0;
        if (!isPrefixAt(path, root, ignoreCase, end))
            continue;
        const bool boundary = end == path.size() || path[end] == separator || root.back() == separator;
        if (!boundary)
            continue;
        if (best == nullptr || root.size() > best->size())
            best = &root;
    }
    return best ? *best : std::string();
}

} // namespace lumora
