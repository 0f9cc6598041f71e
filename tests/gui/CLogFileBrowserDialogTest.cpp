#include "app/CLogFileBrowserDialog.h"

#include "platform/wideText.h"
#include "support/stubHeap.h"
#include "tests/testsupport/testSandbox.h"

#include <fstream>
#include <gtest/gtest.h>

namespace
{

std::u16string wide(const std::filesystem::path& path)
{
    return wideText::fromUtf8(path.string());
}

TEST(CLogFileBrowserDialogTest, AppendsEveryLineWithoutItsLineEnd)
{
    createStubHeap();
    const auto path = testsupport::sandboxRoot() / "log.txt";
    std::ofstream(path, std::ios::binary) << "first\r\nsecond \xc3\xa9\n\nlast";

    CLogFileBrowserDialog viewer;
    viewer.m_text = u">";
    EXPECT_TRUE(viewer.AppendFile(wide(path).c_str()));
    EXPECT_EQ(std::u16string(viewer.m_text.c_str()), u">firstsecond \u00e9last");

    EXPECT_FALSE(viewer.AppendFile(wide(path / "missing").c_str()));
    EXPECT_FALSE(viewer.AppendFile(nullptr));
    EXPECT_EQ(std::u16string(viewer.m_text.c_str()), u">firstsecond \u00e9last");
}

TEST(CLogFileBrowserDialogTest, ShowsItsTextUnderItsTitle)
{
    createStubHeap();
    CLogFileBrowserDialog viewer;
    viewer.m_text = u"line one";
    viewer.m_title = u"UI log";
    viewer.Create();
    EXPECT_EQ(viewer.GetDlgItemText(CLogFileBrowserDialog::textPane), QStringLiteral("line one"));
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("UI log"));
}

} // namespace
