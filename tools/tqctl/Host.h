// The state of one tqctl run that the component's commands share: the global options, the
// terminal's text form, and the component reached through its ProgID and its exports (or an
// object of the component tqctl links, for the dialog commands).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "Commands.h"
#include "hostclient/AutomationClient.h"
#include "hostclient/HostOptions.h"

namespace tq::tqctl {

using host::CAutomationClient;
using host::CCallResult;
using host::CHostOptions;
using host::CModuleExports;
using host::kProductKeyBase;
using host::MakeBstrVariant;

class CHost {
public:
    CHost(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

    // Makes the prefix and the answer mode current for this process and for the module it
    // will load (which has its own copy of the platform layer and reads the environment).
    bool Prepare(std::string& strError);

    CHostOptions& GetOptions() { return m_options; }
    const CHostOptions& GetOptions() const { return m_options; }
    std::ostream& Out() { return m_out; }
    std::ostream& Err() { return m_err; }

    // Terminal text ↔ code page 932. FromTerminal fails on text the code page cannot hold.
    std::string ToTerminal(const std::string& strCp932) const;
    bool FromTerminal(const std::string& strText, std::string& strCp932) const;

    // The product key in code page 932 and its full registry path; false (with a usage
    // message written) when no product was given.
    bool GetProduct(std::string& strKey);
    bool GetProductKeyPath(std::string& strPath);

    // The object, created through its ProgID on first use; false after writing the failure line.
    bool GetObject(CAutomationClient*& pClient);
    // Makes an object that the tool made itself the one the next commands use.
    void UseObject(CComPtr<IDispatch> pObject) { m_client.Attach(std::move(pObject)); }
    // Releases the object: a command ends with it, while the module's own state is still
    // there (the object closes its files and releases the editing mutex on the way out).
    void ReleaseObject() { m_client.Release(); }
    bool GetExports(const CModuleExports*& pExports);

    // Writes the failure line "CODE<TAB>MESSAGE" and returns kExitFailed.
    int Fail(int32_t lCode, const std::string& strMessageCp932);
    // The success line of a command that prints nothing else: "0<TAB>".
    int Succeed();
    // For a failed COM step: "0x%08X<TAB>name: detail".
    int FailHResult(HRESULT hr, const std::string& strDetail);
    // A usage error: "tqctl: text" on standard error, kExitUsage.
    int Usage(const std::string& strText);

private:
    CHostOptions m_options;
    std::ostream& m_out;
    std::ostream& m_err;
    CAutomationClient m_client;
    CModuleExports m_exports;
    bool m_bExportsLoaded = false;
};

// The host of this run, on standard output and standard error.
CHost& GetHost();

// Reads a 32-bit decimal integer (optional sign); false for anything else.
bool ParseInt32(const std::string& strText, int32_t& value);

}  // namespace tq::tqctl
