#include "framework/dialogUnits.h"

#include <QFontMetrics>
#include <algorithm>

namespace
{

// MulDiv: the product divided with rounding half away from zero, as Windows maps dialog units.
int mulDivRounded(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}

} // namespace

dialogUnits::dialogUnits(int averageCharWidth, int charHeight)
    : m_baseX(std::max(1, averageCharWidth)), m_baseY(std::max(1, charHeight))
{
}

dialogUnits dialogUnits::ofFont(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return dialogUnits((letters / 26 + 1) / 2, metrics.height());
}

QFont dialogUnits::dialogFont(int pointSize)
{
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setPointSize(std::max(1, pointSize));
    return font;
}

int dialogUnits::toPixelsX(int units) const
{
    return mulDivRounded(units, m_baseX, 4);
}

int dialogUnits::toPixelsY(int units) const
{
    return mulDivRounded(units, m_baseY, 8);
}

QRect dialogUnits::toPixels(int x, int y, int cx, int cy) const
{
    return QRect(toPixelsX(x), toPixelsY(y), toPixelsX(cx), toPixelsY(cy));
}
