#include "controls/NativeText.h"

#include <filesystem>

#include "core/Utf8.h"
#include "core/platform/SystemText.h"

namespace lumora {

namespace {

constexpr char16_t escapeBase = 0xDC00;

// A byte that was no part of valid UTF-8, as it travels inside a QString.
bool isEscapedByte(char16_t unit) { return unit >= escapeBase + 0x80 && unit <= escapeBase + 0xFF; }

} // namespace

QString textFromNative(std::string_view bytes)
{
    QString text;
    text.reserve(qsizetype(bytes.size()));
    for (std::size_t i = 0; i < bytes.size();) {
        const utf8::Decoded d = utf8::decodeAt(bytes, i);
        if (!d.valid) {
            text.append(QChar(char16_t(escapeBase + static_cast<unsigned char>(bytes[i]))));
        } else if (d.value >= 0x10000) {
            text.append(QChar(QChar::highSurrogate(d.value)));
            text.append(QChar(QChar::lowSurrogate(d.value)));
        } else {
            text.append(QChar(char16_t(d.value)));
        }
        i += d.length;
    }
    return text;
}

std::string nativeFromText(const QString& text)
{
    std::string bytes;
    bytes.reserve(std::size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            utf8::append(bytes, QChar::surrogateToUcs4(unit, text[i + 1].unicode()));
            ++i;
        } else if (isEscapedByte(unit)) {
            bytes += static_cast<char>(unit - escapeBase);
        } else if (QChar::isSurrogate(unit)) {
            utf8::append(bytes, 0xFFFD); // typed, not read from a disk: no bytes to give back
        } else {
            utf8::append(bytes, unit);
        }
    }
    return bytes;
}

QString displayText(const QString& text)
{
    QString shown = text;
    for (QChar& c : shown) {
        if (isEscapedByte(c.unicode()))
            c = QChar::ReplacementCharacter;
    }
    return shown;
}

QString shownPath(const QString& path, qsizetype most)
{
    QString text = displayText(path);
    if (text.size() <= most)
        return text;
    const auto separatorAt = [&](qsizetype from) {
        for (qsizetype i = from; i < text.size(); ++i)
            if (text[i] == u'/' || text[i] == u'\\')
                return i;
        return qsizetype(-1);
    };
    // The first folder below the root, and as much of the end as is left.
    const qsizetype firstFolderEnd = separatorAt(1);
    const QString head =
        firstFolderEnd > 0 && firstFolderEnd < most / 2 ? text.left(firstFolderEnd + 1) : text.left(most / 2);
    qsizetype tailStart = text.size() - (most - head.size() - 1);
    if (const qsizetype cut = separatorAt(tailStart); cut >= 0 && cut < text.size() - 1)
        tailStart = cut;
    return head + QChar(0x2026) + text.mid(tailStart);
}

QString currentDirectoryText()
{
    std::error_code error;
    return textFromNative(platform::utf8FromPath(std::filesystem::current_path(error)));
}

} // namespace lumora
