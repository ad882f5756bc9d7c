// tqctl shot where the component's dialogs are not the toolkit's (Windows): the pictures are
// drawn by the Linux build.
#include "ShotCommand.h"

#include <iostream>

#include "Commands.h"

namespace tq::tqctl {

int RunShot(const std::vector<std::string>&) {
    std::cerr << "tqctl: shot draws the toolkit's dialogs, which this build does not have\n";
    return kExitFailed;
}

}  // namespace tq::tqctl
