#pragma once
// String values in the registry, read and written through keys that close themselves.
#include "system/ScopedHandle.h"

#include <optional>
#include <string>

// The string value `name` under `root\subkey`; nothing when the key or the value is absent or
// the value is not a string. `view` selects a registry view (KEY_WOW64_32KEY) or is 0.
std::optional<std::string> ReadRegistryString(HKEY root, const std::string& subkey, const std::string& name,
                                              REGSAM view = 0);

// Writes the string value `name` under HKEY_CURRENT_USER\subkey, creating the key as needed.
// Throws Win32Error on failure.
void WriteUserRegistryString(const std::string& subkey, const std::string& name, const std::string& value);
