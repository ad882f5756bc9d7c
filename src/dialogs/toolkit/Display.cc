#include "dialogs/toolkit/Display.h"

#include <xcb/xcb.h>

#include <string>

#include "platform/Environment.h"

namespace tq {

namespace {

bool IsXDisplayReachable(const std::string& strDisplay) {
    xcb_connection_t* pConnection = xcb_connect(strDisplay.c_str(), nullptr);
    const bool bReachable = xcb_connection_has_error(pConnection) == 0;
    xcb_disconnect(pConnection);
    return bReachable;
}

std::string ReadVariable(const char* pszName) {
    std::string strValue;
    return GetEnvironmentVariable(pszName, strValue) == 0 ? strValue : std::string();
}

}  // namespace

bool HasDisplay() {
    const std::string strPlatform = ReadVariable("QT_QPA_PLATFORM");
    if (!strPlatform.empty() && !strPlatform.starts_with("xcb")) {
        return true;
    }
    const std::string strDisplay = ReadVariable("DISPLAY");
    return !strDisplay.empty() && IsXDisplayReachable(strDisplay);
}

}  // namespace tq
