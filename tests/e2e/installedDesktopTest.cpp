// The installed program on a private X display, used as a person uses it: pointer and keys
// only, the values read back from both hives through the registry.

#include "app/debugSettingsCatalogue.h"
#include "app/mainDialogTemplate.h"
#include "framework/dialogUnits.h"
#include "platform/wideText.h"
#include "tests/e2e/desktopSession.h"
#include "tests/testsupport/testSandbox.h"
#include <reZevavEvadurov/registry.h>

#include <gtest/gtest.h>

#include <QFont>

#include <filesystem>

namespace
{

using namespace desktopTest;

const std::string mainTitle = "reZevavEvadurov x64";
const std::string aboutTitle = "About reZevavEvadurov";

std::optional<DWORD> storedDword(HKEY root, const WCHAR* keyPath, int controlId)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
    {
        return std::nullopt;
    }
    DWORD value = 0;
    DWORD size = sizeof value;
    const LSTATUS status =
        RegQueryValueExW(key, debugSettingsCatalogue::findByControl(controlId)->valueName, nullptr,
                         nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::optional<DWORD>(value) : std::nullopt;
}

std::optional<DWORD> userValue(int controlId)
{
    return storedDword(HKEY_CURRENT_USER, u"Software\\Corvane\\Tarnwickx64", controlId);
}

std::optional<DWORD> defaultProfileValue(int controlId)
{
    return storedDword(HKEY_USERS, u".DEFAULT\\Software\\Corvane\\Tarnwickx64", controlId);
}

// A screen of the X server: its size in pixels and the scale the program is told to use.
struct screenCase
{
    int width, height, scale;
};

class installedDesktopTest : public ::testing::TestWithParam<screenCase>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::exists(RZ_INSTALLED_EXECUTABLE))
            << "the install fixture did not run";
        const screenCase screen = GetParam();
        m_session.emplace(
            RZ_INSTALLED_EXECUTABLE,
            std::to_string(screen.width) + "x" + std::to_string(screen.height) + "x24",
            std::vector<std::string>{"QT_SCALE_FACTOR=" + std::to_string(screen.scale)});
        ASSERT_TRUE(m_session->serverUp()) << "Xvfb did not start";
        m_window = m_session->waitForWindow(mainTitle);
        ASSERT_FALSE(m_window.empty()) << "the dialog never showed";
        const auto frame = m_session->geometry(m_window);
        ASSERT_TRUE(frame);
        // The window lies on the screen. Where the screen holds it (the first), it is the
        // template's size at the dialog font, so the template's rectangles say where each
        // control is; else it scrolls, its command buttons at the right edge.
        m_width = frame->width / screen.scale;
        ASSERT_TRUE(frame->x >= 0 && frame->y >= 0 && frame->x + frame->width <= screen.width &&
                    frame->y + frame->height <= screen.height);
        if (screen.width == 1600)
        {
            ASSERT_EQ(frame->width, m_units.toPixelsX(mainDialogTemplate().cx));
            ASSERT_EQ(frame->height, m_units.toPixelsY(mainDialogTemplate().cy));
        }
    }

    // Clicks control `id` `dx` pixels in from its left edge, half way down. The command
    // buttons keep their distance from the window's right edge when the dialog scrolls.
    void clickControl(int id, int dx)
    {
        for (const dialogControl& row : mainDialogTemplate().controls)
        {
            if (row.id == id)
            {
                QRect r = m_units.toPixels(row.x, row.y, row.cx, row.cy);
                if (row.x == 655)
                {
                    r.moveLeft(m_width - (m_units.toPixelsX(mainDialogTemplate().cx) - r.x()));
                }
                const int scale = GetParam().scale;
                ASSERT_TRUE(m_session->click(m_window, (r.x() + dx) * scale,
                                             (r.y() + r.height() / 2) * scale));
                return;
            }
        }
        FAIL() << "no control " << id;
    }

    const dialogUnits m_units = dialogUnits::ofFont(dialogUnits::dialogFont(8));
    std::optional<session> m_session;
    std::string m_window;
    int m_width = 0; // of the window, in the program's pixels
};

INSTANTIATE_TEST_SUITE_P(screens, installedDesktopTest,
                         ::testing::Values(screenCase{1600, 1000, 1}, screenCase{1024, 768, 1},
                                           screenCase{1920, 1080, 2}));

