#include "browse/LocationKeys.h"

namespace tq {

ELocationKeyAction DecideLocationKey(ELocationKey key, char cLetter, bool bCtrl,
                                     bool bDropDownOpen) {
    if (bDropDownOpen) {
        return ELocationKeyAction::kDefault;
    }
    switch (key) {
        case ELocationKey::kPageUp:
        case ELocationKey::kPageDown:
        case ELocationKey::kEnd:
        case ELocationKey::kHome:
        case ELocationKey::kLeft:
        case ELocationKey::kUp:
            return ELocationKeyAction::kSwallow;
        case ELocationKey::kRight:
        case ELocationKey::kDown:
            return ELocationKeyAction::kOpenDropDown;
        case ELocationKey::kLetter:
            if (bCtrl && (cLetter == 'D' || cLetter == 'L')) {
                return ELocationKeyAction::kToDialog;
            }
            return ELocationKeyAction::kSwallow;
        case ELocationKey::kDigit:
            return ELocationKeyAction::kSwallow;
        default:
            return ELocationKeyAction::kDefault;
    }
}

}  // namespace tq
