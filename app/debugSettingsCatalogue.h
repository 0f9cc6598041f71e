#pragma once

// The catalogue of the stub's debug settings: one constant table of the 79 values the tool
// loads and applies, in Apply order, with how each is stored, the control of dialog 102 that
// shows it, its group, the value it holds before loading and what "Reset to Defaults" does to
// it. Loading, Apply, the group buttons and "Reset to Defaults" walk this table.
//
// Everything here is constant data with static storage; the spans stay valid for the life of
// the process and may be read from any thread.

#include <reZevavEvadurov/winTypes.h>

#include <span>

// How a setting is stored and shown.
enum class settingKind
{
    Switch,     // REG_DWORD 0/1, check box
    Selection,  // REG_DWORD, the chosen list item's number
    ByteSwitch, // REG_BINARY of exactly one byte, check box
    String      // REG_SZ, edit field
};

// Which store operations read and write a setting.
enum class settingAccess
{
    Dword, // readDword / writeDword
    UInt,  // readUInt / writeUInt
    Char,  // readChar / writeChar
    String // readString / writeString
};

enum class settingGroup
{
    None,
    UserInterface,
    StubDataCollection,
    StubDebug
};

// What "Reset to Defaults" does to a setting.
enum class settingReset
{
    ToValue,         // takes `resetValue`
    Keep,            // left as last loaded or applied
    ProductDirectory // the product's per-user data directory, looked up again
};

struct debugSetting
{
    const WCHAR* valueName;
    settingKind kind;
    int controlId;        // 0 when the setting has no control
    const WCHAR* caption; // check box caption, or the label beside a list or edit field
    settingGroup group;
    DWORD startValue; // held before loading and kept when the value is missing
    settingReset reset;
    DWORD resetValue; // with settingReset::ToValue

    // Switches other than debugBreakpoint, the byte switch and the string are dialog members;
    // the two selections and debugBreakpoint pass straight between store and control.
    bool modelled() const;
    settingAccess access() const;
};

struct debugSettingGroup
{
    settingGroup group;
    const WCHAR* caption;
    int setAllId;   // "&Set All"
    int resetAllId; // "&Reset All"
};

struct debugSettingList
{
    const WCHAR* valueName;
    int controlId;
    DWORD itemCount; // items "0" .. "itemCount - 1", each carrying its own number
};

class debugSettingsCatalogue
{
public:
    static constexpr int noControl = 0;
    static constexpr int dialogId = 102;

    // All 79 rows in Apply order.
    static std::span<const debugSetting> rows();
    // The three groups with buttons, in the order User Interface, Stub Data Collection,
    // Stub Debug.
    static std::span<const debugSettingGroup> groups();
    // The two drop-down lists.
    static std::span<const debugSettingList> lists();

    // Null when there is no such row / group.
    static const debugSetting* findByName(const WCHAR* valueName);
    static const debugSetting* findByControl(int controlId);
    static const debugSettingGroup* findGroupByButton(int buttonId);
    static const debugSettingList* findList(int controlId);
};
