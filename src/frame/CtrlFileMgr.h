// CCtrlFileMgr: the component's automation object. A host names a product installation with
// SetProductKey, loads its base control file with Load, reads and changes the database list,
// and writes the result back with Save. Every method keeps its outcome as an error code on the
// object (ErrorCode, ErrorString); none raises an automation exception of its own. The object
// checks its state, turns (type, number) into a database index, and hands the work to its edit
// session (the editing mutex, the customize switch, the control-file object).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "applications/EditSession.h"
#include "frame/CtrlFileMgrIds.h"
#include "platform/Dispatch.h"

namespace tq {

class CCtrlFileMgr : public CDispatchTable {
public:
    CCtrlFileMgr();
    ~CCtrlFileMgr() override;

    // The class factory's creator: a new object queried for riid.
    static HRESULT Create(REFIID riid, void** ppv);
    static std::span<const CDispMember> Members();

    // Properties (read-only).
    bool GetEnableCustomize();
    int32_t GetStatus();
    int32_t GetErrorCode();
    std::string GetErrorString();

    // Methods, in dispatch id order.
    std::string DBGetPublicName(int32_t lType, int32_t lNumber);
    int32_t DBIsSelected(int32_t lType, int32_t lNumber);
    int32_t DBSetSelected(int32_t lType, int32_t lNumber, bool bSelect);
    int32_t OpenAddAppDialog();
    int32_t OpenEditAppDialog(int32_t lType, int32_t lNumber);
    int32_t Save(const VARIANT& varMode);
    bool SetProductKey(const std::string& strKey);
    int32_t GetDBCount(int32_t lType);
    int32_t Load();
    int32_t DBIsInstalledAppli(int32_t lType, int32_t lNumber);
    int32_t RemoveDB(int32_t lType, int32_t lNumber);

    // The integer a Save mode VARIANT stands for: VT_I2 sign-extended, VT_I4 as it is, VT_BSTR
    // read as a decimal number (leading blanks, a sign, then digits; none give 0); every other
    // type, a by-reference VARIANT included, gives 0.
    static int32_t SaveModeFromVariant(const VARIANT& varMode);

protected:
    void OnPutReadOnly(const CDispMember& member) override;

private:
    // Stores code unless a code is already stored in this call, and returns the stored code:
    // within one call the first failure wins.
    int32_t SetErrorCode(int32_t lCode);
    // -1008 stored and returned unless SetProductKey has succeeded, else 0.
    int32_t CheckReady();
    // The guards of the two dialog methods: ready, user applications allowed, file loaded.
    int32_t CheckDialogGuards();
    // Database index of (type, 1-based number), or -1565 / -1563 (stored).
    int32_t ResolveIndex(int32_t lType, int32_t lNumber);
    int32_t ReadyIndex(int32_t lType, int32_t lNumber);
    CCtrlFile& GetCtrlFile() { return m_EditSession.GetCtrlFile(); }

    CEditSession m_EditSession;
    int32_t m_lErrorCode = 0;
    int32_t m_bReady = 0;
    std::string m_strProductName;
};

}  // namespace tq
