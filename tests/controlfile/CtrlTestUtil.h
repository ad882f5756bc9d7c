#pragma once

#include <string>
#include <vector>

#include "controlfile/CtrlLogFile.h"
#include "controlfile/CtrlModel.h"
#include "controlfile/CtrlReader.h"
#include "platform/Path.h"
#include "support/TestSupport.h"

namespace tq::test {

struct CParseResult {
    int32_t m_lResult = 0;
    std::vector<std::string> m_messages;
};

// Parses and validates text (no file, no current-directory change) with a collecting log.
inline CParseResult ParseAndValidate(CCtrlModel& model, const std::string& text) {
    CCtrlLogCollector log;
    CCtrlReader reader(model, &log);
    model.Clear();
    CParseResult r;
    r.m_lResult = reader.Parse(text);
    r.m_lResult = r.m_lResult != 0 ? r.m_lResult : reader.Validate(std::string());
    r.m_messages = log.GetMessages();
    return r;
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
