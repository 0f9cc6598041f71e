#pragma once

// Small helpers shared by the platform's file tests.

#include "platform/wideText.h"
#include "tests/testsupport/testSandbox.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace fileTest
{

// The path as the wide text the layer's functions take.
inline std::u16string wide(const std::filesystem::path& path)
{
    return wideText::fromUtf8(path.string());
}

// Every byte of the file; empty when it cannot be read.
inline std::string contentOf(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Makes or replaces the file with exactly `bytes`.
inline void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A fresh folder "files" in the test's sandbox, as m_root.
class filesFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_root = testsupport::sandboxRoot() / "files";
        std::filesystem::create_directories(m_root);
    }

    std::filesystem::path m_root;
};

} // namespace fileTest
