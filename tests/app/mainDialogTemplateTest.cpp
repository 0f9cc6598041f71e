#include "app/mainDialogTemplate.h"

#include "tests/app/dialogTemplateChecks.h"
#include "tests/app/expectedCatalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string_view>
#include <vector>

namespace
{
using namespace templateChecks;
using enum dialogControlKind;

const dialogTemplate& dlg()
{
    return mainDialogTemplate();
}

std::u16string_view view(const WCHAR* text)
{
    return text == nullptr ? std::u16string_view() : std::u16string_view(text);
}

int bottom(const dialogControl& c)
{
    return c.y + c.cy;
}

int right(const dialogControl& c)
{
    return c.x + c.cx;
}

bool sameLine(const dialogControl& a, const dialogControl& b)
{
    return a.y < bottom(b) && b.y < bottom(a);
}

// Looks `id` up and fails the calling test when it is missing or used more than once.
const dialogControl& control(int id)
{
    const dialogControl* c = single(dlg(), id);
    if (c == nullptr)
    {
        ADD_FAILURE() << "control " << id << " missing or not unique";
        static constexpr dialogControl none{0, StaticText, nullptr, -1000, -1000, 0, 0};
        return none;
    }
    return *c;
}

struct otherControl
{
    int id;
    dialogControlKind kind;
    const WCHAR* caption; // null: no caption; placeholder: any non-empty text
};

constexpr WCHAR placeholder[] = u"<placeholder>";

constexpr std::array<otherControl, 27> otherControls = {{
    {1, DefaultPushButton, u"OK"},
    {3, PushButton, u"&Apply"},
    {2, PushButton, u"Close"},
    {1087, PushButton, u"Reset to Defaults"},
    {1028, PushButton, u"&Set All"},
    {1029, PushButton, u"&Reset All"},
    {1023, PushButton, u"&Set All"},
    {1024, PushButton, u"&Reset All"},
    {1100, PushButton, u"&Set All"},
    {1050, PushButton, u"&Reset All"},
    {1030, PushButton, u"Delete LogFile"},
    {1054, PushButton, u"View..."},
    {1031, StaticText, placeholder},
    {1026, PushButton, u"Delete LogFile"},
    {1055, PushButton, u"View..."},
    {1027, StaticText, placeholder},
    {1101, Edit, nullptr},
    {1103, StaticText, u"Minidump directory:"},
    {1102, PushButton, u"&Browse..."},
    {1104, PushButton, u"&View..."},
    {1088, StaticText, u"User Interface"},
    {1089, StaticText, u"Stub Startup Control"},
    {1091, StaticText, u"Stub Data Collection"},
    {1093, StaticText, u"Stub Debug"},
    {1090, RuleLine, nullptr},
    {1092, RuleLine, nullptr},
    {1094, RuleLine, nullptr},
}};

// The check-box grid: boxes of one column, top to bottom, from the first row's y in steps of 12.
struct gridColumn
{
    int x;
    int firstY;
    std::vector<const char16_t*> captions;
};

const std::vector<gridColumn>& grid()
{
    static const std::vector<gridColumn> columns = {
        {12, 24, {u"Alloc", u"Free", u"Realloc"}},
        {60, 24, {u"Bad Alloc", u"Bad Realloc", u"Bad Free"}},
        {126, 24, {u"Stack32", u"Double Free", u"Duplicate Handle"}},
        {204, 24, {u"Default Not Handled", u"Number Base", u"Not Found"}},
        {288, 24, {u"Callstack CRCs", u"Create Callstack", u"Advanced CRT"}},
        {366, 24, {u"Pipe Error", u"Receive Comm"}},
        {432, 24, {u"Work Package", u"Worker", u"Worker Exception"}},
        // "Local Heap" is checked on its own: it does not share "Heap"'s spot here.
        {12,
         168,
         {u"CRT", u"Heap", u"Global Heap", u"Virtual Alloc", u"Hook Coordinator",
          u"Log computer info"}},
        {90,
         168,
         {u"CoTaskMem", u"SysAllocString", u"IMalloc", u"COM", u"Common Controls", u"Advapi"}},
        {168, 168, {u"Kernel", u"User", u"GDI", u"Shell", u"Winsock", u"CryptApi"}},
        {222,
         168,
         {u"WinSpool", u"WinHttp", u"Memory Buffer", u"Registry Errors", u"HookAlloc", u"OPENGL"}},
        {288, 168, {u"Trace", u"Send Package", u"Do After Hook", u"Send Stub Heap", u"UMR"}},
        {372,
         168,
         {u"Pipe Error", u"Debug Detect Corrupt Memory", u"Debug Deleted Access Hook",
          u"Debug LibC Memory Hook", u"Debug .Net Profiler Stubs", u"Debug OutputDebugString Hook",
          u"Debug IAT hooked functions"}},
        {496,
         168,
         {u"Debug DLLMain Hook", u"Debug Custom Hook", u"Debug AddRefRelease Hook",
          u"Debug SysAlloc Hook", u"Debug Uninit Data Hook", u"Debug Delay Load",
          u"GetProcAddress"}},
        {604,
         168,
         {u"Debug callstacks", u"Debug callstack Modules", u"Debug Address to Symbol",
          u"Debug Last Error", u"Debug Import Descriptor", u"Debug DestroyWindow Hook"}},
        {12, 252, {u"Log Startup Exceptions", u"Create Minidump when Exception"}},
    };
    return columns;
}

// The box with `caption` in the column at `x` ("Pipe Error" appears twice), or null.
const dialogControl* boxAt(int x, std::u16string_view caption)
{
    for (const dialogControl& c : dlg().controls)
    {
        if (c.kind == AutoCheckBox && c.x == x && view(c.caption) == caption)
        {
            return &c;
        }
    }
    return nullptr;
}

TEST(mainDialogTemplate, IsDialog102OfItsSizeAndFont)
{
    EXPECT_EQ(dlg().resourceId, 102);
    EXPECT_EQ(dlg().cx, 724);
    EXPECT_EQ(dlg().cy, 350);
    EXPECT_EQ(view(dlg().fontFace), u"MS Sans Serif");
    EXPECT_EQ(dlg().pointSize, 8);
    EXPECT_EQ(view(dlg().title), u"reZevavEvadurov x64");
}

TEST(mainDialogTemplate, ShowsEveryCatalogueRowWithItsControl)
{
    for (const expectedSetting& row : expectedCatalogue)
    {
        SCOPED_TRACE(utf8(row.valueName));
        if (row.controlId == 0)
        {
            continue;
        }
        const dialogControl& c = control(row.controlId);
        switch (row.kind)
        {
        case settingKind::Switch:
        case settingKind::ByteSwitch:
            EXPECT_EQ(c.kind, AutoCheckBox);
            EXPECT_EQ(view(c.caption), view(row.caption));
            break;
        case settingKind::Selection:
            EXPECT_EQ(c.kind, DropDownCombo);
            break;
        case settingKind::String:
            EXPECT_EQ(c.kind, Edit);
            break;
        }
    }
}

TEST(mainDialogTemplate, HoldsNoCheckBoxBeyondTheCatalogue)
{
    std::set<int> catalogueBoxes;
    for (const expectedSetting& row : expectedCatalogue)
    {
        if (row.controlId != 0 &&
            (row.kind == settingKind::Switch || row.kind == settingKind::ByteSwitch))
        {
            catalogueBoxes.insert(row.controlId);
        }
    }
    ASSERT_EQ(catalogueBoxes.size(), 75u);
    int boxes = 0;
    for (const dialogControl& c : dlg().controls)
    {
        if (c.kind == AutoCheckBox)
        {
            ++boxes;
            EXPECT_TRUE(catalogueBoxes.contains(c.id)) << describe(c);
        }
    }
    EXPECT_EQ(boxes, 75);
}

TEST(mainDialogTemplate, ListsAndTheDirectoryFieldHaveTheirLabelsToTheLeft)
{
    for (const expectedSetting& row : expectedCatalogue)
    {
        if (row.kind != settingKind::Selection && row.kind != settingKind::String)
        {
            continue;
        }
        SCOPED_TRACE(utf8(row.valueName));
        const dialogControl& field = control(row.controlId);
        const auto labelled = std::ranges::find_if(
            dlg().controls, [&](const dialogControl& c)
            { return c.kind == StaticText && view(c.caption) == view(row.caption); });
        ASSERT_NE(labelled, dlg().controls.end());
        // The lists' labels are unnamed; the directory's label has an id of its own.
        EXPECT_EQ(labelled->id, row.kind == settingKind::Selection ? -1 : 1103);
        EXPECT_TRUE(sameLine(*labelled, field)) << describe(*labelled);
        EXPECT_LE(right(*labelled), field.x);
        EXPECT_GE(right(*labelled), field.x - 12) << "label too far from its field";
    }
}

TEST(mainDialogTemplate, HoldsEveryOtherControlWithItsKindAndCaption)
{
    for (const otherControl& expected : otherControls)
    {
        SCOPED_TRACE(expected.id);
        const dialogControl& c = control(expected.id);
        EXPECT_EQ(c.kind, expected.kind);
        if (expected.caption == placeholder)
        {
            EXPECT_FALSE(view(c.caption).empty());
        }
        else if (expected.caption == nullptr)
        {
            EXPECT_EQ(c.caption, nullptr);
        }
        else
        {
            EXPECT_EQ(view(c.caption), view(expected.caption));
        }
    }
}

TEST(mainDialogTemplate, NamesOnlyKnownIdsAndOnlyOkIsTheDefault)
{
    std::set<int> known;
    for (const expectedSetting& row : expectedCatalogue)
    {
        known.insert(row.controlId);
    }
    for (const otherControl& c : otherControls)
    {
        known.insert(c.id);
    }
    for (const dialogControl& c : dlg().controls)
    {
        if (c.id == -1)
        {
            EXPECT_EQ(c.kind, StaticText) << describe(c);
            continue;
        }
        EXPECT_TRUE(known.contains(c.id)) << describe(c);
        EXPECT_EQ(c.kind == DefaultPushButton, c.id == 1) << describe(c);
    }
}

TEST(mainDialogTemplate, EveryControlLiesInsideAndNoneOverlaps)
{
    for (const std::string& problem : layoutProblems(dlg()))
    {
        ADD_FAILURE() << problem;
    }
}

TEST(mainDialogTemplate, CheckBoxesSitOnTheGrid)
{
    for (const gridColumn& column : grid())
    {
        int y = column.firstY;
        for (const char16_t* caption : column.captions)
        {
            SCOPED_TRACE(utf8(caption));
            const dialogControl* box = boxAt(column.x, caption);
            ASSERT_NE(box, nullptr) << "no such box at x " << column.x;
            EXPECT_EQ(box->y, y);
            EXPECT_EQ(box->cy, 10);
            y += 12;
        }
    }
}

TEST(mainDialogTemplate, LocalHeapTakesTheFreeSlotOfTheFifthDataCollectionColumn)
{
    const dialogControl& local = control(1010);
    EXPECT_EQ(local.x, 288);
    EXPECT_EQ(local.y, 228);
    EXPECT_FALSE(overlaps(local, control(1006)));
}

TEST(mainDialogTemplate, CheckBoxesAreWideEnoughForTheirCaptions)
{
    // About three units a character is the least any of the dialog fonts needs; twelve more for
    // the box itself.
    for (const dialogControl& c : dlg().controls)
    {
        if (c.kind == AutoCheckBox)
        {
            EXPECT_GE(c.cx, 3 * static_cast<int>(view(c.caption).size()) + 12) << describe(c);
        }
    }
}

TEST(mainDialogTemplate, CaptionsStopShortOfTheNextControlToTheirRight)
{
    // A caption may fill its own rectangle; the next control in its row starts at least two
    // units further on, or the text touches that control's box.
    for (const dialogControl& c : dlg().controls)
    {
        for (const dialogControl& next : dlg().controls)
        {
            const bool sameRow = c.y < next.y + next.cy && next.y < c.y + c.cy;
            if (c.caption != nullptr && &next != &c && sameRow && next.x >= c.x + c.cx / 2)
            {
                EXPECT_GE(next.x - (c.x + c.cx), 2) << describe(c) << " touches " << describe(next);
            }
        }
    }
}

TEST(mainDialogTemplate, StartupRowHoldsTheListsAndTheBreakpointBox)
{
    const dialogControl& order = control(1003);
    const dialogControl& hook = control(1004);
    const dialogControl& breakpoint = control(1002);
    EXPECT_EQ(order.x, 78);
    EXPECT_EQ(hook.x, 212);
    EXPECT_EQ(breakpoint.x, 300);
    EXPECT_EQ(order.cx, 75);
    EXPECT_EQ(hook.cx, 75);
    for (const dialogControl* c : {&order, &hook, &breakpoint})
    {
        EXPECT_GE(c->y, 129) << describe(*c);
        EXPECT_LE(c->y, 131) << describe(*c);
    }
    EXPECT_LT(control(1089).y, order.y);
    EXPECT_GT(order.y, control(1030).y);
}

TEST(mainDialogTemplate, BottomRowHoldsGroupButtonsAndTheTwoUngroupedBoxes)
{
    const dialogControl& resetLog = control(1059);
    const dialogControl& breakpoints = control(1058);
    EXPECT_EQ(resetLog.x, 162);
    EXPECT_EQ(breakpoints.x, 594);
    for (const dialogControl* c : {&resetLog, &breakpoints})
    {
        EXPECT_GE(c->y, 315) << describe(*c);
        EXPECT_LE(c->y, 316) << describe(*c);
    }
    // Stub Data Collection's buttons left of "Reset logfile at start", Stub Debug's under their
    // grid, before "Enable breakpoints".
    for (int id : {1023, 1024})
    {
        EXPECT_TRUE(sameLine(control(id), resetLog)) << id;
        EXPECT_LE(right(control(id)), resetLog.x) << id;
    }
    for (int id : {1100, 1050})
    {
        EXPECT_TRUE(sameLine(control(id), resetLog)) << id;
        EXPECT_GE(control(id).x, right(resetLog)) << id;
        EXPECT_GE(control(id).x, 372) << id;
        EXPECT_LE(right(control(id)), breakpoints.x) << id;
    }
    EXPECT_LT(control(1023).x, control(1024).x);
    EXPECT_LT(control(1100).x, control(1050).x);
}

TEST(mainDialogTemplate, ControlsFollowTheArrangementTopToBottom)
{
    // Dialog buttons at the top right, above the startup row.
    for (int id : {1, 3, 2, 1087})
    {
        EXPECT_GE(right(control(id)), dlg().cx - 12) << id;
        EXPECT_LT(bottom(control(id)), control(1089).y) << id;
    }
    EXPECT_LT(control(1).y, control(3).y);
    EXPECT_LT(control(3).y, control(2).y);

    // User Interface buttons and UI log row below the three User Interface rows.
    const dialogControl& lastUiRow = control(1036);
    for (int id : {1028, 1029, 1030, 1054, 1031})
    {
        EXPECT_GT(control(id).y, bottom(lastUiRow)) << id;
        EXPECT_LT(bottom(control(id)), control(1089).y) << id;
    }
    EXPECT_TRUE(sameLine(control(1030), control(1031)));
    EXPECT_TRUE(sameLine(control(1054), control(1031)));

    // Minidump row below "Create Minidump when Exception", above the bottom row.
    for (int id : {1103, 1101, 1102, 1104})
    {
        EXPECT_GE(control(id).y, bottom(control(1084))) << id;
        EXPECT_LT(bottom(control(id)), control(1059).y) << id;
        EXPECT_TRUE(sameLine(control(id), control(1101))) << id;
    }

    // Main log row last.
    for (int id : {1026, 1055, 1027})
    {
        EXPECT_TRUE(sameLine(control(id), control(1027))) << id;
        for (const dialogControl& other : dlg().controls)
        {
            if (other.id != 1026 && other.id != 1055 && other.id != 1027)
            {
                EXPECT_GE(control(id).y, bottom(other)) << id << " below " << describe(other);
            }
        }
    }
}

TEST(mainDialogTemplate, TitlesHeadTheirAreasWithRulesBeside)
{
    EXPECT_LT(bottom(control(1088)), 24);
    EXPECT_LT(bottom(control(1091)), 168);
    EXPECT_LT(bottom(control(1093)), 168);
    EXPECT_LE(control(1091).x, 12);
    EXPECT_LE(control(1093).x, 372);
    EXPECT_GT(control(1093).x, right(control(1092)));

    const std::array<std::pair<int, int>, 3> titled = {{{1089, 1090}, {1091, 1092}, {1093, 1094}}};
    for (const auto& [titleId, ruleId] : titled)
    {
        SCOPED_TRACE(titleId);
        const dialogControl& title = control(titleId);
        const dialogControl& line = control(ruleId);
        EXPECT_EQ(line.cy, 1);
        EXPECT_TRUE(sameLine(title, line));
        EXPECT_GT(line.x, right(title));
        EXPECT_GE(line.cx, 100);
    }
}

TEST(dialogTemplateChecks, ReportsOverlapsOutliersAndRepeatedIds)
{
    static constexpr std::array<dialogControl, 4> rows = {
        {{5, PushButton, u"a", 0, 0, 10, 10},
         {5, PushButton, u"b", 20, 0, 10, 10},     // id repeated
         {-1, StaticText, u"c", 9, 9, 5, 5},       // overlaps the first
         {-1, StaticText, u"d", 95, 95, 10, 10}}}; // sticks out
    const dialogTemplate t{1, u"t", 100, 100, u"f", 8, rows};
    EXPECT_EQ(layoutProblems(t).size(), 3u);

    static constexpr std::array<dialogControl, 2> touching = {
        {{-1, StaticText, u"a", 0, 0, 10, 10}, {-1, StaticText, u"b", 10, 0, 10, 10}}};
    EXPECT_TRUE(layoutProblems({1, u"t", 20, 10, u"f", 8, touching}).empty());
}
} // namespace
