#include "settings/Registry.h"

#include "system/Win32Error.h"

#include <vector>

std::optional<std::string> ReadRegistryString(HKEY root, const std::string& subkey, const std::string& name,
                                              REGSAM view)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    const RegKey key(opened);

    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::vector<char> data(size + 1, '\0');
    if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    // The stored data need not end in a NUL, or may end in several.
    return std::string(data.data(), strnlen(data.data(), size));
}

void WriteUserRegistryString(const std::string& subkey, const std::string& name, const std::string& value)
{
    HKEY created = nullptr;
    LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                  nullptr, &created, nullptr);
    if (status != ERROR_SUCCESS)
        throw Win32Error("Open settings key", "HKEY_CURRENT_USER\\" + subkey, status);
    const RegKey key(created);
    status = RegSetValueExA(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1));
    if (status != ERROR_SUCCESS)
        throw Win32Error("Save setting", "HKEY_CURRENT_USER\\" + subkey + "\\" + name, status);
}
