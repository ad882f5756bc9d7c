#include "manager/PathRules.h"

#include <string_view>

#include "controlfile/CtrlDatabase.h"
#include "controlfile/NameRules.h"
#include "platform/Cp932.h"
#include "platform/Path.h"
#include "platform/Registry.h"
#include "platform/Win32Error.h"

namespace tq {
namespace {

// The folder of a file path: cut before the last backslash (a drive root keeps its backslash);
// empty when the path has no backslash after its first character.
std::string FolderOfFilePath(const std::string& s, size_t* pCut = nullptr) {
    const size_t pos = FindLastBackslash(s, 1);
    if (pCut != nullptr) {
        *pCut = pos;
    }
    if (pos == std::string::npos) {
        return std::string();
    }
    return s.substr(0, s[pos - 1] == ':' ? pos + 1 : pos);
}

// A folder value without its trailing backslash, except for a drive root such as "C:\".
std::string WithoutTrailingBackslash(std::string s) {
    if (s.size() >= 4 && EndsInBackslashChar(s)) {
        s.pop_back();
    }
    return s;
}

// Opens a key named with its full root name, for reading. Only the long root names are
// accepted, as the control file writes them.
bool OpenFullKey(const std::string& strFullPath, CRegKey& key) {
    static constexpr struct {
        std::string_view m_prefix;
        HKEY m_hRoot;
    } kRoots[] = {
        {"HKEY_LOCAL_MACHINE\\", HKEY_LOCAL_MACHINE},
        {"HKEY_CURRENT_USER\\", HKEY_CURRENT_USER},
        {"HKEY_USERS\\", HKEY_USERS},
        {"HKEY_CLASSES_ROOT\\", HKEY_CLASSES_ROOT},
    };
    for (const auto& root : kRoots) {
        if (StartsWithNoCase(strFullPath, root.m_prefix)) {
            return key.Open(root.m_hRoot, strFullPath.substr(root.m_prefix.size()), KEY_READ) ==
                   ERROR_SUCCESS;
        }
    }
    return false;
}

// Reads a value as text: its data up to the first zero byte, whatever its type.
bool ReadText(const CRegKey& key, const std::string& strName, std::string& strOut) {
    uint32_t type = REG_NONE;
    std::string data;
    if (key.QueryValue(strName, type, data) != ERROR_SUCCESS) {
        return false;
    }
    strOut.assign(data.c_str());
    return true;
}

// The Windows, system or Program Files folder that a macro at the start of `rest` names, and
// the length of the macro's name; false when `rest` names none or the folder is not available.
bool GetMacroBase(std::string_view rest, std::string& strBase, size_t& nameLength) {
    static constexpr std::string_view kWindows = "WINDOWS";
    static constexpr std::string_view kSystem = "SYSTEM";
    static constexpr std::string_view kProgramFiles = "Program Files";
    for (std::string_view name : {kWindows, kSystem, kProgramFiles}) {
        if (rest.size() <= name.size() || rest[name.size()] != '>' ||
            !StartsWithNoCase(rest, name)) {
            continue;
        }
        std::string base;
        if (name == kWindows) {
            base = GetWindowsDirectory();
        } else if (name == kSystem) {
            base = GetSystemDirectory();
        } else if (GetProgramFilesDir(base) != ERROR_SUCCESS) {
            return false;
        }
        if (base.size() > MAX_PATH) {
            return false;
        }
        strBase = std::move(base);
        nameLength = name.size();
        return true;
    }
    return false;
}

// Cuts a document entry before the first `c` found after its first character and trims the
// white space that is then left at its end.
void CutBefore(std::string& s, char c) {
    const size_t pos = FindChar(s, c);
    if (pos != std::string::npos && pos > 0) {
        s.assign(TrimRightWhite(std::string_view(s).substr(0, pos)));
    }
}

bool IsFolder(std::string_view strPath) {
    return GetPathType(std::string(strPath)) == PATH_FOLDER;
}

std::string_view EntryAt(const CtrlStringList& list, size_t i) {
    return i < list.size() ? std::string_view(list[i]) : std::string_view();
}

// Step 4 of the installed test: whether a document of a database without registry references
// exists. `bTested` reports whether any document could be looked for at all.
bool AnyDocumentExists(const CCtrlDatabase& db, bool& bTested) {
    for (const auto& doc : db.m_docs) {
        std::string path;
        ExpandPathMacro(doc, path);
        if (path.size() <= 2) {
            continue;
        }
        const bool bDrive = path[1] == ':' && path[2] == '\\';
        const bool bUnc = path[0] == '\\' && path[1] == '\\';
        if (!bDrive && !bUnc) {
            continue;
        }
        CutBefore(path, '|');
        CutBefore(path, '>');
        // Placeholder documents (".dmy") stand for nothing on the disk.
        if (EndsWithNoCase(path, ".dmy")) {
            continue;
        }
        bTested = true;
        CFindFile find;
        CFindData data;
        if (find.FindFirst(path, data) == ERROR_SUCCESS) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool ResolveRegKeyFolder(std::string_view strRegKey, std::string_view strRegEntry,
                         std::string& strOut) {
    CRegKey key;
    if (!OpenFullKey(std::string(strRegKey), key)) {
        return false;
    }
    std::string value;
    std::string result;
    if (strRegEntry.empty()) {
        // Installers name the folder in one of these values; the first one present wins.
        // RootPath and InstalledPath name a file inside the folder.
        static constexpr struct {
            const char* m_pszName;
            bool m_bFilePath;
        } kValues[] = {
            {"RootPath", true}, {"InstalledDir", false}, {"InstalledPath", true},
            {"Path", false},    {"InstallPath", false},
        };
        bool bFound = false;
        for (const auto& v : kValues) {
            if (ReadText(key, v.m_pszName, value)) {
                result = v.m_bFilePath ? FolderOfFilePath(value) : WithoutTrailingBackslash(value);
                bFound = true;
                break;
            }
        }
        if (!bFound) {
            return false;
        }
    } else {
        // A RegEntry written as "" (kept as a line feed) names the key's default value.
        const std::string name(strRegEntry[0] == '\n' ? std::string_view() : strRegEntry);
        if (!ReadText(key, name, value)) {
            return false;
        }
        result = GetPathType(value) == PATH_FILE ? FolderOfFilePath(value)
                                                 : WithoutTrailingBackslash(value);
    }
    strOut = std::move(result);
    return true;
}

bool ResolveExeKeyFolder(std::string_view strExeKey, std::string& strOut) {
    CRegKey key;
    std::string value;
    if (!OpenFullKey(std::string(strExeKey), key) || !ReadText(key, std::string(), value)) {
        return false;
    }
    size_t cut = std::string::npos;
    std::string result = FolderOfFilePath(value, &cut);
    // "C:\Apps\\tool.exe": the doubled backslash goes too, unless it opens a UNC name.
    if (cut != std::string::npos && cut >= 2 && value[cut - 1] != ':' &&
        EndsInBackslashChar(result)) {
        result.pop_back();
    }
    strOut = std::move(result);
    return true;
}

bool ExpandPathMacro(std::string_view strIn, std::string& strOut) {
    std::string base;
    size_t nameLength = 0;
    if (strIn.empty() || strIn[0] != '<' || !GetMacroBase(strIn.substr(1), base, nameLength)) {
        strOut.assign(strIn);
        return false;
    }
    const std::string_view rest = strIn.substr(nameLength + 2);
    size_t pos = 0;
    if (rest.starts_with("..")) {
        if (EndsInBackslashChar(base)) {
            base.pop_back();
        }
        while (rest.substr(pos).starts_with("..")) {
            const size_t cut = FindLastBackslash(base, 1);
            base.resize(cut == std::string::npos ? 0 : cut);
            if (rest.size() - pos <= 3) {
                // "..", or ".." and one more character, ends the path at the parent folder.
                strOut = std::move(base);
                return true;
            }
            pos += 3;
        }
        // Keep the backslash that ended the last "..\".
        pos -= 1;
    }
    strOut = base + std::string(rest.substr(pos));
    return true;
}

int32_t GetProgramFilesDir(std::string& strOut) {
    CRegKey key;
    int32_t rc =
        key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", KEY_READ);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    uint32_t type = REG_NONE;
    std::string data;
    rc = key.QueryValue("ProgramFilesDir", type, data);
    if (rc == ERROR_SUCCESS) {
        strOut.assign(data.c_str());
    }
    return rc;
}

int32_t IsInstalledAppli(const CCtrlDatabase& db) {
    bool bTested = false;
    std::string folder;
    for (size_t i = 0; i < db.m_regKey.size(); ++i) {
        if (db.m_regKey[i].empty()) {
            continue;
        }
        if (ResolveRegKeyFolder(db.m_regKey[i], EntryAt(db.m_regEntry, i), folder) &&
            IsFolder(folder)) {
            return 1;
        }
        if (i < db.m_rootOrgPath.size() && IsFolder(db.m_rootOrgPath[i])) {
            return 1;
        }
        bTested = true;
    }
    for (size_t i = 0; i < db.m_exeKey.size(); ++i) {
        if (db.m_exeKey[i].empty()) {
            continue;
        }
        if (ResolveExeKeyFolder(db.m_exeKey[i], folder) && IsFolder(folder)) {
            return 1;
        }
        if (i < db.m_exeOrgPath.size() && IsFolder(db.m_exeOrgPath[i])) {
            return 1;
        }
        bTested = true;
    }
    if (bTested) {
        return 0;
    }
    if (AnyDocumentExists(db, bTested)) {
        return 1;
    }
    // A database that names nothing to look for counts as installed.
    return bTested ? 0 : 1;
}

}  // namespace tq
