#include "controlfile/CtrlPrepare.h"

#include "platform/Cp932.h"
#include "resources/ErrorCodes.h"

namespace tq {

std::string RenameDocEntry(std::string_view strEntry, std::string_view strPublicName) {
    size_t sep = std::string::npos;
    if (!strEntry.empty() && strEntry[0] == '<') {
        // The macro's own ">" closes the folder name; the separator is the next one.
        const size_t macroEnd = FindChar(strEntry, '>', 1);
        if (macroEnd != std::string::npos) {
            sep = FindChar(strEntry, '>', macroEnd + 1);
        }
    } else {
        sep = FindChar(strEntry, '>');
    }
    if (sep == std::string::npos) {
        return std::string(strEntry);
    }
    std::string renamed(strEntry.substr(0, sep + 1));
    renamed += ' ';
    renamed += strPublicName;
    return renamed;
}

namespace {

bool HasSelectionChanged(const CCtrlDatabase& db) {
    return ((db.m_dwState & DBSTATE_WAS_DESELECTED) != 0) !=
           ((db.m_dwState & DBSTATE_DESELECTED) != 0);
}

bool CanBeIndexed(const CCtrlDatabase& db) {
    return (!db.m_strDocListFile.empty() || !db.m_docs.empty()) && !db.m_groups.empty();
}

}  // namespace

int32_t PrepareForSave(CCtrlModel& model) {
    for (const auto& pDb : model.GetDatabases()) {
        CCtrlDatabase& db = *pDb;
        if (HasSelectionChanged(db)) {
            db.m_dwState |= DBSTATE_REBUILD;
            model.SetStructureChanged();
            model.SetModified();
        }
        if (db.m_dwState & DBSTATE_NAME_CHANGED) {
            // Each rewritten entry asks for the rebuild: a database indexed from its document
            // list file alone has nothing here that names it.
            for (auto& doc : db.m_docs) {
                doc = RenameDocEntry(doc, db.m_strPublicName);
                db.m_dwState |= DBSTATE_REBUILD;
            }
        }
        if ((db.m_dwState & DBSTATE_REBUILD) && !CanBeIndexed(db)) {
            return TQE_DB_INCOMPLETE;
        }
    }
    return TQ_OK;
}

}  // namespace tq
