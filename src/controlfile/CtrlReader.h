// The reader: turns the text of a base control file or a control file into the model, checks
// the result and reports every problem, with the offending line, to a log sink. Loading either
// succeeds completely or returns the first error code; the model is then unusable.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "controlfile/CtrlModel.h"

namespace tq {

class CCtrlLog;
class CFile;

class CCtrlReader {
public:
    // pLog null: logging off (a load made only to compare files).
    CCtrlReader(CCtrlModel& model, CCtrlLog* pLog) : m_model(model), m_pLog(pLog) {}

    // The load entry: clears the model, reads strPath (through file when it is already open,
    // else opening it into file for reading with other writers denied, and leaving it open),
    // parses, and on success stores the path in *pLoadedPath (when given) and validates. The
    // log is started by an OutputLog line and closed at the end. 0 or the first error code.
    int32_t Load(CFile& file, const std::string& strPath, std::string* pLoadedPath = nullptr);

    // The steps of Load on text already in memory.
    int32_t Parse(std::string_view text);
    // The checks after parsing. Relative paths in the file are taken from the folder of strPath
    // (from the current directory when strPath has none); the current directory stays as it is.
    int32_t Validate(const std::string& strPath);

private:
    int32_t ParseFile(CFile& file);
    void BeginParse();
    // Handles the complete lines of text, and with bFinal also a last line without line end;
    // text keeps what is left. A 0x1A byte ends the text: bEnd is set and nothing after it
    // counts.
    int32_t ParseLines(std::string_view& text, bool bFinal, bool& bEnd);
    int32_t ParseLine(std::string_view line);
    int32_t ParseSection(std::string_view line);
    int32_t ParseSeparator(std::string_view line);
    int32_t SplitKeyLine(std::string_view line, std::string_view& key, std::string_view& value);
    int32_t ParseGlobalKey(std::string_view line, std::string_view key, std::string_view value);
    int32_t ParseSelectOffGroups(std::string_view line, std::string_view value);
    int32_t ParseFamily(std::string_view line, std::string_view rest, std::string_view value);
    int32_t ParseSectionKey(std::string_view line, std::string_view key, std::string_view value);
    int32_t ParseDBGroup(std::string_view line, std::string_view value);
    int32_t ParseFaq(std::string_view line, std::string_view value);
    int32_t StoreIndexedKey(std::string_view line, std::string_view suffix, CtrlStringList& list,
                            std::string_view value);

    int32_t ValidateDatabase(CCtrlDatabase& db, bool bDuplicate);
    int32_t CheckFileExists(const CCtrlDatabase& db, std::string_view strPath, uint32_t idMsg);

    // Logs message id with the line (before the first section) or the database name and the
    // line (in a section) and returns lResult.
    int32_t Fail(uint32_t idGlobal, uint32_t idInSection, std::string_view line, int32_t lResult);
    // Writes message id with its %1 and %2 arguments, when a log is given.
    int32_t Log(uint32_t id, std::initializer_list<std::string_view> args = {});

    CCtrlModel& m_model;
    CCtrlLog* m_pLog;
    int32_t m_nSection = -1;
    int32_t m_nSeparators = 0;
    CCtrlDatabase* m_pDb = nullptr;
    std::string m_strFolder;  // of the file being validated: takes its relative paths
};

// Number at the start of a text as the file's numbers are read: leading white space and a sign
// allowed, reading stops at the first non-digit, no digits give 0; saturates instead of
// overflowing.
int32_t ParseLeadingNumber(std::string_view text);

}  // namespace tq
