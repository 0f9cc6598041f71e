#include "app/debugSettingsCatalogue.h"

#include "platform/wideText.h"

#include <algorithm>
#include <array>

namespace
{
constexpr int noControl = debugSettingsCatalogue::noControl;

// Apply order. Start values left open elsewhere: "Reset logfile at start" starts ticked, as
// "Reset to Defaults" leaves it; "Enable breakpoints" starts cleared, since a breakpoint
// instruction stops a program that runs without a debugger.
constexpr std::array<debugSetting, 79> kRows = {{
    {u"debugStartupOrder", settingKind::Selection, 1003, u"Startup code (25):", settingGroup::None,
     0, settingReset::ToValue, 0},
    {u"debugHookControl", settingKind::Selection, 1004, u"Hook control:", settingGroup::None, 0,
     settingReset::ToValue, 0},
    {u"debugBreakpoint", settingKind::Switch, 1002, u"Startup breakpoint enable",
     settingGroup::None, 0, settingReset::ToValue, 0},
    {u"debugCRT", settingKind::Switch, 1005, u"CRT", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugHeap", settingKind::Switch, 1006, u"Heap", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugCoTask", settingKind::Switch, 1007, u"CoTaskMem", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugSysAlloc", settingKind::Switch, 1065, u"SysAllocString",
     settingGroup::StubDataCollection, 0, settingReset::ToValue, 0},
    {u"debugIMalloc", settingKind::Switch, 1008, u"IMalloc", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugUMR", settingKind::Switch, 1009, u"UMR", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugLocal", settingKind::Switch, 1010, u"Local Heap", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugGlobal", settingKind::Switch, 1011, u"Global Heap", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugVirtual", settingKind::Switch, 1012, u"Virtual Alloc", settingGroup::StubDataCollection,
     0, settingReset::ToValue, 0},
    {u"debugCOM", settingKind::Switch, 1013, u"COM", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugKernel", settingKind::Switch, 1014, u"Kernel", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugAdvapi", settingKind::Switch, 1066, u"Advapi", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugCryptApi", settingKind::Switch, 1072, u"CryptApi", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugWinHttp", settingKind::Switch, 1073, u"WinHttp", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugWinSpool", settingKind::Switch, 1083, u"WinSpool", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugUser", settingKind::Switch, 1015, u"User", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugGDI", settingKind::Switch, 1016, u"GDI", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugShell", settingKind::Switch, 1017, u"Shell", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugWinsock", settingKind::Switch, 1018, u"Winsock", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugCOMCTL", settingKind::Switch, 1019, u"Common Controls",
     settingGroup::StubDataCollection, 0, settingReset::ToValue, 0},
    {u"debugTrace", settingKind::Switch, 1020, u"Trace", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugBuffer", settingKind::Switch, 1021, u"Memory Buffer", settingGroup::StubDataCollection,
     0, settingReset::ToValue, 0},
    {u"debugDelayLoad", settingKind::Switch, 1022, u"Debug Delay Load", settingGroup::StubDebug, 0,
     settingReset::ToValue, 0},
    {u"debugSendPackage", settingKind::Switch, 1025, u"Send Package",
     settingGroup::StubDataCollection, 0, settingReset::ToValue, 0},
    {u"debugStubReceive", settingKind::Switch, 1047, u"Pipe Error", settingGroup::StubDebug, 0,
     settingReset::ToValue, 0},
    {u"debugLastError", settingKind::Switch, 1001, u"Debug Last Error", settingGroup::StubDebug, 0,
     settingReset::ToValue, 0},
    {u"debugRegistryError", settingKind::Switch, 1000, u"Registry Errors",
     settingGroup::StubDataCollection, 0, settingReset::ToValue, 0},
    {u"debugHookCoordinator", settingKind::Switch, 1051, u"Hook Coordinator",
     settingGroup::StubDataCollection, 0, settingReset::ToValue, 0},
    {u"debugImportDescriptor", settingKind::Switch, 1086, u"Debug Import Descriptor",
     settingGroup::StubDebug, 0, settingReset::ToValue, 0},
    {u"debugDllMainHook", settingKind::Switch, 1052, u"Debug DLLMain Hook", settingGroup::StubDebug,
     0, settingReset::ToValue, 0},
    {u"debugDoAfterHook", settingKind::Switch, 1056, u"Do After Hook",
     settingGroup::StubDataCollection, 0, settingReset::ToValue, 0},
    {u"debugOPENGL32", settingKind::Switch, 1096, u"OPENGL", settingGroup::StubDataCollection, 0,
     settingReset::ToValue, 0},
    {u"debugSendStubHeap", settingKind::Switch, 1057, u"Send Stub Heap",
     settingGroup::StubDataCollection, 0, settingReset::ToValue, 0},
    {u"debugHookAlloc", settingKind::Switch, 1063, u"HookAlloc", settingGroup::StubDataCollection,
     0, settingReset::ToValue, 0},
    {u"debugStartupException", settingKind::Switch, 1064, u"Log Startup Exceptions",
     settingGroup::StubDataCollection, 0, settingReset::ToValue, 0},
    {u"debugCreateMinidumpsOnException", settingKind::Switch, 1084,
     u"Create Minidump when Exception", settingGroup::StubDataCollection, 0, settingReset::ToValue,
     0},
    {u"debugCreateMinidumpsOnExceptionDirectory", settingKind::String, 1101, u"Minidump directory:",
     settingGroup::None, 0, settingReset::ProductDirectory, 0},
    {u"debugCallstacks", settingKind::Switch, 1067, u"Debug callstacks", settingGroup::StubDebug, 0,
     settingReset::ToValue, 0},
    {u"debugCallstackModules", settingKind::Switch, 1068, u"Debug callstack Modules",
     settingGroup::StubDebug, 0, settingReset::ToValue, 0},
    {u"debugAddressToSymbol", settingKind::Switch, 1070, u"Debug Address to Symbol",
     settingGroup::StubDebug, 0, settingReset::ToValue, 0},
    {u"debugOutputDebugString", settingKind::Switch, 1071, u"Debug OutputDebugString Hook",
     settingGroup::StubDebug, 0, settingReset::ToValue, 0},
    {u"debugSetJmpHook", settingKind::Switch, noControl, nullptr, settingGroup::StubDebug, 0,
     settingReset::ToValue, 0},
    {u"debugCustomHook", settingKind::Switch, 1074, u"Debug Custom Hook", settingGroup::StubDebug,
     0, settingReset::ToValue, 0},
    {u"debugAddRefRelease", settingKind::Switch, 1075, u"Debug AddRefRelease Hook",
     settingGroup::StubDebug, 0, settingReset::ToValue, 0},
    {u"debugDestroyWindowHook", settingKind::Switch, 1076, u"Debug DestroyWindow Hook",
     settingGroup::StubDebug, 0, settingReset::ToValue, 0},
    {u"debugDetectCorruptMemory", settingKind::Switch, 1077, u"Debug Detect Corrupt Memory",
     settingGroup::StubDebug, 0, settingReset::ToValue, 0},
    {u"debugDeletedAccess", settingKind::Switch, 1078, u"Debug Deleted Access Hook",
     settingGroup::StubDebug, 0, settingReset::ToValue, 0},
    {u"debugLibCMemoryHook", settingKind::Switch, 1079, u"Debug LibC Memory Hook",
     settingGroup::StubDebug, 0, settingReset::ToValue, 0},
    {u"debugDotNetProfilerStubs", settingKind::Switch, 1080, u"Debug .Net Profiler Stubs",
     settingGroup::StubDebug, 0, settingReset::ToValue, 0},
    {u"debugSysAllocHooks", settingKind::Switch, 1081, u"Debug SysAlloc Hook",
     settingGroup::StubDebug, 0, settingReset::ToValue, 0},
    {u"debugUninitDataHooks", settingKind::Switch, 1082, u"Debug Uninit Data Hook",
     settingGroup::StubDebug, 0, settingReset::ToValue, 0},
    {u"debugGetProcAddress", settingKind::Switch, 1085, u"GetProcAddress", settingGroup::StubDebug,
     0, settingReset::ToValue, 0},
    {u"debugReportIATFunctionsThatHaveBeenHooked", settingKind::Switch, 1098,
     u"Debug IAT hooked functions", settingGroup::StubDebug, 0, settingReset::ToValue, 0},
    {u"writeToLog_createTraceHash", settingKind::Switch, 1045, u"Create Callstack",
     settingGroup::UserInterface, 0, settingReset::ToValue, 0},
    {u"writeToLog_uiWorkPackage", settingKind::Switch, 1032, u"Work Package",
     settingGroup::UserInterface, 0, settingReset::ToValue, 0},
    {u"writeToLog_uiStack32", settingKind::Switch, 1033, u"Stack32", settingGroup::UserInterface, 0,
     settingReset::ToValue, 0},
    {u"writeToLog_uiAlloc", settingKind::Switch, 1034, u"Alloc", settingGroup::UserInterface, 0,
     settingReset::ToValue, 0},
    {u"writeToLog_uiFree", settingKind::Switch, 1035, u"Free", settingGroup::UserInterface, 0,
     settingReset::ToValue, 0},
    {u"writeToLog_uiRealloc", settingKind::Switch, 1036, u"Realloc", settingGroup::UserInterface, 0,
     settingReset::ToValue, 0},
    {u"writeToLog_uiBadAlloc", settingKind::Switch, 1037, u"Bad Alloc", settingGroup::UserInterface,
     0, settingReset::ToValue, 0},
    {u"writeToLog_uiBadRealloc", settingKind::Switch, 1038, u"Bad Realloc",
     settingGroup::UserInterface, 0, settingReset::ToValue, 0},
    {u"writeToLog_uiBadFree", settingKind::Switch, 1041, u"Bad Free", settingGroup::UserInterface,
     0, settingReset::ToValue, 0},
    {u"writeToLog_uiDoubleFree", settingKind::Switch, 1039, u"Double Free",
     settingGroup::UserInterface, 0, settingReset::ToValue, 0},
    {u"writeToLog_uiDefaultNotHandled", settingKind::Switch, 1040, u"Default Not Handled",
     settingGroup::UserInterface, 0, settingReset::ToValue, 0},
    {u"writeToLog_uiNumberBase", settingKind::Switch, 1042, u"Number Base",
     settingGroup::UserInterface, 0, settingReset::ToValue, 0},
    {u"writeToLog_uiWorker", settingKind::Switch, 1043, u"Worker", settingGroup::UserInterface, 0,
     settingReset::ToValue, 0},
    {u"writeToLog_uiWorkerException", settingKind::Switch, 1044, u"Worker Exception",
     settingGroup::UserInterface, 0, settingReset::ToValue, 0},
    {u"writeToLog_uiPipeError", settingKind::Switch, 1046, u"Pipe Error",
     settingGroup::UserInterface, 0, settingReset::ToValue, 0},
    {u"writeToLog_uiReceiveComm", settingKind::Switch, 1048, u"Receive Comm",
     settingGroup::UserInterface, 0, settingReset::ToValue, 0},
    {u"writeToLog_uiCallstackCRCs", settingKind::Switch, 1069, u"Callstack CRCs",
     settingGroup::UserInterface, 0, settingReset::ToValue, 0},
    {u"writeToLog_uiDuplicate", settingKind::Switch, 1061, u"Duplicate Handle",
     settingGroup::UserInterface, 0, settingReset::ToValue, 0},
    {u"writeToLog_uiNotFound", settingKind::Switch, 1062, u"Not Found", settingGroup::UserInterface,
     0, settingReset::ToValue, 0},
    {u"debugEnableBreakpoints", settingKind::Switch, 1058, u"Enable breakpoints (__asm int 3;)",
     settingGroup::None, 0, settingReset::Keep, 0},
    {u"debugLogComputerInfo", settingKind::Switch, 1060, u"Log computer info",
     settingGroup::StubDataCollection, 0, settingReset::ToValue, 0},
    {u"debugResetLogFileAtStartup", settingKind::Switch, 1059, u"Reset logfile at start",
     settingGroup::None, 1, settingReset::ToValue, 1},
    {u"advancedCRTEnable", settingKind::ByteSwitch, 1053, u"Advanced CRT",
     settingGroup::UserInterface, 0, settingReset::ToValue, 0},
}};

constexpr std::array<debugSettingGroup, 3> kGroups = {{
    {settingGroup::UserInterface, u"User Interface", 1028, 1029},
    {settingGroup::StubDataCollection, u"Stub Data Collection", 1023, 1024},
    {settingGroup::StubDebug, u"Stub Debug", 1100, 1050},
}};

constexpr std::array<debugSettingList, 2> kLists = {{
    {u"debugStartupOrder", 1003, 29},
    {u"debugHookControl", 1004, 2},
}};
} // namespace

