#include "manager/PathRules.h"

#include <string_view>

#include "controlfile/CtrlDatabase.h"
#include "platform/Cp932.h"
#include "platform/Path.h"
#include "platform/Prefix.h"
#include "platform/Registry.h"
#include "platform/Win32Error.h"

namespace tq {
namespace {

// The lead-byte rule of the trailing-backslash tests: every byte 0x80-0x9F or 0xE0-0xFF starts a
// double-byte character, even the few that code page 932 leaves unassigned, so that a broken
// sequence never lets its second byte pass for a backslash.
bool StartsDoubleByte(uint8_t b) {
    return (b >= 0x80 && b <= 0x9F) || b >= 0xE0;
}

size_t NextCharPos(std::string_view s, size_t pos) {
    return pos + (StartsDoubleByte(static_cast<uint8_t>(s[pos])) && pos + 1 < s.size() ? 2 : 1);
}

// Position of the last backslash character at or after byte position `from`.
size_t FindLastBackslash(std::string_view s, size_t from) {
    size_t found = std::string_view::npos;
    for (size_t pos = 0; pos < s.size(); pos = NextCharPos(s, pos)) {
        if (s[pos] == '\\' && pos >= from) {
            found = pos;
        }
    }
    return found;
}

bool EndsInBackslashChar(const std::string& s) {
    return !s.empty() && s.back() == '\\' && LastByteClass(s) == 1;
}

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

int32_t LastByteClass(std::string_view s) {
    int32_t cls = 0;
    for (unsigned char b : s) {
        if (cls == 2) {
            cls = 3;
        } else {
            cls = StartsDoubleByte(b) ? 2 : 1;
        }
    }
    return cls;
}

void AppendBackslash(std::string& s) {
    if (!EndsInBackslashChar(s)) {
        s.push_back('\\');
    }
}

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

int32_t GetPathType(const std::string& strPath, CFindData* pFind) {
    uint32_t attributes = 0;
    if (strPath.empty() || GetFileAttributes(strPath, attributes) != ERROR_SUCCESS) {
        return PATH_NONE;
    }
    if (pFind != nullptr) {
        // A search may list other entries first (a name matched by its short form); the record
        // describes the entry whose name ends the path.
        CFindFile find;
        CFindData data;
        for (int32_t rc = find.FindFirst(strPath, data); rc == ERROR_SUCCESS;
             rc = find.FindNext(data)) {
            if (data.m_strName.size() <= strPath.size() &&
                EqualsNoCase(
                    std::string_view(strPath).substr(strPath.size() - data.m_strName.size()),
                    data.m_strName)) {
                *pFind = data;
                break;
            }
        }
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PATH_FOLDER : PATH_FILE;
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

int32_t CheckDatabaseName(std::string_view strName) {
    if (strName.empty()) {
        return DBNAME_EMPTY;
    }
    if (strName.size() > 64) {
        return DBNAME_TOO_LONG;
    }
    if (EqualsNoCase(strName, "RESOURCE")) {
        return DBNAME_RESERVED;
    }
    // The name becomes a folder name and a key of the control file.
    static constexpr std::string_view kForbidden = "\\/:,;*?\"<>|";
    for (size_t pos = 0; pos < strName.size(); pos = NextCharPos(strName, pos)) {
        const auto b = static_cast<uint8_t>(strName[pos]);
        if (!StartsDoubleByte(b) && kForbidden.find(strName[pos]) != std::string_view::npos) {
            return DBNAME_BAD_CHAR;
        }
    }
    for (size_t pos = 0; pos < strName.size(); ++pos) {
        const auto b = static_cast<uint8_t>(strName[pos]);
        if (b < 0x20) {
            return DBNAME_BAD_CHAR;
        }
        if (b >= 0xA0 && b <= 0xDF) {
            return DBNAME_HALF_KANA;
        }
        if (StartsDoubleByte(b)) {
            // A lead byte at the end has no second byte at all.
            if (pos + 1 >= strName.size() || static_cast<uint8_t>(strName[pos + 1]) < 0x40) {
                return DBNAME_BAD_CHAR;
            }
            ++pos;
        }
    }
    return DBNAME_OK;
}

bool ToUniversalPath(std::string& strPath) {
    if (strPath.size() < 3) {
        return false;
    }
    const char drive = strPath[0];
    const bool bLetter = (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
    if (!bLetter || strPath[1] != ':' || strPath[2] != '\\' ||
        GetDriveType(strPath.substr(0, 3)) != DRIVE_REMOTE) {
        return false;
    }
    std::string universal;
    uint32_t required = 0;
    int32_t rc = WNetGetUniversalName(strPath, static_cast<uint32_t>(strPath.size()) + 524,
                                      universal, required);
    if (rc == ERROR_MORE_DATA) {
        rc = WNetGetUniversalName(strPath, required, universal, required);
    }
    if (rc != ERROR_SUCCESS) {
        return false;
    }
    strPath = std::move(universal);
    return true;
}

void SplitPath(const std::string& strPath, std::string& strFolder, std::string& strFile) {
    size_t start = 0;
    if (strPath.size() >= 2 && strPath[1] == ':' &&
        !StartsDoubleByte(static_cast<uint8_t>(strPath[0]))) {
        start = 2;
    }
    size_t end = start;  // just after the last folder separator
    for (size_t pos = start; pos < strPath.size(); pos = NextCharPos(strPath, pos)) {
        if (strPath[pos] == '\\' || strPath[pos] == '/') {
            end = pos + 1;
        }
    }
    strFolder = strPath.substr(0, end);
    strFile = strPath.substr(end);
}

bool MakeFullPath(std::string& strPath, const std::string& strFolder) {
    std::string full;
    if (GetFullPathName(strPath, strFolder, full) != ERROR_SUCCESS) {
        return false;
    }
    strPath = std::move(full);
    return true;
}

bool MakeTempName(const std::string& strFolder, std::string& strOut) {
    std::string path;
    if (GetTempFileName(strFolder, "TQ", path) != ERROR_SUCCESS) {
        return false;
    }
    // Only the unique name is wanted; the caller creates its own file under it.
    DeleteFile(path);
    strOut = std::move(path);
    return true;
}

}  // namespace tq
