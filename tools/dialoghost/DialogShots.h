// Pictures of the component's dialogs on Windows, drawn by the system over a product's folder
// and read back from the screen: the real dialogs, driven to the state each picture shows.
//
//   filelist, details          the file list in its two views, over FOLDER
//   location, location-open    the location box closed and with its list dropped down
//   wait, report               the wait dialog before its first tick; the report of FOLDER's files
//   add-files, add-name, edit  the wizard's pages and the edit dialog of the first application
#pragma once

#include <string>

namespace tq {

// Shows the dialog in the picture's state, tells where it is (AwaitCapture) and waits until the
// picture OUT (taken from the display by the caller) exists: 0, else 1.
int TakeDialogShot(const std::string& strProductPath, const std::string& strName,
                   const std::string& strFolder, const std::string& strOut);

}  // namespace tq
