// The browse settings of the add and edit dialogs, below the product's key (the settings key
// path: the product key path without its trailing backslash): the folder the user last
// browsed (per user, with the machine's value as a default) and the extensions the file list
// may show (per machine, read only).
#pragma once

#include <string>
#include <vector>

namespace tq {

constexpr const char* kCurrentFolderSubKey = "USER\\Temp\\AddTarget";
constexpr const char* kCurrentFolderValue = "CurrentFolder";
constexpr const char* kFileFilterSubKey = "USER\\AddTarget";
constexpr const char* kFileFilterValue = "Filter";

// The settings key path of a product key path: one trailing backslash removed.
std::string MakeSettingsKeyPath(const std::string& strProductKeyPath);

// The user's folder, else the machine's, else the Program Files folder; always ending in "\".
// The result is stored back as the user's folder.
std::string GetCurrentFolder(const std::string& strSettingsKeyPath);
// Stores the user's folder (creating the key); a failure is ignored.
void SetCurrentFolder(const std::string& strSettingsKeyPath, const std::string& strFolder);
// Where the edit dialog opens: the deepest existing folder on the path of the last of the
// application's documents; without one (or when that leads nowhere), where the user last
// browsed, as the wizard starts, rather than a root without a drive.
std::string GetEditStartFolder(const std::string& strSettingsKeyPath,
                               const std::vector<std::string>& docs);
// Extensions without dots separated by '|'; empty (no filtering) when not set.
std::string GetFileFilter(const std::string& strSettingsKeyPath);

}  // namespace tq
