#include "platform/registryTransactedConnections.h"

#include <algorithm>

namespace registryStore
{

const registryTransactedConnections::entry*
registryTransactedConnections::find(const registryTransaction* owner) const
{
    const auto found = std::find_if(m_entries.begin(), m_entries.end(),
                                    [owner](const entry& e) { return e.owner == owner; });
    return found == m_entries.end() ? nullptr : &*found;
}

registryDatabase* registryTransactedConnections::of(const registryTransaction& owner) const
{
    const entry* const found = find(&owner);
    return found == nullptr ? nullptr : found->db.get();
}

unsigned registryTransactedConnections::generationOf(const registryTransaction& owner) const
{
    const entry* const found = find(&owner);
    return found == nullptr ? 0 : found->generation;
}

DWORD registryTransactedConnections::lend(registryTransaction& owner, const std::string& path,
                                          const hiveLayout& layout, unsigned generation)
{
    giveBack(owner);
    // A kept connection of an earlier file is of no use any more.
    std::erase_if(m_entries, [generation](const entry& e)
                  { return e.owner == nullptr && e.generation != generation; });
    for (entry& e : m_entries)
    {
        if (e.owner == nullptr)
        {
            e.owner = &owner;
            return ERROR_SUCCESS;
        }
    }
    std::unique_ptr<registryDatabase> db;
    DWORD result = registryDatabase::open(path, layout, db);
    if (result == ERROR_SUCCESS && !db->readOnly())
    {
        result = db->makeCommitsDurable();
    }
    if (result == ERROR_SUCCESS)
    {
        m_entries.push_back(entry{&owner, std::move(db), generation});
    }
    return result;
}

void registryTransactedConnections::giveBack(const registryTransaction& owner)
{
    const auto found = std::find_if(m_entries.begin(), m_entries.end(),
                                    [&owner](const entry& e) { return e.owner == &owner; });
    if (found == m_entries.end())
    {
        return;
    }
    found->db->rollback();
    found->owner = nullptr;
    const bool anotherIdle = std::count_if(m_entries.begin(), m_entries.end(),
                                           [](const entry& e) { return e.owner == nullptr; }) > 1;
    if (anotherIdle)
    {
        m_entries.erase(found);
    }
}

bool registryTransactedConnections::anyLent() const
{
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [](const entry& e) { return e.owner != nullptr; });
}

std::vector<registryTransaction*> registryTransactedConnections::dropAll()
{
    std::vector<registryTransaction*> owners;
    for (entry& e : m_entries)
    {
        if (e.owner != nullptr)
        {
            owners.push_back(e.owner);
        }
        e.db->keepFilesOnClose(true);
    }
    m_entries.clear();
    return owners;
}

} // namespace registryStore
