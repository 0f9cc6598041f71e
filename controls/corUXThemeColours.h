#pragma once

// Colours of the maker's theming library that the controls draw with. Pure functions; any
// thread.

#include <reZevavEvadurov/winTypes.h>

#include <QColor>

class corUXThemeColours
{
public:
    // The red a validated edit control draws failing text in on a white field, as a COLORREF
    // (0x00BBGGRR).
    static COLORREF getParsedEditFailureColour() { return 0x001C1CD8; }

    // The failure colour for text on a field of colour `base`: that red where it stands out
    // enough, else the nearest red toward white (dark fields) or black (light fields) whose
    // contrast with `base` is at least minimumContrast.
    static QColor failureColourOn(const QColor& base);

    // The WCAG contrast ratio of two colours (1 to 21), from their relative luminance.
    static double contrast(const QColor& a, const QColor& b);

    static constexpr double minimumContrast = 4.5;
};
