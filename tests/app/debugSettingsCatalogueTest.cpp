#include "app/debugSettingsCatalogue.h"

#include "platform/wideText.h"
#include "tests/app/expectedCatalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace
{
std::string utf8(const WCHAR* text)
{
    return wideText::toUtf8(text);
}

int countIf(auto predicate)
{
    int n = 0;
    for (const debugSetting& row : debugSettingsCatalogue::rows())
    {
        n += predicate(row) ? 1 : 0;
    }
    return n;
}

TEST(debugSettingsCatalogue, HoldsSeventyNineRowsInApplyOrder)
{
    const auto rows = debugSettingsCatalogue::rows();
    ASSERT_EQ(rows.size(), 79u);
    EXPECT_EQ(utf8(rows[0].valueName), "debugStartupOrder");
    EXPECT_EQ(utf8(rows[1].valueName), "debugHookControl");
    EXPECT_EQ(utf8(rows[2].valueName), "debugBreakpoint");
    EXPECT_EQ(utf8(rows[26].valueName), "debugSendPackage");
    EXPECT_EQ(utf8(rows[39].valueName), "debugCreateMinidumpsOnExceptionDirectory");
    EXPECT_EQ(utf8(rows[44].valueName), "debugSetJmpHook");
    EXPECT_EQ(utf8(rows[56].valueName), "writeToLog_createTraceHash");
    EXPECT_EQ(utf8(rows[75].valueName), "debugEnableBreakpoints");
    EXPECT_EQ(utf8(rows[77].valueName), "debugResetLogFileAtStartup");
    EXPECT_EQ(utf8(rows[78].valueName), "advancedCRTEnable");
}

TEST(debugSettingsCatalogue, EveryRowMatchesTheProductsTable)
{
    const auto rows = debugSettingsCatalogue::rows();
    ASSERT_EQ(rows.size(), expectedCatalogue.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        const expectedSetting& want = expectedCatalogue[i];
        const std::string row = "row " + std::to_string(want.number);
        EXPECT_EQ(utf8(rows[i].valueName), utf8(want.valueName)) << row;
        EXPECT_EQ(rows[i].kind, want.kind) << row;
        EXPECT_EQ(rows[i].controlId, want.controlId) << row;
        EXPECT_EQ(rows[i].caption == nullptr, want.caption == nullptr) << row;
        if (rows[i].caption != nullptr && want.caption != nullptr)
        {
            EXPECT_EQ(utf8(rows[i].caption), utf8(want.caption)) << row;
        }
        EXPECT_EQ(rows[i].group, want.group) << row;
    }
}

// Selections and debugBreakpoint go through the DWORD operations, every other switch through
// the unsigned int ones.
TEST(debugSettingsCatalogue, EachRowUsesItsKindsStoreOperations)
{
    for (const expectedSetting& want : expectedCatalogue)
    {
        const debugSetting* row = debugSettingsCatalogue::findByName(want.valueName);
        ASSERT_NE(row, nullptr) << utf8(want.valueName);
        settingAccess access = settingAccess::UInt;
        if (want.kind == settingKind::Selection || utf8(want.valueName) == "debugBreakpoint")
        {
            access = settingAccess::Dword;
        }
        else if (want.kind == settingKind::ByteSwitch)
        {
            access = settingAccess::Char;
        }
        else if (want.kind == settingKind::String)
        {
            access = settingAccess::String;
        }
        EXPECT_EQ(row->access(), access) << utf8(want.valueName);
        if (want.controlId != debugSettingsCatalogue::noControl)
        {
            EXPECT_EQ(debugSettingsCatalogue::findByControl(want.controlId), row);
        }
    }
}

TEST(debugSettingsCatalogue, NamesAndControlIdsAreUnique)
{
    std::set<std::string> names;
    std::set<int> ids;
    for (const debugSetting& row : debugSettingsCatalogue::rows())
    {
        EXPECT_TRUE(names.insert(utf8(row.valueName)).second) << utf8(row.valueName);
        if (row.controlId != debugSettingsCatalogue::noControl)
        {
            EXPECT_TRUE(ids.insert(row.controlId).second) << row.controlId;
        }
    }
    for (const debugSettingGroup& group : debugSettingsCatalogue::groups())
    {
        EXPECT_TRUE(ids.insert(group.setAllId).second) << group.setAllId;
        EXPECT_TRUE(ids.insert(group.resetAllId).second) << group.resetAllId;
    }
    EXPECT_EQ(ids.size(), 78u + 6u); // every row but debugSetJmpHook, plus six buttons
}

TEST(debugSettingsCatalogue, GroupsHaveTheirSizesAndButtons)
{
    const auto groups = debugSettingsCatalogue::groups();
    ASSERT_EQ(groups.size(), 3u);
    struct Expected
    {
        settingGroup group;
        const char* caption;
        int setAll, resetAll, count;
    };
    const Expected expected[] = {
        {settingGroup::UserInterface, "User Interface", 1028, 1029, 20},
        {settingGroup::StubDataCollection, "Stub Data Collection", 1023, 1024, 32},
        {settingGroup::StubDebug, "Stub Debug", 1100, 1050, 21},
    };
    for (std::size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(groups[i].group, expected[i].group);
        EXPECT_EQ(utf8(groups[i].caption), expected[i].caption);
        EXPECT_EQ(groups[i].setAllId, expected[i].setAll);
        EXPECT_EQ(groups[i].resetAllId, expected[i].resetAll);
        EXPECT_EQ(countIf([&](const debugSetting& r) { return r.group == expected[i].group; }),
                  expected[i].count);
        EXPECT_EQ(debugSettingsCatalogue::findGroupByButton(expected[i].setAll), &groups[i]);
        EXPECT_EQ(debugSettingsCatalogue::findGroupByButton(expected[i].resetAll), &groups[i]);
    }
    EXPECT_EQ(countIf([](const debugSetting& r) { return r.group == settingGroup::None; }), 6);
}

TEST(debugSettingsCatalogue, EveryGroupedRowHasAControlExceptSetJmpHook)
{
    for (const debugSetting& row : debugSettingsCatalogue::rows())
    {
        const bool noControl = row.controlId == debugSettingsCatalogue::noControl;
        EXPECT_EQ(noControl, utf8(row.valueName) == "debugSetJmpHook") << utf8(row.valueName);
        EXPECT_EQ(noControl, row.caption == nullptr) << utf8(row.valueName);
    }
    const debugSetting* setJmp = debugSettingsCatalogue::findByName(u"debugSetJmpHook");
    ASSERT_NE(setJmp, nullptr);
    EXPECT_EQ(setJmp->group, settingGroup::StubDebug);
    EXPECT_EQ(debugSettingsCatalogue::findByControl(debugSettingsCatalogue::noControl), nullptr);
}

TEST(debugSettingsCatalogue, StoreOperationsFollowTheKind)
{
    EXPECT_EQ(countIf([](const debugSetting& r) { return r.access() == settingAccess::Dword; }), 3);
    EXPECT_EQ(countIf([](const debugSetting& r) { return r.access() == settingAccess::UInt; }), 74);
    EXPECT_EQ(countIf([](const debugSetting& r) { return r.access() == settingAccess::Char; }), 1);
    EXPECT_EQ(countIf([](const debugSetting& r) { return r.access() == settingAccess::String; }),
              1);
    EXPECT_EQ(debugSettingsCatalogue::findByName(u"debugBreakpoint")->access(),
              settingAccess::Dword);
    EXPECT_FALSE(debugSettingsCatalogue::findByName(u"debugBreakpoint")->modelled());
    EXPECT_EQ(debugSettingsCatalogue::findByName(u"advancedCRTEnable")->kind,
              settingKind::ByteSwitch);
    // The dialog's 74 modelled check boxes: every modelled switch with a control.
    EXPECT_EQ(countIf(
                  [](const debugSetting& r)
                  {
                      return r.modelled() && r.kind != settingKind::String &&
                             r.controlId != debugSettingsCatalogue::noControl;
                  }),
              74);
}

TEST(debugSettingsCatalogue, StartValuesAndDefaults)
{
    for (const debugSetting& row : debugSettingsCatalogue::rows())
    {
        const std::string name = utf8(row.valueName);
        if (name == "debugResetLogFileAtStartup")
        {
            EXPECT_EQ(row.startValue, 1u);
            EXPECT_EQ(row.reset, settingReset::ToValue);
            EXPECT_EQ(row.resetValue, 1u);
        }
        else if (name == "debugEnableBreakpoints")
        {
            EXPECT_EQ(row.startValue, 0u);
            EXPECT_EQ(row.reset, settingReset::Keep);
        }
        else if (row.kind == settingKind::String)
        {
            EXPECT_EQ(row.reset, settingReset::ProductDirectory);
        }
        else
        {
            EXPECT_EQ(row.startValue, 0u) << name;
            EXPECT_EQ(row.reset, settingReset::ToValue) << name;
            EXPECT_EQ(row.resetValue, 0u) << name;
        }
    }
}

TEST(debugSettingsCatalogue, ListsAndLookups)
{
    const auto lists = debugSettingsCatalogue::lists();
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(debugSettingsCatalogue::findList(1003)->itemCount, 29u);
    EXPECT_EQ(debugSettingsCatalogue::findList(1004)->itemCount, 2u);
    EXPECT_EQ(debugSettingsCatalogue::findList(1005), nullptr);
    for (const debugSettingList& list : lists)
    {
        const debugSetting* row = debugSettingsCatalogue::findByName(list.valueName);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->kind, settingKind::Selection);
        EXPECT_EQ(row->controlId, list.controlId);
    }
    // Two boxes share the caption "Pipe Error", one in each of two groups.
    EXPECT_EQ(debugSettingsCatalogue::findByControl(1046)->group, settingGroup::UserInterface);
    EXPECT_EQ(debugSettingsCatalogue::findByControl(1047)->group, settingGroup::StubDebug);
    EXPECT_EQ(utf8(debugSettingsCatalogue::findByControl(1046)->caption), "Pipe Error");
    EXPECT_EQ(utf8(debugSettingsCatalogue::findByControl(1047)->caption), "Pipe Error");
    EXPECT_EQ(debugSettingsCatalogue::findByName(u"debugheap"), nullptr); // names are exact
    EXPECT_EQ(debugSettingsCatalogue::findByName(nullptr), nullptr);
}
} // namespace
