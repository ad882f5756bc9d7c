// The tqctl commands that add and edit user applications without windows, and the topic check
// of files: check, add-app and edit-app. add-app and edit-app come in where the add wizard and
// the edit dialog do (frame/AppDialogEntry.h), on the component tqctl links, with a dialog
// provider that answers from the command line; add and edit reach the same way in through the
// automation object of that component (HostCommands.cc), so every dialog command of tqctl runs
// on one copy of the component and its dialog provider.
#pragma once

#include <string>
#include <vector>

namespace tq::tqctl {

int RunCheck(const std::vector<std::string>& args);
int RunAddApp(const std::vector<std::string>& args);
int RunEditApp(const std::vector<std::string>& args);

}  // namespace tq::tqctl
