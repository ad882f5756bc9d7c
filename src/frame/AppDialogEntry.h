// The one way into the add wizard and the edit dialog: the automation object's dialog methods
// and a host that links the component (tqctl's application commands) both come in here. The
// dialogs get the session's model, the key of the browse settings and the caption, and run on
// the current dialog provider (dialogs/DialogProvider.h), so that a provider or a parent window
// that a host sets is what they reach. The caller has taken the editing mutex and loaded.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

class CCtrlModel;
class CEditSession;

// The index of the database (type, 1-based number) as the automation interface numbers them:
// numbers of 0 and below wrap to out of range, as in the unsigned comparison. TQE_DB_TYPE,
// TQE_DB_NUMBER.
int32_t GetIndexOfNumber(const CCtrlModel& model, int32_t lType, int32_t lNumber);

// The new application's 1-based number among the free-type databases, or a negative code.
int32_t OpenAddAppDialog(CEditSession& session, const std::string& strCaption);
// The database addressed first (GetIndexOfNumber; the product's own databases, which no name
// could be given, TQE_DB_LOCKED), then the dialog: 0 when the database changed, or a code.
int32_t OpenEditAppDialog(CEditSession& session, const std::string& strCaption, int32_t lType,
                          int32_t lNumber);

}  // namespace tq
