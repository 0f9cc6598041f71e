#pragma once

// Geometry and lookup checks shared by the dialog template tests.

#include "framework/dialogTemplate.h"
#include "platform/wideText.h"

#include <string>
#include <vector>

namespace templateChecks
{
inline std::string utf8(const WCHAR* text)
{
    return text == nullptr ? std::string("<null>") : wideText::toUtf8(text);
}

inline std::string describe(const dialogControl& c)
{
    return std::to_string(c.id) + " \"" + utf8(c.caption) + "\" at (" + std::to_string(c.x) + "," +
           std::to_string(c.y) + " " + std::to_string(c.cx) + "x" + std::to_string(c.cy) + ")";
}

inline bool overlaps(const dialogControl& a, const dialogControl& b)
{
    return a.x < b.x + b.cx && b.x < a.x + a.cx && a.y < b.y + b.cy && b.y < a.y + a.cy;
}

// Every named control with `id`, in template order.
inline std::vector<const dialogControl*> withId(const dialogTemplate& t, int id)
{
    std::vector<const dialogControl*> found;
    for (const dialogControl& c : t.controls)
    {
        if (c.id == id)
        {
            found.push_back(&c);
        }
    }
    return found;
}

// Null unless exactly one control carries `id`.
inline const dialogControl* single(const dialogTemplate& t, int id)
{
    const auto found = withId(t, id);
    return found.size() == 1 ? found.front() : nullptr;
}

// One line per fault: an empty or outlying control, two controls sharing space, a named id used
// twice. An empty result means the layout is sound.
inline std::vector<std::string> layoutProblems(const dialogTemplate& t)
{
    std::vector<std::string> problems;
    const auto& rows = t.controls;
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        const dialogControl& a = rows[i];
        if (a.cx <= 0 || a.cy <= 0 || a.x < 0 || a.y < 0 || a.x + a.cx > t.cx || a.y + a.cy > t.cy)
        {
            problems.push_back("outside the dialog: " + describe(a));
        }
        for (std::size_t j = i + 1; j < rows.size(); ++j)
        {
            const dialogControl& b = rows[j];
            if (overlaps(a, b))
            {
                problems.push_back("overlap: " + describe(a) + " and " + describe(b));
            }
            if (a.id != -1 && a.id == b.id)
            {
                problems.push_back("id used twice: " + describe(a) + " and " + describe(b));
            }
        }
    }
    return problems;
}
} // namespace templateChecks
