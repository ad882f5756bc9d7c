// libFuzzer target of tqctl script: any bytes, split into lines as tqctl reads them, go through
// the parser's oracle, then run whole as a script against a harmless stand-in object registered
// under the component's ProgID in a private prefix (see ScriptObject.cc).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "AutomationClient.h"
#include "Commands.h"
#include "PrivatePrefix.h"
#include "ScriptOracle.h"
#include "platform/Registry.h"

namespace {

constexpr const char* kStandInClsid = "{5C1A7E02-93B4-4D61-8F0A-2B6D4E8C1F35}";

class CScriptRun {
public:
    CScriptRun() : m_host(m_out, m_err) {
        tq::CRegKey key;
        int32_t err =
            key.Create(tq::HKEY_CLASSES_ROOT, std::string(tq::kCtrlFileMgrProgID) + "\\CLSID",
                       tq::KEY_ALL_ACCESS);
        if (err == 0) {
            err = key.SetString("", kStandInClsid);
        }
        if (err == 0) {
            err = key.Create(tq::HKEY_CLASSES_ROOT,
                             std::string("CLSID\\") + kStandInClsid + "\\InProcServer32",
                             tq::KEY_ALL_ACCESS);
        }
        if (err == 0) {
            err = key.SetString("", TQ_SCRIPT_OBJECT_MODULE);
        }
        if (err != 0) {
            std::fprintf(stderr, "script_fuzz: cannot register the stand-in object: %d\n", err);
            std::abort();
        }
    }

    // Runs a script; empty when it ends with one of tqctl's exit statuses.
    std::string Run(std::string_view text) {
        std::istringstream in{std::string(text)};
        int nExit = tq::tqctl::RunScriptLines(m_host, in);
        // Each input gets a new object, so that no input depends on the ones before.
        m_host.ReleaseObject();
        m_out.str(std::string());
        m_err.str(std::string());
        if (nExit != tq::tqctl::kExitOk && nExit != tq::tqctl::kExitFailed &&
            nExit != tq::tqctl::kExitUsage) {
            return "the script ended with exit status " + std::to_string(nExit);
        }
        return std::string();
    }

private:
    tq::fuzz::CPrivatePrefix m_prefix{"script"};
    std::ostringstream m_out, m_err;
    tq::tqctl::CHost m_host;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cb) {
    static CScriptRun s_run;
    std::string_view text(reinterpret_cast<const char*>(pData), cb);
    std::string strWhy = tq::fuzz::CheckScript(text);
    if (strWhy.empty()) {
        strWhy = s_run.Run(text);
    }
    if (!strWhy.empty()) {
        std::fprintf(stderr, "script oracle: %s\n", strWhy.c_str());
        std::abort();
    }
    return 0;
}
