#include "core/PathRules.h"

#include <cctype>

#include <algorithm>
#include <vector>

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

std::string pathRoot(std::string_view path, char separator)
{
    if (separator != '\\')
        return !path.empty() && path.front() == separator ? std::string(1, separator) : std::string();
    const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':')
        return std::string(path.substr(0, 2)) + '\\';
    if (path.size() < 3 || !isSeparator(path[0]) || !isSeparator(path[1]) || isSeparator(path[2]))
        return std::string();
    // \\server\share: the server's name, then the share's.
    const std::size_t serverEnd = std::find_if(path.begin() + 2, path.end(), isSeparator) - path.begin();
    const std::size_t shareEnd =
        std::find_if(path.begin() + std::ptrdiff_t(std::min(serverEnd + 1, path.size())), path.end(), isSeparator) -
        path.begin();
    if (serverEnd + 1 >= shareEnd)
        return std::string();
    std::string root = "\\\\";
    root.append(path.substr(2, serverEnd - 2))
        .append("\\")
        .append(path.substr(serverEnd + 1, shareEnd - serverEnd - 1));
    return root + '\\';
}

template <class Char>
std::basic_string<Char> windowsLongForm(std::basic_string_view<Char> path)
{
    using String = std::basic_string<Char>;
    const auto isSeparator = [](Char c) { return c == Char('\\') || c == Char('/'); };
    const auto widen = [](std::string_view text) { return String(text.begin(), text.end()); };
    String root;
    std::size_t at = 0;
    std::size_t fixed = 0; // names that belong to the root: a share's server and share
    const auto isLetter = [](Char c) {
        return (c >= Char('A') && c <= Char('Z')) || (c >= Char('a') && c <= Char('z'));
    };
    if (path.size() >= 3 && isLetter(path[0]) && path[1] == Char(':') && isSeparator(path[2])) {
        root = widen("\\\\?\\") + path[0] + widen(":\\");
        at = 3;
    } else if (path.size() >= 3 && isSeparator(path[0]) && isSeparator(path[1]) && !isSeparator(path[2]) &&
               !((path[2] == Char('?') || path[2] == Char('.')) && (path.size() == 3 || isSeparator(path[3])))) {
        root = widen("\\\\?\\UNC\\");
        at = 2;
        fixed = 2;
    } else {
        return String(path);
    }
    std::vector<String> names;
    while (at < path.size()) {
        const std::size_t end = std::find_if(path.begin() + std::ptrdiff_t(at), path.end(), isSeparator) - path.begin();
        String name(path.substr(at, end - at));
        at = end + 1;
        const bool dots = !name.empty() && name.find_first_not_of(Char('.')) == String::npos;
        if (name.empty() || (dots && name.size() == 1))
            continue;
        if (dots && name.size() == 2) {
            if (names.size() > fixed)
                names.pop_back();
            continue;
        }
        if (!dots && name.back() == Char('.'))
            name.pop_back();
        names.push_back(std::move(name));
    }
    if (names.size() < fixed)
        return String(path); // \\server alone names no share
    const bool endsInSeparator = isSeparator(path.back());
    if (!endsInSeparator && names.size() > fixed) {
        String& last = names.back();
        while (!last.empty() && (last.back() == Char('.') || last.back() == Char(' ')))
            last.pop_back();
        if (last.empty())
            names.pop_back();
    }
    String out = root;
    for (std::size_t i = 0; i < names.size(); ++i)
        out.append(i == 0 ? String() : widen("\\")).append(names[i]);
    if (endsInSeparator && !names.empty())
        out += Char('\\');
    return out;
}

template std::string windowsLongForm<char>(std::string_view path);
template std::wstring windowsLongForm<wchar_t>(std::wstring_view path);

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
