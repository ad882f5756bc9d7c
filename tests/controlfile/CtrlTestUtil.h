#pragma once

#include <string>
#include <vector>

#include "../../fuzz/ReaderOracle.h"
#include "platform/Path.h"
#include "support/TestSupport.h"

namespace tq::test {

struct CParseResult {
    int32_t m_lResult = 0;
    std::vector<std::string> m_messages;
};

inline CParseResult ParseAndValidate(CCtrlModel& model, const std::string& text) {
    CCtrlLogCollector log;
    const int32_t lResult = fuzz::LoadText(model, text, &log);
    return {lResult, log.GetMessages()};
}

template <class... A>
std::string Msg(uint32_t id, const A&... args) {
    const std::string texts[] = {std::string(args)..., std::string()};
    return FormatLogMessage(id, sizeof...(A) > 0 ? &texts[0] : nullptr,
                            sizeof...(A) > 1 ? &texts[1] : nullptr);
}

inline std::string WinPath(const std::string& strLinux) {
    std::string w;
    ToWindowsPath(strLinux, w);
    return w;
}

inline std::string Section(const std::string& name, const std::string& extra = std::string()) {
    return "[" + name + "]\r\nGroup = 1\r\nDoc = \"C:\\" + name + ".chm\"\r\n" + extra;
}

}  // namespace tq::test
