#pragma once

#include <QFont>
#include <QStringList>

namespace lumora {

// The classic forms' default font, MS Sans Serif 8 pt: the designs' control
// sizes are made for it. Where it is missing the toolkit's sans-serif at the
// same size stands in, a narrow one first, so that captions still fit their
// controls.
inline QStringList formFontFamilies()
{
    return {QStringLiteral("MS Sans Serif"),   QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
            QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),          QStringLiteral("Sans Serif")};
}

inline QFont formDefaultFont()
{
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setFamilies(formFontFamilies());
    font.setStyleHint(QFont::SansSerif);
    // Fully resolved, so that a container's own font (a frame's bold caption)
    // does not spread to the controls that carry this one.
    font.setResolveMask(QFont::AllPropertiesResolved);
    return font;
}

inline QFont frameCaptionFont()
{
    QFont font(QStringLiteral("MS Sans Serif"), 12, QFont::Bold);
    font.setFamilies(formFontFamilies());
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace lumora
