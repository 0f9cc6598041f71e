#include "app/mainDialogTemplate.h"

#include <array>

namespace
{
using enum dialogControlKind;

// Check boxes and buttons of one height, so rows line up; a column is as wide as its longest
// caption needs (about 4 units a character and 12 for the box) but stops short of the next.
constexpr int boxHeight = 10;
constexpr int buttonHeight = 14;
constexpr int textHeight = 8;
constexpr int fieldHeight = 12;

constexpr dialogControl box(int id, const WCHAR* caption, int x, int y, int cx)
{
    return {id, AutoCheckBox, caption, x, y, cx, boxHeight};
}

constexpr dialogControl button(int id, const WCHAR* caption, int x, int y, int cx)
{
    return {id, PushButton, caption, x, y, cx, buttonHeight};
}

constexpr dialogControl text(int id, const WCHAR* caption, int x, int y, int cx)
{
    return {id, StaticText, caption, x, y, cx, textHeight};
}

constexpr dialogControl rule(int id, int x, int y, int cx)
{
    return {id, RuleLine, nullptr, x, y, cx, 1};
}

constexpr dialogControl list(int id, int x, int y)
{
    return {id, DropDownCombo, nullptr, x, y, 75, fieldHeight};
}

constexpr std::array kControls = std::to_array<dialogControl>({
    // User Interface: three rows, OK / Apply / Close / Reset to Defaults at the top right.
    text(1088, u"User Interface", 7, 8, 56),
    box(1034, u"Alloc", 12, 24, 40),
    box(1035, u"Free", 12, 36, 40),
    box(1036, u"Realloc", 12, 48, 40),
    box(1037, u"Bad Alloc", 60, 24, 56),
    box(1038, u"Bad Realloc", 60, 36, 56),
    box(1041, u"Bad Free", 60, 48, 56),
    box(1033, u"Stack32", 126, 24, 74),
    box(1039, u"Double Free", 126, 36, 74),
    box(1061, u"Duplicate Handle", 126, 48, 74),
    box(1040, u"Default Not Handled", 204, 24, 82),
    box(1042, u"Number Base", 204, 36, 82),
    box(1062, u"Not Found", 204, 48, 82),
    box(1069, u"Callstack CRCs", 288, 24, 74),
    box(1045, u"Create Callstack", 288, 36, 74),
    box(1053, u"Advanced CRT", 288, 48, 74),
    box(1046, u"Pipe Error", 366, 24, 60),
    box(1048, u"Receive Comm", 366, 36, 64),
    box(1032, u"Work Package", 432, 24, 76),
    box(1043, u"Worker", 432, 36, 76),
    box(1044, u"Worker Exception", 432, 48, 76),
    {1, DefaultPushButton, u"OK", 655, 7, 62, buttonHeight},
    button(3, u"&Apply", 655, 24, 62),
    button(2, u"Close", 655, 41, 62),
    button(1087, u"Reset to Defaults", 655, 64, 62),
    button(1028, u"&Set All", 12, 64, 50),
    button(1029, u"&Reset All", 66, 64, 50),

    // UI log file; the path is filled in when the dialog opens.
    button(1030, u"Delete LogFile", 12, 84, 60),
    button(1054, u"View...", 76, 84, 50),
    text(1031, u"UI log file", 132, 87, 585),

    // Stub Startup Control.
    text(1089, u"Stub Startup Control", 7, 110, 80),
    rule(1090, 91, 114, 626),
    text(-1, u"Startup code (25):", 12, 131, 62),
    list(1003, 78, 129),
    text(-1, u"Hook control:", 160, 131, 48),
    list(1004, 212, 129),
    box(1002, u"Startup breakpoint enable", 300, 130, 112),

    text(1091, u"Stub Data Collection", 7, 150, 80),
    rule(1092, 91, 154, 269),
    text(1093, u"Stub Debug", 367, 150, 44),
    rule(1094, 415, 154, 302),

    // Stub Data Collection grid. "Local Heap" takes the free last slot of the fifth column
    // rather than sharing "Heap"'s spot, so both stay visible.
    box(1005, u"CRT", 12, 168, 74),
    box(1006, u"Heap", 12, 180, 74),
    box(1011, u"Global Heap", 12, 192, 74),
    box(1012, u"Virtual Alloc", 12, 204, 74),
    box(1051, u"Hook Coordinator", 12, 216, 74),
    box(1060, u"Log computer info", 12, 228, 74),
    box(1007, u"CoTaskMem", 90, 168, 74),
    box(1065, u"SysAllocString", 90, 180, 74),
    box(1008, u"IMalloc", 90, 192, 74),
    box(1013, u"COM", 90, 204, 74),
    box(1019, u"Common Controls", 90, 216, 74),
    box(1066, u"Advapi", 90, 228, 74),
    box(1014, u"Kernel", 168, 168, 44),
    box(1015, u"User", 168, 180, 44),
    box(1016, u"GDI", 168, 192, 44),
    box(1017, u"Shell", 168, 204, 44),
    box(1018, u"Winsock", 168, 216, 44),
    box(1072, u"CryptApi", 168, 228, 44),
    box(1083, u"WinSpool", 222, 168, 62),
    box(1073, u"WinHttp", 222, 180, 62),
    box(1021, u"Memory Buffer", 222, 192, 62),
    box(1000, u"Registry Errors", 222, 204, 62),
    box(1063, u"HookAlloc", 222, 216, 62),
    box(1096, u"OPENGL", 222, 228, 62),
    box(1020, u"Trace", 288, 168, 68),
    box(1025, u"Send Package", 288, 180, 68),
    box(1056, u"Do After Hook", 288, 192, 68),
    box(1057, u"Send Stub Heap", 288, 204, 68),
    box(1009, u"UMR", 288, 216, 68),
    box(1010, u"Local Heap", 288, 228, 68),

    // Stub Debug grid.
    box(1047, u"Pipe Error", 372, 168, 120),
    box(1077, u"Debug Detect Corrupt Memory", 372, 180, 120),
    box(1078, u"Debug Deleted Access Hook", 372, 192, 120),
    box(1079, u"Debug LibC Memory Hook", 372, 204, 120),
    box(1080, u"Debug .Net Profiler Stubs", 372, 216, 120),
    box(1071, u"Debug OutputDebugString Hook", 372, 228, 120),
    box(1098, u"Debug IAT hooked functions", 372, 240, 120),
    box(1052, u"Debug DLLMain Hook", 496, 168, 106),
    box(1074, u"Debug Custom Hook", 496, 180, 106),
    box(1075, u"Debug AddRefRelease Hook", 496, 192, 106),
    box(1081, u"Debug SysAlloc Hook", 496, 204, 106),
    box(1082, u"Debug Uninit Data Hook", 496, 216, 106),
    box(1022, u"Debug Delay Load", 496, 228, 106),
    box(1085, u"GetProcAddress", 496, 240, 106),
    box(1067, u"Debug callstacks", 604, 168, 108),
    box(1068, u"Debug callstack Modules", 604, 180, 108),
    box(1070, u"Debug Address to Symbol", 604, 192, 108),
    box(1001, u"Debug Last Error", 604, 204, 108),
    box(1086, u"Debug Import Descriptor", 604, 216, 108),
    box(1076, u"Debug DestroyWindow Hook", 604, 228, 108),

    // Below the data-collection grid: exceptions, minidumps and their directory.
    box(1064, u"Log Startup Exceptions", 12, 252, 132),
    box(1084, u"Create Minidump when Exception", 12, 264, 132),
    text(1103, u"Minidump directory:", 12, 279, 66),
    {1101, Edit, nullptr, 82, 277, 250, fieldHeight},
    button(1102, u"&Browse...", 338, 276, 50),
    button(1104, u"&View...", 392, 276, 50),

    // Group buttons of the two lower grids, with the two boxes outside every group.
    button(1023, u"&Set All", 12, 312, 50),
    button(1024, u"&Reset All", 66, 312, 50),
    box(1059, u"Reset logfile at start", 162, 315, 100),
    button(1100, u"&Set All", 372, 312, 50),
    button(1050, u"&Reset All", 426, 312, 50),
    box(1058, u"Enable breakpoints (__asm int 3;)", 594, 315, 128),

    // Main log file.
    button(1026, u"Delete LogFile", 12, 331, 60),
    button(1055, u"View...", 76, 331, 50),
    text(1027, u"Main log file", 132, 334, 585),
});

constexpr dialogTemplate kTemplate = {
    102, u"reZevavEvadurov x64", 724, 350, u"MS Sans Serif", 8, kControls,
};
} // namespace

const dialogTemplate& mainDialogTemplate()
{
    return kTemplate;
}
