#pragma once
// File names are bytes on Linux, and need not be valid UTF-8 (old archives
// often carry Latin-1 names). Inside the windows they travel as QString: each
// byte that is not part of valid UTF-8 is kept as a lone surrogate
// U+DC80..U+DCFF, so that turning the text back gives exactly the bytes that
// were read from the disk. Only drawing shows such a byte as a replacement
// character. On Windows names arrive as UTF-8 and never need the escape.

#include <QString>
#include <string>
#include <string_view>

namespace lumora {

QString textFromNative(std::string_view bytes);
std::string nativeFromText(const QString& text);
// For drawing only: invalid bytes become U+FFFD.
inline QString displayText(std::string_view bytes) { return QString::fromUtf8(bytes.data(), qsizetype(bytes.size())); }
QString displayText(const QString& text);
// A path as a message shows it: whole while it is short; otherwise its start
// and its end with "…" between, cut at separators where it can, as
// "/games/…/PUZZLE.ZIP", so that no message box grows taller than the
// screen. The settings file and the emulator get a path whole.
QString shownPath(const QString& path, qsizetype most = 80);

// The process's current directory, as the windows carry paths.
QString currentDirectoryText();

} // namespace lumora
