#include "browse/BrowseSettings.h"

#include "browse/FolderPath.h"
#include "browse/SettingsRegKey.h"
#include "manager/PathRules.h"
#include "platform/Win32Error.h"

namespace tq {

namespace {

// The Program Files folder as the registry names it; the prefix's usual one when the value
// is missing, so the dialogs still open somewhere that exists.
std::string GetProgramFilesFolder() {
    std::string strFolder;
    if (GetProgramFilesDir(strFolder) != ERROR_SUCCESS || strFolder.empty()) {
        strFolder = "C:\\Program Files";
    }
    return strFolder;
}

}  // namespace

std::string MakeSettingsKeyPath(const std::string& strProductKeyPath) {
    std::string strPath = strProductKeyPath;
    if (LastByteClass(strPath) == 1 && strPath.back() == '\\') {
        strPath.pop_back();
    }
    return strPath;
}

std::string GetCurrentFolder(const std::string& strSettingsKeyPath) {
    std::string strFolder;
    CSettingsRegKey user(strSettingsKeyPath, HKEY_CURRENT_USER);
    if (user.ReadString(kCurrentFolderSubKey, kCurrentFolderValue, strFolder) != 0) {
        CSettingsRegKey machine(strSettingsKeyPath, HKEY_LOCAL_MACHINE);
        machine.ReadString(kCurrentFolderSubKey, kCurrentFolderValue, strFolder);
    }
    if (strFolder.empty()) {
        strFolder = GetProgramFilesFolder();
    }
    AppendBackslash(strFolder);
    user.WriteString(kCurrentFolderSubKey, kCurrentFolderValue, strFolder, true);
    return strFolder;
}

void SetCurrentFolder(const std::string& strSettingsKeyPath, const std::string& strFolder) {
    CSettingsRegKey user(strSettingsKeyPath, HKEY_CURRENT_USER);
    user.WriteString(kCurrentFolderSubKey, kCurrentFolderValue, strFolder, true);
}

std::string GetEditStartFolder(const std::string& strSettingsKeyPath,
                               const std::vector<std::string>& docs) {
    if (!docs.empty()) {
        std::string strFolder = CFolderPath(docs.back()).DeepestExisting();
        if (!strFolder.empty()) {
            return strFolder;
        }
    }
    return GetCurrentFolder(strSettingsKeyPath);
}

std::string GetFileFilter(const std::string& strSettingsKeyPath) {
    std::string strFilter;
    CSettingsRegKey machine(strSettingsKeyPath, HKEY_LOCAL_MACHINE);
    machine.ReadString(kFileFilterSubKey, kFileFilterValue, strFilter);
    return strFilter;
}

}  // namespace tq
