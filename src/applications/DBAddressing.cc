// Selecting databases, and telling the user's applications from the product's databases.
#include "applications/AppliOperations.h"
#include "manager/CtrlFile.h"
#include "resources/ErrorCodes.h"

namespace tq {

int32_t CAppliOperations::CheckFreeType(int32_t index) const {
    if (!m_file.IsValidIndex(index)) {
        return TQE_DB_NUMBER;
    }
    if (static_cast<size_t>(index) < m_file.GetFixedCount() + m_file.GetSelectionCount()) {
        return TQE_DB_LOCKED;
    }
    return TQ_OK;
}

int32_t CAppliOperations::SetDBSelected(int32_t index, int32_t selected) {
    if (!m_file.IsValidIndex(index)) {
        return TQE_DB_NUMBER;
    }
    if (static_cast<size_t>(index) < m_file.GetFixedCount()) {
        return TQE_DB_LOCKED;
    }
    // No model flag: the save compares the flag with the selection it last saved, so a
    // database deselected and selected again costs nothing.
    CCtrlDatabase& db = *m_file.GetDatabase(static_cast<size_t>(index));
    if (selected == 0) {
        db.m_dwState |= DBSTATE_DESELECTED;
    } else {
        db.m_dwState &= ~DBSTATE_DESELECTED;
    }
    return TQ_OK;
}

}  // namespace tq
