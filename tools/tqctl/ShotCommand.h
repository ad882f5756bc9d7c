// tqctl shot: pictures of the dialogs' pieces over a folder, drawn offscreen, for people who
// review their look without running a dialog.
#pragma once

#include <string>
#include <vector>

namespace tq::tqctl {

int RunShot(const std::vector<std::string>& args);

}  // namespace tq::tqctl
