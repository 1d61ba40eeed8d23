#pragma once
// Path and file-name rules of the game file browser. Strings are UTF-8; the
// separator is a parameter so that both platforms' rules can be tested here.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora {

#ifdef _WIN32
inline constexpr char nativeSeparator = '\\';
#else
inline constexpr char nativeSeparator = '/';
#endif

// The file-type list: index 0 "*.zip", 1 "*.*"; any other index (-1 when
// nothing is chosen) gives no pattern, so the file list keeps the one it has.
std::optional<std::string> patternForFileType(int listIndex);

// Directory path, one separator, file name: joined as they stand, so a drive
// root gives two separators in a row.
std::string joinSelectedPath(std::string_view directory, std::string_view fileName, char separator = nativeSeparator);

// Everything after the last separator (the whole text when there is none,
// empty when it ends in one), found by scanning forward hit by hit.
std::string fileNamePart(std::string_view path, char separator = nativeSeparator);

// File-list wildcard match: "*" any run, "?" one character, letter case
// ignored. A pattern ending in ".*" also matches names without a dot, so
// "*.*" lists every file.
bool wildcardMatch(std::string_view pattern, std::string_view name);

// Case-insensitive ordering used by the lists (then byte order for ties), so
// that a listing does not depend on the file system's order.
bool listOrderLess(std::string_view a, std::string_view b);

// The root (from `roots`) that `path` lies on: the longest root that is a
// prefix of the path at a separator boundary. Empty when none matches.
std::string longestMatchingRoot(std::string_view path, const std::vector<std::string>& roots,
                                char separator = nativeSeparator);

// The root that `path` names itself, whatever drives are known: on Windows
// its drive (E:\) or its share (\\server\share\); elsewhere "/". Empty for a
// path that names none (a relative one, or \games on Windows).
std::string pathRoot(std::string_view path, char separator = nativeSeparator);

// The form of an absolute Windows path that no length limit applies to:
// \\?\C:\... for a drive's, \\?\UNC\server\share\... for a share's. The
// system takes that form as it stands, so what it does to an ordinary path
// is done here: "/" becomes "\", a run of separators one, "." and ".." are
// resolved, and a name loses the dot it ends in (the last one all its
// trailing dots and blanks). Anything else (already in that form, a device,
// a relative path) stays as it is.
template <class Char>
std::basic_string<Char> windowsLongForm(std::basic_string_view<Char> path);

// The text by which the drive list names a drive. On Windows as the classic
// drive list shows it: the letter in lower case, a colon, then the volume's
// label (or a network drive's share) in brackets when it has one, "c:
// [SYSTEM]". Elsewhere its root, then its label or kind, always in
// brackets, "/media/stick [GAMES]": so that a drive's text never reads as a
// plain path.
std::string driveText(std::string_view root, std::string_view label, char separator = nativeSeparator);

} // namespace lumora
