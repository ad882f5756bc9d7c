// The tqctl commands that work on a product installation through the component: register,
// status, convert, error, list, select, deselect, remove, save and script reach it only through
// the ProgID and the module's exports; add and edit through the automation object of the
// component tqctl links, whose dialogs are those add-app and edit-app come into
// (AppCommands.h). Each uses the global options of the run (GetHost()).
#pragma once

#include <string>
#include <vector>

namespace tq::tqctl {

int RunRegister(const std::vector<std::string>& args);
int RunStatus(const std::vector<std::string>& args);
int RunConvert(const std::vector<std::string>& args);
int RunError(const std::vector<std::string>& args);
int RunList(const std::vector<std::string>& args);
int RunSelect(const std::vector<std::string>& args);
int RunDeselect(const std::vector<std::string>& args);
int RunRemove(const std::vector<std::string>& args);
int RunSave(const std::vector<std::string>& args);
int RunAdd(const std::vector<std::string>& args);
int RunEdit(const std::vector<std::string>& args);
int RunScript(const std::vector<std::string>& args);

// The global options and the script syntax, for the usage text.
const char* HostUsageText();

}  // namespace tq::tqctl
