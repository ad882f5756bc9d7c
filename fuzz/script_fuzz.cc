// libFuzzer target of tqctl script: each line through the parser's oracle, then the whole script
// against a harmless stand-in object under the component's ProgID (ScriptObject.cc).
#include <sstream>

#include "Commands.h"
#include "FuzzTarget.h"
#include "ScriptOracle.h"
#include "hostclient/AutomationClient.h"
#include "platform/Registry.h"

namespace {

constexpr const char* kStandInClsid = "{5C1A7E02-93B4-4D61-8F0A-2B6D4E8C1F35}";

class CScriptRun {
public:
    CScriptRun() : m_host(m_out, m_err) {
        int32_t err = 0;
        auto set = [&err](const std::string& strKey, const std::string& strValue) {
            tq::CRegKey key;
            err = err != 0 ? err : key.Create(tq::HKEY_CLASSES_ROOT, strKey, tq::KEY_ALL_ACCESS);
            err = err != 0 ? err : key.SetString("", strValue);
        };
        set(std::string(tq::kCtrlFileMgrProgID) + "\\CLSID", kStandInClsid);
        set(std::string("CLSID\\") + kStandInClsid + "\\InProcServer32", TQ_SCRIPT_OBJECT_MODULE);
        tq::fuzz::AbortIfFault(
            "script", err != 0 ? "cannot register the stand-in object: " + std::to_string(err)
                               : std::string());
    }

    // Runs a script; empty when it ends with one of tqctl's exit statuses.
    std::string Run(std::string_view text) {
        std::istringstream in{std::string(text)};
        int nExit = tq::tqctl::RunScriptLines(m_host, in);
        m_host.ReleaseObject();  // a new object for each input: none depends on another
        m_out.str(std::string());
        m_err.str(std::string());
        return nExit == tq::tqctl::kExitOk || nExit == tq::tqctl::kExitFailed ||
                       nExit == tq::tqctl::kExitUsage
                   ? std::string()
                   : "the script ended with exit status " + std::to_string(nExit);
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
    tq::fuzz::AbortIfFault("script", strWhy.empty() ? s_run.Run(text) : strWhy);
    return 0;
}
