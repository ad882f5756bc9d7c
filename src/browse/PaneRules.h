// The rules of the file-selection pane that the add wizard's first page and the edit dialog
// share, whatever toolkit draws it: which keys of the location box and the file list act before
// the dialog's own key handling, what Enter in the file list does, and which button is the
// dialog's default while the focus moves.
#pragma once

#include <string>

namespace tq {

class CFileListModel;

// Where a key press goes.
enum class EPaneControl { kOther, kLocation, kFiles };
enum class EPaneKey { kBackspace, kD, kL, kF4, kF5, kOther };
enum class EPaneAction {
    kNone,          // not the pane's: the dialog and the control handle it
    kUp,            // one folder up
    kDetailsView,   // view mode 1
    kListView,      // view mode 3
    kOpenLocation,  // focus the location box and drop its list down
    kRefresh,       // read the shown folder again
};
// The pane's action for a key pressed in a control (with Ctrl held or not); Backspace in the
// location box is its own while the drop-down is open.
EPaneAction DecidePaneKey(EPaneKey key, EPaneControl control, bool bCtrl, bool bDropDownOpen);

enum class EListEnter { kOpenFolder, kAdd, kClearSelection };
// Enter in the file list: the one selected row, a folder, opens (strFolder receives it); else Add
// when it is enabled; else the selection is cleared and the first row gets the focus.
EListEnter DecideListEnter(const CFileListModel& list, bool bAddEnabled, std::string& strFolder);

enum class EDefaultButton { kKeep, kAdd, kDialog };
// The default button when the focus moves to a control of the dialog: a push button takes Enter
// itself (kKeep); in the file list Enter adds the chosen files (Add); anywhere else it is the
// dialog's own button's (Next, Finish or OK).
EDefaultButton DecideDefaultButton(bool bFocusIsPushButton, bool bFocusInFileList);

}  // namespace tq
