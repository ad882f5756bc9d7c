// The tqctl commands that add and edit user applications without windows, and the topic check
// of files: check, add-app and edit-app. Unlike the other product commands they use the
// component's C++ operations directly (the wizard and the edit dialog have no dispatch form).
#pragma once

#include <string>
#include <vector>

namespace tq::tqctl {

int RunCheck(const std::vector<std::string>& args);
int RunAddApp(const std::vector<std::string>& args);
int RunEditApp(const std::vector<std::string>& args);

}  // namespace tq::tqctl
