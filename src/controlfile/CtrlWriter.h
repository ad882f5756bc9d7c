// The writer: turns the model into control file text and puts it in place of the old file
// without ever leaving a half-written file, or no file, under the target name. The full form
// is the base control file (groups renumbered, "###" separators, deselected databases marked
// "]~"); the builder form is the control file for the index builder (groups keep their ids, no
// separators, deselected databases left out).
#pragma once

#include <cstdint>
#include <string>

#include "controlfile/CtrlModel.h"

namespace tq {

class CFile;

class CCtrlWriter {
public:
    explicit CCtrlWriter(CCtrlModel& model) : m_model(model) {}

    // The text of the model in one form. The full form renumbers the groups first.
    std::string Render(bool bFullForm);

    // Writes "<path>.NEW", flushes it to the disk, then replaces the target with it in one
    // rename and flushes the folder. When the target is the file pHeldFile holds open, that
    // file is closed for the replacement and opened again afterwards (reading, other writers
    // denied). 0; TQE_BASE_UPDATE when the new file cannot be written or put in place (the
    // old file is then intact); TQE_BASE_OPEN when the held file cannot be opened again.
    int32_t Write(const std::string& strPath, bool bFullForm, CFile* pHeldFile = nullptr);

private:
    void RenderGlobals(std::string& out) const;
    void RenderGroups(std::string& out) const;
    void RenderFamilies(std::string& out) const;
    void RenderSelectOff(std::string& out) const;
    void RenderDatabase(std::string& out, const CCtrlDatabase& db) const;
    void RenderIndexed(std::string& out, const char* pszKey, const CtrlStringList& list) const;

    // Renders into out; with pFile, writes out to the file whenever it has grown large and at
    // the end (0 or TQE_BASE_UPDATE).
    int32_t Emit(bool bFullForm, std::string& out, CFile* pFile);
    static int32_t Flush(std::string& out, CFile& file);
    int32_t WriteNewFile(const std::string& strNewPath, bool bFullForm);

    CCtrlModel& m_model;
};

}  // namespace tq
