#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// settingsFileImage: the bytes of a settings file being built, in one block on a
// settingsFileHeap. The block grows in steps of 10000 bytes, or by what an append needs when
// that is more, and never beyond maxSize (the largest file a load accepts); reserve takes
// several steps at once.
//
// Ownership: the image owns its block and frees it on destruction; the heap must outlive the
// image. data() stays valid until the next append. Not thread-safe.

#include <reZevavEvadurov/winTypes.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

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

    // Makes room for `total` bytes in all, growing by as many whole steps as that takes in
    // one reallocation, so that building a large image copies it at most once. False, with
    // the image unchanged, when the heap refuses or `total` passes maxSize.
    bool reserve(std::size_t total);
    // Appends `count` bytes. False, with the image unchanged, when the heap refuses or the
    // image would pass maxSize.
    bool append(const void* bytes, std::size_t count);
    bool appendUInt32(std::uint32_t value);    // little-endian
    bool appendInt32(std::int32_t value);      // little-endian, two's complement
    bool appendText(std::u16string_view text); // UTF-16LE code units, no terminator

    const BYTE* data() const { return m_block; }
    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_capacity; }

private:
    bool reserveFor(std::size_t count);
    bool growTo(std::size_t capacity);

    settingsFileHeap& m_heap;
    BYTE* m_block = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

#pragma GCC visibility pop
