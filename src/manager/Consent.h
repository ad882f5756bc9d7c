// The answer to a question that a change asks of the user before it is made (the confirmation of
// a save that writes the files, of the removal of an application). The model and the operations
// on it never ask: the session that edits asks (CEditSession, through the process's message
// box) and hands the answer to the change.
#pragma once

#include <cstdint>

#include "resources/ErrorCodes.h"

namespace tq {

enum class EConsent {
    kGiven,    // go on: the user said Yes, or nobody is to be asked (a conversion, a test)
    kRefused,  // the user said No: the change gives TQE_CANCELLED and changes nothing
    kPending,  // nobody has been asked yet: a change that needs the answer gives CONSENT_NEEDED
};

// What a change gives, having changed nothing, when it needs an answer it was not given: the
// caller asks and calls it again with the answer. Never passed on beyond the session.
constexpr int32_t CONSENT_NEEDED = 1;

// What a change that needs consent does with the answer: 0 (go on), CONSENT_NEEDED or
// TQE_CANCELLED.
inline int32_t CheckConsent(EConsent consent) {
    if (consent == EConsent::kGiven) {
        return TQ_OK;
    }
    return consent == EConsent::kPending ? CONSENT_NEEDED : TQE_CANCELLED;
}

}  // namespace tq
