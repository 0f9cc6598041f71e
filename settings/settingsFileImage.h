#pragma once

// settingsFileImage: the bytes of a settings file being built, in one block on a
// settingsFileHeap. The block grows in steps of 10000 bytes, or by what an append needs when
// that is more, and never beyond maxSize (the largest file a load accepts).
//
// Ownership: the image owns its block and frees it on destruction; the heap must outlive the
// image. data() stays valid until the next append. Not thread-safe.

#include "platform/winTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>

class settingsFileHeap;

class settingsFileImage
{
public:
    static constexpr std::size_t growthStep = 10000;
    static constexpr std::size_t maxSize = 0xFFFFFFFFu;

    explicit settingsFileImage(settingsFileHeap& heap) : m_heap(heap) {}
    ~settingsFileImage();
    settingsFileImage(const settingsFileImage&) = delete;
    settingsFileImage& operator=(const settingsFileImage&) = delete;

    // Appends `count` bytes. False, with the image unchanged, when the heap refuses or the
    // image would pass maxSize.
    bool append(const void* bytes, std::size_t count);
    bool appendUInt32(std::uint32_t value);      // little-endian
    bool appendInt32(std::int32_t value);        // little-endian, two's complement
    bool appendText(const std::u16string& text); // UTF-16LE code units, no terminator

    const BYTE* data() const { return m_block; }
    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_capacity; }

private:
    bool reserveFor(std::size_t count);

    settingsFileHeap& m_heap;
    BYTE* m_block = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};
