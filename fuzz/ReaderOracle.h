// What must hold for any bytes given to the reader: it returns a code, and a model it accepts is
// written in each form to text that it accepts again and that is written back byte for byte.
#pragma once

#include <string>
#include <string_view>

#include "controlfile/CtrlLogFile.h"
#include "controlfile/CtrlModel.h"
#include "controlfile/CtrlReader.h"
#include "controlfile/CtrlWriter.h"

namespace tq::fuzz {

// Parses and validates text (no file, no current-directory change), logging to pLog if given.
inline int32_t LoadText(CCtrlModel& model, std::string_view text,
                        CCtrlLogCollector* pLog = nullptr) {
    CCtrlLogCollector log;
    CCtrlReader reader(model, pLog != nullptr ? pLog : &log);
    model.Clear();
    int32_t lResult = reader.Parse(text);
    return lResult == 0 ? reader.Validate(std::string()) : lResult;
}

// Empty when everything holds, else what went wrong.
inline std::string CheckReader(std::string_view text) {
    CCtrlModel model;
    if (LoadText(model, text) != 0) {
        return std::string();
    }
    for (bool bFull : {true, false}) {
        std::string written = CCtrlWriter(model).Render(bFull);
        CCtrlModel again;
        if (int32_t lResult = LoadText(again, written); lResult != 0) {
            return "the written text does not load again (" + std::to_string(lResult) + ")";
        }
        if (CCtrlWriter(again).Render(bFull) != written) {
            return "the written text is not written back byte for byte";
        }
    }
    return std::string();
}

}  // namespace tq::fuzz
