// .reg files: import and export of registry keys in the two text forms regedit knows.
//
//   REGEDIT4                                  code page 932 text
//   Windows Registry Editor Version 5.00      UTF-16LE text with a byte order mark
//
// followed by sections
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Key]         create the key (and the keys above it)
//   [-HKEY_LOCAL_MACHINE\SOFTWARE\Old]        delete the key with everything below it
//   "Name"="text"                             REG_SZ ("\\" and "\"" are the escapes)
//   @="text"                                  the key's default value
//   "Name"=dword:0000000a                     REG_DWORD
//   "Name"=hex:01,02,ff                       REG_BINARY
//   "Name"=hex(7):61,00,00,\                  any type N (hex); a "\" at the end of a line
//     62,00,00,00                             continues the list on the next line
//   "Name"=-                                  delete the value
//
// and lines starting with ";" (comments). In the UTF-16 form the bytes of hex(1), hex(2) and
// hex(7) values are UTF-16LE text, as regedit writes them; the registry itself holds code page
// 932, so they are converted on the way in and out.
//
// An import is one CRegistryBatch: a file with an error changes nothing, and the error names
// the file and the line. A key path may go at most 512 levels below its hive's root, as on
// Windows; the export refuses a deeper tree (ERROR_INVALID_DATA) rather than walk it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace tq {

// The error of an import that stops at a line it cannot read.
constexpr int32_t ERROR_INVALID_DATA = 13;

// Where and why an import or export failed. Messages are UTF-8 (they go to a terminal).
struct CRegFileError {
    std::string m_strFile;
    uint32_t m_nLine = 0;  // 0 when no line applies
    std::string m_strMessage;

    // "FILE:LINE: message", or "FILE: message" without a line.
    std::string Format() const;
};

// Imports the bytes of a .reg file; strName names it in errors. Returns ERROR_SUCCESS, or the
// error that stopped it (ERROR_INVALID_DATA for a line it cannot read, else the registry's
// error), with error filled in; nothing is imported then.
int32_t ImportRegText(std::string_view bytes, const std::string& strName, CRegFileError& error);
// Imports a .reg file given by its Linux path.
int32_t ImportRegFile(const std::string& strLinuxPath, CRegFileError& error);

// Exports a key with everything below it: REGEDIT4 in code page 932, or the UTF-16LE form when
// bUnicode. Lines end in CR LF. ERROR_FILE_NOT_FOUND when the key does not exist.
int32_t ExportRegText(HKEY root, const std::string& strSubKey, bool bUnicode, std::string& out,
                      CRegFileError& error);
// Exports to a file given by its Linux path; the file is written whole or not at all.
int32_t ExportRegFile(HKEY root, const std::string& strSubKey, bool bUnicode,
                      const std::string& strLinuxPath, CRegFileError& error);

}  // namespace tq
