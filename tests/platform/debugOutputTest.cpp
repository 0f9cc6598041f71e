#include "platform/debugOutput.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

class debugOutputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_previous = setDebugOutputSink([this](std::string_view text) { m_captured += text; });
    }
    void TearDown() override { setDebugOutputSink(m_previous); }

    std::string m_captured;
    debugOutputSink m_previous;
};

TEST_F(debugOutputTest, WideTextReachesTheSinkAsUtf8)
{
    OutputDebugStringW(u"caf\u00e9 \u20ac\r\n");
    EXPECT_EQ(m_captured, "caf\xC3\xA9 \xE2\x82\xAC\r\n");
}

TEST_F(debugOutputTest, EightBitTextPassesThrough)
{
    OutputDebugStringA("plain\r\n");
    OutputDebugStringA(nullptr);
    OutputDebugStringW(nullptr);
    EXPECT_EQ(m_captured, "plain\r\n");
}

TEST_F(debugOutputTest, SettingASinkReturnsThePreviousOne)
{
    std::string other;
    debugOutputSink mine = setDebugOutputSink([&other](std::string_view text) { other += text; });
    OutputDebugStringA("to other");
    EXPECT_EQ(other, "to other");
    EXPECT_TRUE(m_captured.empty());

    setDebugOutputSink(std::move(mine));
    OutputDebugStringA("back");
    EXPECT_EQ(m_captured, "back");
}

TEST_F(debugOutputTest, EmptySinkMeansStandardError)
{
    setDebugOutputSink({});
    ::testing::internal::CaptureStderr();
    OutputDebugStringW(u"to stderr\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "to stderr\n");
    EXPECT_TRUE(m_captured.empty());
}

TEST_F(debugOutputTest, AThrowingSinkDoesNotEscape)
{
    setDebugOutputSink([](std::string_view) { throw std::runtime_error("sink failed"); });
    EXPECT_NO_THROW(OutputDebugStringW(u"dropped"));
}

} // namespace
