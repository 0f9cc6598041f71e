#include "settings/settingsFileImage.h"

#include "platform/heap.h"
#include "settings/settingsFileHeap.h"

#include <gtest/gtest.h>
#include <vector>

TEST(settingsFileImage, growsInStepsOf10000BytesOrByALargerFirstWrite)
{
    settingsFileHeap heap;
    settingsFileImage image(heap);
    EXPECT_EQ(image.capacity(), 0u);
    const std::vector<BYTE> bytes(30000, 0xAB);
    ASSERT_TRUE(image.append(bytes.data(), 1));
    EXPECT_EQ(image.capacity(), 10000u);
    ASSERT_TRUE(image.append(bytes.data(), 9999));
    EXPECT_EQ(image.capacity(), 10000u);
    ASSERT_TRUE(image.append(bytes.data(), 1));
    EXPECT_EQ(image.capacity(), 20000u);
    EXPECT_EQ(image.size(), 10001u);
    ASSERT_TRUE(image.append(bytes.data(), 25000));
    EXPECT_EQ(image.capacity(), 20000u + 25000u - 9999u);
    EXPECT_EQ(image.size(), 35001u);
    EXPECT_EQ(image.data()[35000], 0xAB);

    settingsFileImage large(heap);
    ASSERT_TRUE(large.append(bytes.data(), 25000));
    EXPECT_EQ(large.capacity(), 25000u);
}

TEST(settingsFileImage, reserveTakesWholeStepsAtOnceAndRefusesTheImpossible)
{
    settingsFileHeap heap;
    settingsFileImage image(heap);
    ASSERT_TRUE(image.reserve(25001));
    EXPECT_EQ(image.capacity(), 30000u);
    ASSERT_TRUE(image.reserve(100));
    EXPECT_EQ(image.capacity(), 30000u) << "never shrinks";
    EXPECT_FALSE(image.reserve(settingsFileImage::maxSize + 1));
    EXPECT_EQ(image.capacity(), 30000u);
    EXPECT_EQ(image.size(), 0u);
}

TEST(settingsFileImage, writesIntegersLittleEndianAndTextAsUtf16le)
{
    settingsFileHeap heap;
    settingsFileImage image(heap);
    ASSERT_TRUE(image.appendUInt32(0x04030201u));
    ASSERT_TRUE(image.appendInt32(-2));
    ASSERT_TRUE(image.appendText(u"A\u0141"));
    const std::vector<BYTE> expected = {1, 2, 3, 4, 0xFE, 0xFF, 0xFF, 0xFF, 0x41, 0, 0x41, 0x01};
    EXPECT_EQ(std::vector<BYTE>(image.data(), image.data() + image.size()), expected);
}

TEST(settingsFileImage, refusedGrowthLeavesTheImageAsItWas)
{
    settingsFileHeap heap;
    settingsFileImage image(heap);
    ASSERT_TRUE(image.appendUInt32(7));
    heapSetFailAfter(heap.handle(), 0);
    const std::vector<BYTE> bytes(20000, 1);
    EXPECT_FALSE(image.append(bytes.data(), bytes.size()));
    EXPECT_EQ(image.size(), 4u);
    EXPECT_EQ(image.data()[0], 7);
    heapSetFailAfter(heap.handle(), -1);
    EXPECT_TRUE(image.append(bytes.data(), bytes.size()));
}
