#include "core/PathRules.h"

#include <cctype>

#include <algorithm>

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

// Characters compared folded, one at a time; then byte order, so that names
// equal apart from case still have an order.
bool foldedOrderLess(std::string_view a, std::string_view b) noexcept
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
    return a < b;
}

// ASCII with no wildcard in it.
bool isPlainAscii(std::string_view text) noexcept
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80 || c == '*' || c == '?')
            return false;
    return true;
}

// Whether `name` ends in `asciiTail`, letter case ignored.
bool endsWithFolded(std::string_view name, std::string_view asciiTail) noexcept
{
    if (name.size() < asciiTail.size())
        return false;
    const std::string_view end = name.substr(name.size() - asciiTail.size());
    for (std::size_t i = 0; i < end.size(); ++i)
        if (stepAt(end, i).folded != stepAt(asciiTail, i).folded)
            return false;
    return true;
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
    // The two file types' patterns, on folders of a hundred thousand names,
    // take a short way that gives the same answers: "*" and "*.*" take every
    // name; a star and then plain ASCII (".zip") is a test of the name's end,
    // as no character outside ASCII folds to one inside it.
    if (pattern == "*" || pattern == "*.*")
        return true;
    if (pattern.size() > 1 && pattern.front() == '*' && isPlainAscii(pattern.substr(1)))
        return endsWithFolded(name, pattern.substr(1));
    if (matchCore(pattern, name))
        return true;
    // "foo.*" also names a plain "foo": the extension may be missing entirely.
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" && name.find('.') == std::string_view::npos)
        return matchCore(pattern.substr(0, pattern.size() - 2), name);
    return false;
}

bool listOrderLess(std::string_view a, std::string_view b)
{
    // Most names are ASCII and most pairs part early: bytes that are equal, or
    // ASCII letters equal apart from case, need no decoding. Anything else is
    // left to the rule in full, from the start.
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x == y)
            continue;
        if ((x | y) >= 0x80)
            return foldedOrderLess(a, b);
        const auto fx = static_cast<unsigned char>((x >= 'A' && x <= 'Z') ? x + 0x20 : x);
        const auto fy = static_cast<unsigned char>((y >= 'A' && y <= 'Z') ? y + 0x20 : y);
        if (fx != fy)
            return fx < fy;
    }
    return a.size() == b.size() ? a < b : foldedOrderLess(a, b);
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

std::string driveText(std::string_view root, std::string_view label, char separator)
{
    if (separator == '\\') {
        std::string text;
        if (!root.empty())
            text += static_cast<char>(std::tolower(static_cast<unsigned char>(root.front())));
        text += ':';
        if (!label.empty())
            text.append(" [").append(label).append("]");
        return text;
    }
    return std::string(root).append(" [").append(label.empty() ? std::string_view("disk") : label).append("]");
}

} // namespace lumora
