#pragma once

// Dialog units to pixels, as Windows maps a dialog template: one horizontal unit is a quarter
// of the dialog font's average character width, one vertical unit an eighth of its character
// height, each product rounded to the nearest pixel. A plain value; any thread.

#include <QFont>
#include <QRect>

class dialogUnits
{
public:
    // Base units in pixels; values below 1 are taken as 1.
    dialogUnits(int averageCharWidth, int charHeight);

    // The base units of `font` as Windows measures them: the average width of "A".."Z" and
    // "a".."z", rounded, and the font's line height.
    static dialogUnits ofFont(const QFont& font);

    // The stand-in for the 8-point dialog font the layouts were drawn for: DejaVu Sans Condensed
    // at `pointSize` points.
    static QFont dialogFont(int pointSize);

    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }

    int toPixelsX(int units) const;
    int toPixelsY(int units) const;
    QRect toPixels(int x, int y, int cx, int cy) const;

private:
    int m_baseX;
    int m_baseY;
};
