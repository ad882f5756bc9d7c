// Helpers shared by the control file tests: parsing text into a model with every message kept,
// writing files in a private folder, and describing expected log messages.
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
    if (r.m_lResult == 0) {
        r.m_lResult = reader.Validate(std::string());
    }
    r.m_messages = log.GetMessages();
    return r;
}

// One expected message: its id and arguments.
inline std::string Msg(uint32_t id) {
    return FormatLogMessage(id);
}
inline std::string Msg(uint32_t id, const std::string& a) {
    return FormatLogMessage(id, &a);
}
inline std::string Msg(uint32_t id, const std::string& a, const std::string& b) {
    return FormatLogMessage(id, &a, &b);
}

// The Windows form of a Linux path.
inline std::string WinPath(const std::string& strLinux) {
    std::string w;
    ToWindowsPath(strLinux, w);
    return w;
}

// A minimal valid database section in group 1.
inline std::string Section(const std::string& name, const std::string& extra = std::string()) {
    return "[" + name + "]\r\nGroup = 1\r\nDoc = \"C:\\" + name + ".chm\"\r\n" + extra;
}

}  // namespace tq::test
