// tqctl: the command-line host of the control-information manager. Terminal text is UTF-8;
// control files are code page 932. Exit status: 0 success, 1 failure, 2 bad command line.
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "Host.h"

namespace tq::tqctl {
namespace {

int UsageError(const std::string& strWhy) {
    std::cerr << "tqctl: " << strWhy << "\n\n" << UsageText();
    return kExitUsage;
}

int Main(const std::vector<std::string>& args) {
    size_t i = 0;
    std::string strError;
    CHostOptions& options = GetHost().GetOptions();
    if (!options.Parse(args, i, strError)) {
        return UsageError(strError);
    }
    if (options.m_bHelp) {
        std::cout << UsageText();
        return kExitOk;
    }
    if (!GetHost().Prepare(strError)) {
        std::cerr << "tqctl: " << strError << '\n';
        return kExitFailed;
    }
    if (i >= args.size()) {
        return UsageError("no command");
    }
    const CCommand* pCommand = FindCommand(args[i]);
    if (pCommand == nullptr) {
        return UsageError("unknown command " + args[i]);
    }
    int nExit = pCommand->m_pfnRun(std::vector<std::string>(args.begin() + i + 1, args.end()));
    if (nExit == kExitUsage) {
        return UsageError(std::string("usage: tqctl ") + pCommand->m_pszName + " " +
                          pCommand->m_pszArgs);
    }
    return nExit;
}

}  // namespace
}  // namespace tq::tqctl

int main(int argc, char** argv) {
    try {
        return tq::tqctl::Main(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::cerr << "tqctl: " << e.what() << '\n';
        return tq::tqctl::kExitFailed;
    }
}
