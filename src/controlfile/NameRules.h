// The name and path rules of the control files that need no registry: the trailing-backslash
// tests, the database-name rule, the type of a path on the disk, and full, universal and
// temporary names. All strings are code page 932; every rule that looks for a backslash looks
// for the character, never for the second byte of a double-byte character.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/File.h"

namespace tq {

// Class of the last byte: 1 single-byte character, 2 lead byte, 3 second byte; 0 when empty.
int32_t LastByteClass(std::string_view s);
// Appends "\" unless the text already ends in a backslash character ("" becomes "\").
void AppendBackslash(std::string& s);
// Whether the text ends in a backslash character.
bool EndsInBackslashChar(const std::string& s);
// Position of the last backslash character at or after byte position `from`; npos for none.
size_t FindLastBackslash(std::string_view s, size_t from);

constexpr int32_t PATH_NONE = 0;
constexpr int32_t PATH_FILE = 1;
constexpr int32_t PATH_FOLDER = 2;
// 0 does not exist, 1 file, 2 folder. With pFind, also describes the very entry found.
int32_t GetPathType(const std::string& strPath, CFindData* pFind = nullptr);

// Verdicts of CheckDatabaseName.
constexpr int32_t DBNAME_OK = 0;
constexpr int32_t DBNAME_BAD_CHAR = 1;  // forbidden or control character, broken double-byte
constexpr int32_t DBNAME_HALF_KANA = 2;
constexpr int32_t DBNAME_EMPTY = 3;
constexpr int32_t DBNAME_RESERVED = 4;  // "RESOURCE"
constexpr int32_t DBNAME_TOO_LONG = 5;  // more than 64 bytes
int32_t CheckDatabaseName(std::string_view strName);

// Replaces a path on a remote drive by its UNC form; TRUE when it did.
bool ToUniversalPath(std::string& strPath);
// Folder = drive and directory (with its trailing backslash), file = name and extension.
void SplitPath(const std::string& strPath, std::string& strFolder, std::string& strFile);
// Replaces the path by its absolute form against the folder, or against the current directory
// when no folder is given.
bool MakeFullPath(std::string& strPath, const std::string& strFolder = std::string());
// Creates a uniquely numbered "TQ" temporary file in the folder, deletes it, gives its full path.
bool MakeTempName(const std::string& strFolder, std::string& strOut);

}  // namespace tq
