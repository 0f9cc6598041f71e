#pragma once

// Drives the real main dialog offscreen: a recording stand-in for the desktop's shell
// actions, a fresh per-user data directory for every test, and raw access to the two settings
// locations so tests see each value's exact type and bytes.

#include "app/CReZevavEvadurovDlg.h"
#include "app/productPaths.h"
#include "framework/IShellActions.h"
#include "platform/wideText.h"
#include "support/productDataDirectoryForTests.h"
#include "support/stubHeap.h"
#include "tests/testsupport/testSandbox.h"
#include <reZevavEvadurov/registry.h>

#include <QCheckBox>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class recordingShell final : public IShellActions
{
public:
    void beep() override { ++beeps; }
    bool openPath(const QString& path) override
    {
        opened.push_back(path);
        return true;
    }
    QString chooseFolder(QWidget* /*parent*/, const QString& title, const QString& start) override
    {
        chooserCalls.emplace_back(title, start);
        return chooserAnswer;
    }

    int beeps = 0;
    std::vector<QString> opened;
    std::vector<std::pair<QString, QString>> chooserCalls; // (title, start)
    QString chooserAnswer;                                 // empty: the user cancels
};

struct storedValue
{
    LSTATUS result = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;

    bool operator==(const storedValue&) const = default;
};

inline constexpr const WCHAR* kUserProductPath = u"Software\\Corvane\\Tarnwickx64";
inline constexpr const WCHAR* kDefaultProductPath = u".DEFAULT\\Software\\Corvane\\Tarnwickx64";

class mainDialogFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        createStubHeap();
        resetProductDataPathsForTests();
    }

    void TearDown() override
    {
        dialog.reset();
        resetProductDataPathsForTests();
    }

    // Constructs, creates and shows the dialog, as DoModal does before its loop.
    CReZevavEvadurovDlg& open()
    {
        dialog = std::make_unique<CReZevavEvadurovDlg>(shell);
        dialog->Create();
        dialog->show();
        return *dialog;
    }

    // A click where the user would make it: on a box's indicator, a button's middle.
    void click(int id)
    {
        QWidget* const control = dialog->GetDlgItem(id);
        ASSERT_NE(control, nullptr) << "no control " << id;
        if (qobject_cast<QCheckBox*>(control) != nullptr)
        {
            QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, control->height() / 2));
        }
        else
        {
            QTest::mouseClick(control, Qt::LeftButton);
        }
    }

    bool enabled(int id) const { return dialog->GetDlgItem(id)->isEnabled(); }

    static storedValue stored(const WCHAR* name, HKEY root = HKEY_CURRENT_USER,
                              const WCHAR* path = kUserProductPath)
    {
        storedValue value;
        HKEY key = nullptr;
        if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        {
            return value;
        }
        DWORD size = 0;
        RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size);
        value.bytes.resize(size);
        value.result = RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.data(), &size);
        value.bytes.resize(value.result == ERROR_SUCCESS ? size : 0);
        RegCloseKey(key);
        return value;
    }

    // The stored REG_DWORD, or 0xDEADBEEF when there is none of that shape.
    static DWORD storedDword(const WCHAR* name, HKEY root = HKEY_CURRENT_USER,
                             const WCHAR* path = kUserProductPath)
    {
        const storedValue value = stored(name, root, path);
        if (value.result != ERROR_SUCCESS || value.type != REG_DWORD || value.bytes.size() != 4)
        {
            return 0xDEADBEEF;
        }
        DWORD number = 0;
        std::memcpy(&number, value.bytes.data(), 4);
        return number;
    }

    static void store(const WCHAR* name, DWORD type, const void* data, DWORD size)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kUserProductPath, 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  static_cast<LSTATUS>(ERROR_SUCCESS));
        EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size),
                  static_cast<LSTATUS>(ERROR_SUCCESS));
        RegCloseKey(key);
    }

    static void storeDword(const WCHAR* name, DWORD number)
    {
        store(name, REG_DWORD, &number, sizeof number);
    }

    static void storeString(const WCHAR* name, const std::u16string& text)
    {
        store(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
    }

    // Every value of the user's product key, in catalogue order.
    static std::vector<storedValue> storedRows(HKEY root = HKEY_CURRENT_USER,
                                               const WCHAR* path = kUserProductPath)
    {
        std::vector<storedValue> values;
        for (const debugSetting& row : debugSettingsCatalogue::rows())
        {
            values.push_back(stored(row.valueName, root, path));
        }
        return values;
    }

    static QString productDirectory()
    {
        return QString::fromUtf16(getProductDataDirectory(u"", productPaths::productFolder));
    }

    recordingShell shell;
    std::unique_ptr<CReZevavEvadurovDlg> dialog;
};
