// What a key pressed in the location box does while its drop-down is closed: typing must not
// jump between entries, the arrows that would move the selection open the list instead, and
// the dialog's view shortcuts still reach the dialog.
#pragma once

namespace tq {

enum class ELocationKey {
    kPageUp,
    kPageDown,
    kEnd,
    kHome,
    kLeft,
    kUp,
    kRight,
    kDown,
    kLetter,  // A to Z; the letter is given beside it
    kDigit,   // 0 to 9
    kOther,
};

enum class ELocationKeyAction {
    kDefault,       // the box's own handling
    kSwallow,       // nothing happens
    kOpenDropDown,  // the list drops down
    kToDialog,      // the dialog's own shortcuts (Ctrl+D details view, Ctrl+L list view)
};

// The action of a key press; cLetter is the upper-case letter of a kLetter key. With the
// drop-down open every key gets the default handling.
ELocationKeyAction DecideLocationKey(ELocationKey key, char cLetter, bool bCtrl,
                                     bool bDropDownOpen);

}  // namespace tq
