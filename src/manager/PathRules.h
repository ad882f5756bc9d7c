// The path rules that read the registry: the folders that a database's RegKey and ExeKey point
// at, the <WINDOWS>, <SYSTEM> and <Program Files> macros, and whether a database's application
// is installed. The rules that need no registry (controlfile/NameRules.h) come with them, since
// most callers of these use those too.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "controlfile/NameRules.h"

namespace tq {

class CCtrlDatabase;

// Folder that a RegKey (with its RegEntry) or an ExeKey of a database points at.
bool ResolveRegKeyFolder(std::string_view strRegKey, std::string_view strRegEntry,
                         std::string& strOut);
bool ResolveExeKeyFolder(std::string_view strExeKey, std::string& strOut);
// Expands a leading <WINDOWS>, <SYSTEM> or <Program Files> macro; TRUE when one was replaced.
bool ExpandPathMacro(std::string_view strIn, std::string& strOut);
// HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion "ProgramFilesDir"; registry error code.
int32_t GetProgramFilesDir(std::string& strOut);

// 1 when the database's application is installed, else 0.
int32_t IsInstalledAppli(const CCtrlDatabase& db);

}  // namespace tq
