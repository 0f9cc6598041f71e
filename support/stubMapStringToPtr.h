#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// stubMapStringToPtr: the support library's map from wide strings (case-sensitive) to
// pointers. Keys are copied. Not thread-safe: callers guard it (the log writer's name maps
// each have their own critical section).

#include <reZevavEvadurov/winTypes.h>

#include <string>
#include <unordered_map>

class stubMapStringToPtr
{
public:
    explicit stubMapStringToPtr(int hashTableSize = 17);
    ~stubMapStringToPtr() = default;
    stubMapStringToPtr(const stubMapStringToPtr&) = delete;
    stubMapStringToPtr& operator=(const stubMapStringToPtr&) = delete;

    // Insert or replace. A null key is ignored.
    void SetAt(const WCHAR* key, void* value);
    // Non-zero when present; then `value` receives the stored pointer, else it is untouched.
    BOOL Lookup(const WCHAR* key, void*& value) const;
    int GetCount() const { return static_cast<int>(m_map.size()); }
    void RemoveAll() { m_map.clear(); }

private:
    std::unordered_map<std::u16string, void*> m_map;
};

#pragma GCC visibility pop
