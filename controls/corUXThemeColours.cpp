#include "controls/corUXThemeColours.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{

double relativeLuminance(const QColor& colour)
{
    const auto linear = [](double channel)
    { return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

QColor mix(const QColor& from, const QColor& to, double share)
{
    const auto channel = [share](int a, int b)
    { return static_cast<int>(std::lround(a + (b - a) * share)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

} // namespace

double corUXThemeColours::contrast(const QColor& a, const QColor& b)
{
    const double first = relativeLuminance(a);
    const double second = relativeLuminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

QColor corUXThemeColours::failureColourOn(const QColor& base)
{
    const COLORREF ref = getParsedEditFailureColour();
    const QColor red(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                     static_cast<int>((ref >> 16) & 0xFF));
    if (contrast(red, base) >= minimumContrast)
    {
        return red;
    }
    // Away from the field's own lightness first; a mid-grey field may need the other way.
    const bool darkField = relativeLuminance(base) < relativeLuminance(red);
    for (const QColor& end : darkField ? std::array{QColor(Qt::white), QColor(Qt::black)}
                                       : std::array{QColor(Qt::black), QColor(Qt::white)})
    {
        for (int step = 1; step <= 20; ++step)
        {
            const QColor candidate = mix(red, end, step / 20.0);
            if (contrast(candidate, base) >= minimumContrast)
            {
                return candidate;
            }
        }
    }
    return contrast(Qt::white, base) > contrast(Qt::black, base) ? QColor(Qt::white)
                                                                 : QColor(Qt::black);
}