bool debugSetting::modelled() const
{
    return kind != settingKind::Selection && wideText::compare(valueName, u"debugBreakpoint") != 0;
}

settingAccess debugSetting::access() const
{
    switch (kind)
    {
    case settingKind::ByteSwitch:
        return settingAccess::Char;
    case settingKind::String:
        return settingAccess::String;
    case settingKind::Selection:
        return settingAccess::Dword;
    case settingKind::Switch:
        break;
    }
    return modelled() ? settingAccess::UInt : settingAccess::Dword;
}

std::span<const debugSetting> debugSettingsCatalogue::rows()
{
    return kRows;
}

std::span<const debugSettingGroup> debugSettingsCatalogue::groups()
{
    return kGroups;
}

std::span<const debugSettingList> debugSettingsCatalogue::lists()
{
    return kLists;
}

const debugSetting* debugSettingsCatalogue::findByName(const WCHAR* valueName)
{
    const auto it = std::find_if(kRows.begin(), kRows.end(),
                                 [valueName](const debugSetting& row)
                                 { return wideText::compare(row.valueName, valueName) == 0; });
    return it == kRows.end() ? nullptr : &*it;
}

const debugSetting* debugSettingsCatalogue::findByControl(int controlId)
{
    if (controlId == noControl)
    {
        return nullptr;
    }
    const auto it =
        std::find_if(kRows.begin(), kRows.end(),
                     [controlId](const debugSetting& row) { return row.controlId == controlId; });
    return it == kRows.end() ? nullptr : &*it;
}

const debugSettingGroup* debugSettingsCatalogue::findGroupByButton(int buttonId)
{
    const auto it = std::find_if(kGroups.begin(), kGroups.end(),
                                 [buttonId](const debugSettingGroup& g)
                                 { return g.setAllId == buttonId || g.resetAllId == buttonId; });
    return it == kGroups.end() ? nullptr : &*it;
}

const debugSettingList* debugSettingsCatalogue::findList(int controlId)
{
    const auto it =
        std::find_if(kLists.begin(), kLists.end(),
                     [controlId](const debugSettingList& l) { return l.controlId == controlId; });
    return it == kLists.end() ? nullptr : &*it;
}