constexpr int heapBox = 1006;
constexpr int minidumpBox = 1084;
constexpr int startupList = 1003;
constexpr int directoryField = 1101;

TEST_P(installedDesktopTest, TickingABoxAndPressingEnterWritesBothHives)
{
    clickControl(heapBox, 6);
    ASSERT_TRUE(m_session->keys({"Return"}));
    EXPECT_EQ(m_session->program().waitForExit(30s), 0) << "Enter did not end the dialog by OK";
    EXPECT_EQ(userValue(heapBox), 1u);
    EXPECT_EQ(defaultProfileValue(heapBox), 1u);
}

TEST_P(installedDesktopTest, ApplyAndOkAreOnScreenAndWriteBothHives)
{
    clickControl(heapBox, 6);
    clickControl(3, 20);
    EXPECT_TRUE(waitUntil([] { return defaultProfileValue(heapBox) == 1u; }, 15s));
    EXPECT_EQ(userValue(heapBox), 1u);
    clickControl(minidumpBox, 6);
    clickControl(1, 20);
    EXPECT_EQ(m_session->program().waitForExit(30s), 0) << "OK did not end the dialog";
    EXPECT_EQ(userValue(minidumpBox), 1u);
    EXPECT_EQ(defaultProfileValue(minidumpBox), 1u);
}

TEST_P(installedDesktopTest, EscapeAfterAChangeWritesNothing)
{
    clickControl(heapBox, 6);
    ASSERT_TRUE(m_session->keys({"Escape"}));
    EXPECT_EQ(m_session->program().waitForExit(30s), 0) << "Escape did not close the dialog";
    EXPECT_EQ(userValue(heapBox), std::nullopt);
    EXPECT_EQ(defaultProfileValue(heapBox), std::nullopt);
}

TEST_P(installedDesktopTest, TypedListNumberIsAppliedAndUnknownTextIsRefused)
{
    clickControl(startupList, 12);
    ASSERT_TRUE(m_session->keys({"ctrl+a"}));
    ASSERT_TRUE(m_session->type("7"));
    ASSERT_TRUE(m_session->keys({"alt+a"}));
    EXPECT_TRUE(waitUntil([] { return userValue(startupList) == 7u; }, 15s))
        << "Apply did not write the typed item";

    // The button's mnemonic took the focus; the field is clicked again to read it.
    clickControl(startupList, 12);
    EXPECT_EQ(m_session->focusedText(), "7");
    // The copy left the whole text selected: "30" replaces it.
    ASSERT_TRUE(m_session->type("30"));
    ASSERT_TRUE(m_session->keys({"alt+a"}));
    EXPECT_TRUE(waitUntil([] { return defaultProfileValue(startupList) == 7u; }, 15s));
    clickControl(startupList, 12);
    EXPECT_EQ(m_session->focusedText(), "7") << "unknown text was not refused";
    EXPECT_EQ(userValue(startupList), 7u);
}

TEST_P(installedDesktopTest, DownInTheDirectoryFieldKeepsThePath)
{
    clickControl(minidumpBox, 6); // the field is enabled with minidumps only
    clickControl(directoryField, 20);
    ASSERT_TRUE(m_session->keys({"End", "Down"}));
    ASSERT_TRUE(m_session->type("x"));
    const std::string expected =
        (testsupport::sandboxDataHome() / "Corvane" / "Tarnwick x64").string() + "x";
    EXPECT_EQ(m_session->focusedText(), expected) << "Down took the path over";
}

TEST_P(installedDesktopTest, F1OpensTheAboutBoxAndEscapeClosesIt)
{
    clickControl(heapBox, 6);
    ASSERT_TRUE(m_session->keys({"F1"}));
    ASSERT_FALSE(m_session->waitForWindow(aboutTitle, 30s).empty()) << "F1 showed no About box";
    ASSERT_TRUE(m_session->keys({"Escape"}));
    EXPECT_TRUE(m_session->waitUntilGone(aboutTitle));
    EXPECT_TRUE(m_session->program().running()) << "Escape in the About box ended the program";
    EXPECT_FALSE(m_session->waitForWindow(mainTitle, 5s).empty());
}

} // namespace
