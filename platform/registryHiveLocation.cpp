#include "platform/registryHiveLocation.h"

#include <cstdlib>
#include <string_view>
#include <sys/stat.h>

namespace registryStore
{
namespace
{

constexpr standardKey userKeys[] = {
    {1, 0, u""},
    {2, 1, u"Software"},
};

constexpr standardKey usersKeys[] = {
    {1, 0, u""},
    {2, 1, u".DEFAULT"},
    {3, 2, u"Software"},
};

constexpr hiveLayout userLayout{0600, false, userKeys, 0};
constexpr hiveLayout usersLayout{0644, true, usersKeys, 1};

constexpr std::string_view folderName = "/reZevavEvadurov/";
constexpr const char* usersHiveName = "HKEY_USERS.hive";

bool isAbsolute(const char* path)
{
    return path != nullptr && path[0] == '/';
}

std::string userConfigFolder()
{
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (isAbsolute(configHome))
    {
        return configHome;
    }
    const char* home = std::getenv("HOME");
    return isAbsolute(home) ? std::string(home) + "/.config" : std::string();
}

bool holdsUsersHive(std::string_view folder)
{
    const std::string hive = std::string(folder) + std::string(folderName) + usersHiveName;
    struct stat status
    {
    };
    return ::stat(hive.c_str(), &status) == 0;
}

// The XDG rule for reading: the first entry that holds the hive, so a session whose list starts
// with a folder of its own still reads what was written under the plain default; with none
// holding it, the first entry, where the first write makes it.
std::string systemConfigFolder()
{
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    std::string_view rest = dirs == nullptr ? std::string_view() : std::string_view(dirs);
    std::string_view first;
    while (!rest.empty())
    {
        const std::size_t colon = rest.find(':');
        const std::string_view entry = rest.substr(0, colon);
        if (!entry.empty() && entry.front() == '/')
        {
            if (holdsUsersHive(entry))
            {
                return std::string(entry);
            }
            if (first.empty())
            {
                first = entry;
            }
        }
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return first.empty() ? std::string("/etc/xdg") : std::string(first);
}

} // namespace

const hiveLayout* registryHiveLocation::layout(HKEY root)
{
    if (root == HKEY_CURRENT_USER)
    {
        return &userLayout;
    }
    return root == HKEY_USERS ? &usersLayout : nullptr;
}

std::string registryHiveLocation::path(HKEY root)
{
    if (root == HKEY_CURRENT_USER)
    {
        const std::string folder = userConfigFolder();
        return folder.empty() ? folder
                              : folder + std::string(folderName) + "HKEY_CURRENT_USER.hive";
    }
    if (root == HKEY_USERS)
    {
        return systemConfigFolder() + std::string(folderName) + usersHiveName;
    }
    return std::string();
}

} // namespace registryStore
