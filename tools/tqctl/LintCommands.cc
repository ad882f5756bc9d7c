// lint and rewrite: the reader and the writer on one file, without any product registry (no
// group unique ids) and without an indexing log.
#include "Commands.h"
#include "controlfile/CtrlLogFile.h"
#include "controlfile/CtrlModel.h"
#include "controlfile/CtrlReader.h"
#include "controlfile/CtrlWriter.h"
#include "platform/File.h"
#include "resources/ErrorCodes.h"

namespace tq::tqctl {

namespace {

// Loads FILE with every check; the messages are printed as if the log had been open from the
// first line on.
int32_t LoadAndReport(const std::string& strLinuxPath, CCtrlModel& model, CFile& file) {
    std::string strPath;
    if (ToWindowsForm(strLinuxPath, strPath) != 0) {
        return TQE_BASE_OPEN;
    }
    CCtrlLogCollector log;
    int32_t lResult = CCtrlReader(model, &log).Load(file, strPath);
    for (const std::string& message : log.GetMessages()) {
        PrintLine(message);
    }
    return lResult;
}

}  // namespace

int RunLint(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return kExitUsage;
    }
    CCtrlModel model;
    CFile file;
    return PrintResult(LoadAndReport(args[0], model, file));
}

int RunRewrite(const std::vector<std::string>& args) {
    bool bBuilder = false;
    std::vector<std::string> paths;
    for (const std::string& a : args) {
        if (a == "--builder") {
            bBuilder = true;
        } else {
            paths.push_back(a);
        }
    }
    if (paths.size() != 2) {
        return kExitUsage;
    }
    // OUT is taken from the working directory, as FILE is.
    std::string strOut;
    if (ToWindowsForm(paths[1], strOut) != 0) {
        return PrintResult(TQE_BASE_UPDATE);
    }
    CCtrlModel model;
    CFile file;
    int32_t lResult = LoadAndReport(paths[0], model, file);
    if (lResult == 0) {
        // The loaded file is held open; when OUT is that file the writer lets go of it for
        // the replacement.
        lResult = CCtrlWriter(model).Write(strOut, !bBuilder, &file);
    }
    return PrintResult(lResult);
}

}  // namespace tq::tqctl
