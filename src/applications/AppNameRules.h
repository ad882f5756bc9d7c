// The rules for an application's name in the add wizard's name page and the edit dialog, as
// plain functions: each answers the id of the message the dialog shows (a string-table id of
// resources/StringTable.h), or 0 when the name passes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tq {

class CCtrlFile;

// "アプリケーション": the top-level group of every user application, and the parent of the group
// that each application has of its own name.
constexpr const char* kAppGroupName =
    "\x83\x41\x83\x76\x83\x8a\x83\x50\x81\x5b\x83\x56\x83\x87\x83\x93";

// Byte position of the first control character (0x00-0x1F or 0x7F; a lead byte takes the byte
// after it along), or std::string_view::npos.
size_t FindNameControlChar(std::string_view text);
// The text without leading and trailing blanks: bytes 0x00-0x20 and the full-width space.
std::string TrimAppName(std::string_view text);

// The name page's Finish before anything is added: a control character (109), nothing left
// after trimming (101), the reserved group name (108), the public name of any database,
// ignoring case (103). strName receives the trimmed name when the text gets that far.
uint32_t CheckNewAppName(const CCtrlFile& file, const std::string& strText, std::string& strName);
// Adds the free-type database of a checked name: 0 with its 0-based position among the free
// types, or 108 when the application operations refuse the name (the model is unchanged).
uint32_t AddNewAppli(CCtrlFile& file, const std::string& strName, int32_t& position);

// The name page's Finish on the text of its name field: CheckNewAppName, then AddNewAppli.
struct CNameFinish {
    uint32_t m_id = 0;                         // the message to show; 0: the application is added
    std::string m_strName;                     // the trimmed name, once the text got that far
    size_t m_nCaret = std::string_view::npos;  // the control character's byte, for the caret
    bool m_bPutBack = false;                   // the field shows the trimmed name from now on
    int32_t m_position = -1;                   // the new application's 0-based free-type position
};
CNameFinish FinishAddAppName(CCtrlFile& file, const std::string& strText);

// The edit dialog's OK for the application at index whose name was strOldName when the dialog
// opened: 109 and 101 as above; the public name of another database (103); the renames of the
// database and of its own group (108, with the database's name set back); an empty target list
// (102, with both renames undone). On 0 the model holds the new name, given in strNewName.
uint32_t ApplyEditAppName(CCtrlFile& file, int32_t index, const std::string& strOldName,
                          const std::string& strText, bool bTargetsEmpty, std::string& strNewName);

}  // namespace tq
