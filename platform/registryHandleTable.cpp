#include "platform/registryHandleTable.h"

#include "platform/registryNotifyHub.h"

#include <pthread.h>

namespace registryStore
{
namespace
{

bool isPredefined(HKEY handle)
{
    const auto value = reinterpret_cast<std::intptr_t>(handle);
    return value >= static_cast<LONG>(0x80000000) && value <= static_cast<LONG>(0x8000000F);
}

} // namespace

registryHandleTable& registryHandleTable::instance()
{
    static registryHandleTable table;
    return table;
}

registryHandleTable::registryHandleTable()
{
    registryNotifyHub::instance(); // its fork handlers must come first (registryNotifyHub.h)
    // Keep the table consistent across fork, and mark the child's copy as inherited.
    pthread_atfork([] { instance().m_mutex.lock(); }, [] { instance().m_mutex.unlock(); },
                   []
                   {
                       registryHandleTable& table = instance();
                       table.m_inherited = true;
                       table.m_mutex.unlock();
                   });
}

std::unique_lock<std::mutex> registryHandleTable::lock()
{
    std::unique_lock<std::mutex> held(m_mutex);
    if (m_inherited)
    {
        forgetInherited();
    }
    return held;
}

void registryHandleTable::forgetInherited()
{
    m_handles.clear();
    m_hives.clear(); // each connection notices it was inherited and is left alone
    m_userPath.clear();
    m_usersPath.clear();
    m_inherited = false;
}

registryHive* registryHandleTable::rootHive(HKEY root, const hiveLayout& layout)
{
    std::string path = registryHiveLocation::path(root);
    std::string& current = root == HKEY_CURRENT_USER ? m_userPath : m_usersPath;
    if (path != current)
    {
        current = path;
        closeIdleHives();
    }
    std::unique_ptr<registryHive>& hive = m_hives[path];
    if (!hive)
    {
        hive = std::make_unique<registryHive>(std::move(path), layout);
    }
    return hive.get();
}

void registryHandleTable::closeIdleHives()
{
    for (auto it = m_hives.begin(); it != m_hives.end();)
    {
        const bool named = it->first == m_userPath || it->first == m_usersPath;
        it = named || it->second->handles() != 0 ? std::next(it) : m_hives.erase(it);
    }
}

DWORD registryHandleTable::resolve(HKEY handle, openKey& key)
{
    if (isPredefined(handle))
    {
        const hiveLayout* layout = registryHiveLocation::layout(handle);
        if (layout == nullptr)
        {
            return ERROR_INVALID_HANDLE;
        }
        registryHive* hive = rootHive(handle, *layout);
        key = openKey{hive, keyReference{registryHiveLocation::rootKey, hive->generation()},
                      KEY_ALL_ACCESS, nullptr, nullptr};
        return ERROR_SUCCESS;
    }
    const auto found = m_handles.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == m_handles.end())
    {
        return ERROR_INVALID_HANDLE;
    }
    key = found->second;
    return ERROR_SUCCESS;
}

HKEY registryHandleTable::add(const openKey& key)
{
    const std::uintptr_t value = m_nextHandle;
    m_nextHandle += 4;
    openKey entry = key;
    entry.cursors = std::make_shared<handleCursors>();
    m_handles.emplace(value, std::move(entry));
    key.hive->handleOpened();
    return reinterpret_cast<HKEY>(value);
}

DWORD registryHandleTable::close(HKEY handle)
{
    if (isPredefined(handle))
    {
        return registryHiveLocation::layout(handle) != nullptr ? ERROR_SUCCESS
                                                               : ERROR_INVALID_HANDLE;
    }
    const auto found = m_handles.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == m_handles.end())
    {
        return ERROR_INVALID_HANDLE;
    }
    registryHive* hive = found->second.hive;
    m_handles.erase(found);
    hive->handleClosed();
    if (hive->handles() == 0)
    {
        closeIdleHives();
    }
    return ERROR_SUCCESS;
}

} // namespace registryStore
