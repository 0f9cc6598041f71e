#pragma once

// Colours of the maker's theming library that the controls draw with.

#include "platform/winTypes.h"

class corUXThemeColours
{
public:
    // Text colour of a validated edit control whose text fails its rule, as a COLORREF
    // (0x00BBGGRR): a strong red that stands out from the normal text on light and dark themes.
    static COLORREF getParsedEditFailureColour() { return 0x001C1CD8; }
};
