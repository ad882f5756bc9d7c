#include "HostCommands.h"

#include <fstream>
#include <iostream>

#include "Libraries.h"
#include "ScriptRunner.h"
#include "frame/CtrlFileMgr.h"
#include "platform/ComHost.h"
#include "platform/Cp932.h"

namespace tq::tqctl {

namespace {

constexpr int32_t kTypeFixed = 1;
constexpr int32_t kTypeFree = 3;

// A call of the friendly commands: the dispatch interface refusing it is a fault of the host
// or the module, reported as such.
bool CallOk(CHost& host, CAutomationClient& client, const char* pszMember,
            const std::vector<VARIANT>& args, CCallResult& result) {
    result = client.Call(pszMember, args);
    if (FAILED(result.m_hr)) {
        host.FailHResult(result.m_hr, pszMember);
        return false;
    }
    return true;
}

// The object's failure line for the code a method returned.
int FailWithObject(CHost& host, CAutomationClient& client, int32_t lCode) {
    return host.Fail(lCode, client.GetErrorString());
}

// The object, ready for the product and loaded: SetProductKey, then Load.
bool OpenProduct(CHost& host, CAutomationClient*& pClient, int& nExit) {
    nExit = kExitFailed;
    std::string strKey;
    if (!host.GetProduct(strKey)) {
        nExit = kExitUsage;
        return false;
    }
    if (!host.GetObject(pClient)) {
        return false;
    }
    CCallResult result;
    CVariant key = MakeBstrVariant(strKey);  // owns the string the call's view points at
    if (!CallOk(host, *pClient, "SetProductKey", {key}, result)) {
        return false;
    }
    if (!result.GetBool()) {
        FailWithObject(host, *pClient, pClient->GetErrorCode());
        return false;
    }
    if (!CallOk(host, *pClient, "Load", {}, result)) {
        return false;
    }
    if (result.GetLong() != 0) {
        FailWithObject(host, *pClient, result.GetLong());
        return false;
    }
    return true;
}

// Runs a method that answers 0 or a negative code; false after the failure line.
bool RunStep(CHost& host, CAutomationClient& client, const char* pszMember,
             const std::vector<VARIANT>& args) {
    CCallResult result;
    if (!CallOk(host, client, pszMember, args, result)) {
        return false;
    }
    if (result.GetLong() < 0) {
        FailWithObject(host, client, result.GetLong());
        return false;
    }
    return true;
}

bool ParseTypeNumber(CHost& host, const std::vector<std::string>& args, int32_t& lType,
                     int32_t& lNumber) {
    if (args.size() != 2 || !ParseInt32(args[0], lType) || !ParseInt32(args[1], lNumber)) {
        host.Usage("expected TYPE NUMBER (two integers)");
        return false;
    }
    return true;
}

int RegisterCommand(CHost& host, const std::vector<std::string>& args) {
    if (args.size() > 1) {
        return host.Usage("register takes at most one module path");
    }
    std::string strModule = args.empty() ? GetComponentModulePath() : args[0];
    std::string strModuleCp932;
    if (!host.FromTerminal(strModule, strModuleCp932)) {
        return host.Usage("the module path has characters that code page 932 cannot hold");
    }
    std::string strDetail;
    HRESULT hr = RegisterServerModule(strModuleCp932, &strDetail);
    if (FAILED(hr)) {
        return host.FailHResult(hr, strDetail);
    }
    host.Out() << "registered " << kCtrlFileMgrProgID << " from " << strModule << '\n';
    return kExitOk;
}

int StatusCommand(CHost& host, const std::vector<std::string>& args) {
    std::string strPath;
    const CModuleExports* pExports = nullptr;
    if (!args.empty()) {
        return host.Usage("status takes no arguments");
    }
    if (!host.GetProductKeyPath(strPath)) {
        return kExitUsage;
    }
    if (!host.GetExports(pExports)) {
        return kExitFailed;
    }
    host.Out() << pExports->m_pfnGetStatus(strPath.c_str()) << '\n';
    return kExitOk;
}

int ConvertCommand(CHost& host, const std::vector<std::string>& args) {
    std::string strPath;
    const CModuleExports* pExports = nullptr;
    if (!args.empty()) {
        return host.Usage("convert takes no arguments");
    }
    if (!host.GetProductKeyPath(strPath)) {
        return kExitUsage;
    }
    if (!host.GetExports(pExports)) {
        return kExitFailed;
    }
    int32_t lResult = pExports->m_pfnBaseInfoToControl(strPath.c_str());
    if (lResult < 0) {
        return host.Fail(lResult, pExports->GetErrorString(lResult));
    }
    return host.Succeed();
}

int ErrorCommand(CHost& host, const std::vector<std::string>& args) {
    int32_t lCode = 0;
    const CModuleExports* pExports = nullptr;
    if (args.size() != 1 || !ParseInt32(args[0], lCode)) {
        return host.Usage("expected error CODE (an integer)");
    }
    if (!host.GetExports(pExports)) {
        return kExitFailed;
    }
    host.Out() << host.ToTerminal(pExports->GetErrorString(lCode)) << '\n';
    return kExitOk;
}

int ListCommand(CHost& host, const std::vector<std::string>& args) {
    int32_t lOnly = 0;
    if (args.size() > 1 || (args.size() == 1 && !ParseInt32(args[0], lOnly))) {
        return host.Usage("expected list [TYPE] (an integer)");
    }
    CAutomationClient* pClient = nullptr;
    int nExit = kExitFailed;
    if (!OpenProduct(host, pClient, nExit)) {
        return nExit;
    }
    // Each database under its own kind: type 0 means all of them, like no type at all.
    int32_t lFirst = lOnly == 0 ? kTypeFixed : lOnly;
    int32_t lLast = lOnly == 0 ? kTypeFree : lOnly;
    for (int32_t lType = lFirst; lType <= lLast; ++lType) {
        CCallResult count;
        if (!CallOk(host, *pClient, "GetDBCount", {CVariant(lType)}, count)) {
            return kExitFailed;
        }
        if (int32_t lError = pClient->GetErrorCode(); lError != 0) {
            return FailWithObject(host, *pClient, lError);
        }
        for (int32_t lNumber = 1; lNumber <= count.GetLong(); ++lNumber) {
            const std::vector<VARIANT> at = {CVariant(lType), CVariant(lNumber)};
            CCallResult name, selected, installed;
            if (!CallOk(host, *pClient, "DBGetPublicName", at, name) ||
                !CallOk(host, *pClient, "DBIsSelected", at, selected) ||
                !CallOk(host, *pClient, "DBIsInstalledAppli", at, installed)) {
                return kExitFailed;
            }
            const std::string strName = name.GetString();
            host.Out() << lType << '\t' << lNumber << '\t' << selected.GetLong() << '\t'
                       << installed.GetLong() << '\t' << host.ToTerminal(strName) << '\n';
        }
    }
    return kExitOk;
}

// SetProductKey, Load, one change, Save with the given mode.
int RunChange(CHost& host, const char* pszMember, std::vector<VARIANT> change, int32_t lMode) {
    CAutomationClient* pClient = nullptr;
    int nExit = kExitFailed;
    if (!OpenProduct(host, pClient, nExit)) {
        return nExit;
    }
    if (!RunStep(host, *pClient, pszMember, change) ||
        !RunStep(host, *pClient, "Save", {CVariant(lMode)})) {
        return kExitFailed;
    }
    return host.Succeed();
}

int SelectCommand(CHost& host, const std::vector<std::string>& args) {
    int32_t lType = 0, lNumber = 0;
    if (!ParseTypeNumber(host, args, lType, lNumber)) {
        return kExitUsage;
    }
    return RunChange(host, "DBSetSelected", {CVariant(lType), CVariant(lNumber), CVariant(true)},
                     1);
}

int DeselectCommand(CHost& host, const std::vector<std::string>& args) {
    int32_t lType = 0, lNumber = 0;
    if (!ParseTypeNumber(host, args, lType, lNumber)) {
        return kExitUsage;
    }
    return RunChange(host, "DBSetSelected", {CVariant(lType), CVariant(lNumber), CVariant(false)},
                     1);
}

int RemoveCommand(CHost& host, const std::vector<std::string>& args) {
    int32_t lType = 0, lNumber = 0;
    if (!ParseTypeNumber(host, args, lType, lNumber)) {
        return kExitUsage;
    }
    return RunChange(host, "RemoveDB", {CVariant(lType), CVariant(lNumber)}, 0);
}

// The add wizard, then Save with the usual question; prints the new application's NUMBER.
int AddCommand(CHost& host, const std::vector<std::string>& args) {
    if (!args.empty()) {
        return host.Usage("add takes no arguments");
    }
    CAutomationClient* pClient = nullptr;
    int nExit = kExitFailed;
    if (!OpenProduct(host, pClient, nExit)) {
        return nExit;
    }
    CCallResult added;
    if (!CallOk(host, *pClient, "OpenAddAppDialog", {}, added)) {
        return kExitFailed;
    }
    if (added.GetLong() < 0) {
        return FailWithObject(host, *pClient, added.GetLong());
    }
    if (!RunStep(host, *pClient, "Save", {CVariant(int32_t{0})})) {
        return kExitFailed;
    }
    host.Out() << added.GetLong() << '\n' << std::flush;
    return kExitOk;
}

int EditCommand(CHost& host, const std::vector<std::string>& args) {
    int32_t lType = 0, lNumber = 0;
    if (!ParseTypeNumber(host, args, lType, lNumber)) {
        return kExitUsage;
    }
    return RunChange(host, "OpenEditAppDialog", {CVariant(lType), CVariant(lNumber)}, 0);
}

int SaveCommand(CHost& host, const std::vector<std::string>& args) {
    if (args.size() > 1) {
        return host.Usage("save takes at most one MODE");
    }
    CAutomationClient* pClient = nullptr;
    int nExit = kExitFailed;
    if (!OpenProduct(host, pClient, nExit)) {
        return nExit;
    }
    // The mode goes over as the text given, so the object reads it by its own rules.
    std::string strMode;
    CVariant mode = args.empty() ? CVariant(int32_t{0})
                                 : (host.FromTerminal(args[0], strMode) ? MakeBstrVariant(strMode)
                                                                        : CVariant());
    return RunStep(host, *pClient, "Save", {mode}) ? host.Succeed() : kExitFailed;
}

int ScriptCommand(CHost& host, const std::vector<std::string>& args) {
    if (args.size() > 1) {
        return host.Usage("script takes at most one FILE");
    }
    if (args.empty() || args[0] == "-") {
        return RunScriptLines(host, std::cin);
    }
    std::ifstream in(args[0], std::ios::binary);
    if (!in) {
        return host.Usage("cannot open the script " + args[0]);
    }
    return RunScriptLines(host, in);
}

}  // namespace

namespace {

// Runs a command on the host of this run and releases the object it made.
int RunWithHost(int (*pfnCommand)(CHost&, const std::vector<std::string>&),
                const std::vector<std::string>& args) {
    int nExit = pfnCommand(GetHost(), args);
    GetHost().ReleaseObject();
    return nExit;
}

// The dialog commands use the automation object of the component linked into tqctl rather than
// the registered module's: their dialogs are then those the application commands (add-app,
// edit-app) come into, on this process's dialog provider.
int RunWithLinkedObject(int (*pfnCommand)(CHost&, const std::vector<std::string>&),
                        const std::vector<std::string>& args) {
    CComPtr<IDispatch> pObject;
    const HRESULT hr =
        CCtrlFileMgr::Create(IID_IDispatch, reinterpret_cast<void**>(pObject.Receive()));
    if (FAILED(hr)) {
        return GetHost().FailHResult(hr, "the automation object");
    }
    GetHost().UseObject(std::move(pObject));
    UseToolTopicLibrary();
    return RunWithHost(pfnCommand, args);
}

}  // namespace

const char* HostUsageText() {
    return "\n"
           "  --prefix DIR     the prefix (else $TQ_PREFIX, else the default one)\n"
           "  --product KEY    the product: HKLM\\SOFTWARE\\Orbanworks\\Trellisquest\\KEY\n"
           "                   (else $TQ_PRODUCT)\n"
           "  --yes, --no      answer every question up front (without them a question is\n"
           "                   asked on the terminal; without a terminal the answer is No)\n"
           "  --raw            text in and out in code page 932 instead of UTF-8\n"
           "\n"
           "list: TYPE is 1 fixed, 2 selection-type, 3 free-type; NUMBER counts from 1 in it.\n"
           "select and deselect save with mode 1, remove with mode 0.\n"
           "script lines: MEMBER ARG...  or  put MEMBER VALUE  or  # comment. Arguments:\n"
           "  123, TRUE, FALSE, \"text\" (with \\\" and \\\\), I2:n (a 16-bit integer), EMPTY,\n"
           "  REF:ARG (a VARIANT by reference). Each call prints RESULT<TAB>ERRORCODE; a put\n"
           "  the object refuses prints EXCEPTION<TAB>CODE<TAB>DESCRIPTION.\n"
           "A failing command ends with CODE<TAB>MESSAGE; an HRESULT code is shown as 0x........\n";
}

int RunRegister(const std::vector<std::string>& args) {
    return RunWithHost(RegisterCommand, args);
}

int RunStatus(const std::vector<std::string>& args) {
    return RunWithHost(StatusCommand, args);
}

int RunConvert(const std::vector<std::string>& args) {
    return RunWithHost(ConvertCommand, args);
}

int RunError(const std::vector<std::string>& args) {
    return RunWithHost(ErrorCommand, args);
}

int RunList(const std::vector<std::string>& args) {
    return RunWithHost(ListCommand, args);
}

int RunSelect(const std::vector<std::string>& args) {
    return RunWithHost(SelectCommand, args);
}

int RunDeselect(const std::vector<std::string>& args) {
    return RunWithHost(DeselectCommand, args);
}

int RunRemove(const std::vector<std::string>& args) {
    return RunWithHost(RemoveCommand, args);
}

int RunAdd(const std::vector<std::string>& args) {
    return RunWithLinkedObject(AddCommand, args);
}

int RunEdit(const std::vector<std::string>& args) {
    return RunWithLinkedObject(EditCommand, args);
}

int RunSave(const std::vector<std::string>& args) {
    return RunWithHost(SaveCommand, args);
}

int RunScript(const std::vector<std::string>& args) {
    return RunWithHost(ScriptCommand, args);
}

}  // namespace tq::tqctl
