#pragma once

// Group titles of the maker's theming library: a registered title is drawn bold, and its rule
// line, when it has one, runs from just after the title's text to where the template ends it,
// level with the text. The object remembers what it registered; it owns nothing and the
// dialog's controls must outlive it. GUI thread only.

#include <QWidget>
#include <utility>
#include <vector>

class corUXThemeCtrls
{
public:
    // `ruleId` 0 means the title has no rule. False, and nothing changed, when `dialog` has no
    // control `titleId`; a missing rule only leaves the rule out.
    bool addTitle(QWidget* dialog, int titleId, int ruleId);

    // The registrations that succeeded, in order: (title id, rule id).
    const std::vector<std::pair<int, int>>& titles() const { return m_titles; }

private:
    std::vector<std::pair<int, int>> m_titles;
};
