// What a host needs to reach the component's automation object: the class it creates (by ProgID
// or class identifier), the dispatch interface the object answers, the dispatch ids of its
// members, the answers of its Status, and the code of the exception it raises when a host writes
// a read-only property. The database types its members take are in controlfile/DBTypes.h.
#pragma once

#include <cstdint>

#include "platform/ComTypes.h"

namespace tq {

// {FE1B0AC2-7074-11D5-99A1-00C04FB9CD98}
constexpr CLSID CLSID_CtrlFileMgr = {
    0xFE1B0AC2, 0x7074, 0x11D5, {0x99, 0xA1, 0x00, 0xC0, 0x4F, 0xB9, 0xCD, 0x98}};
constexpr const char* kCtrlFileMgrProgID = "OW.VXCtrlFileManager.1";

// {FE1B0AC1-7074-11D5-99A1-00C04FB9CD98}: the object's dispatch interface.
constexpr IID IID_ICtrlFileMgr = {
    0xFE1B0AC1, 0x7074, 0x11D5, {0x99, 0xA1, 0x00, 0xC0, 0x4F, 0xB9, 0xCD, 0x98}};

// Dispatch ids of the interface.
enum : DISPID {
    DISPID_ENABLECUSTOMIZE = 1,
    DISPID_STATUS = 2,
    DISPID_ERRORCODE = 3,
    DISPID_ERRORSTRING = 4,
    DISPID_DBGETPUBLICNAME = 5,
    DISPID_DBISSELECTED = 6,
    DISPID_DBSETSELECTED = 7,
    DISPID_OPENADDAPPDIALOG = 8,
    DISPID_OPENEDITAPPDIALOG = 9,
    DISPID_SAVE = 10,
    DISPID_SETPRODUCTKEY = 11,
    DISPID_GETDBCOUNT = 12,
    DISPID_LOAD = 13,
    DISPID_DBISINSTALLEDAPPLI = 14,
    DISPID_REMOVEDB = 15,
    // Beyond the fifteen: what a host shows of the product beside the list, so that it need not
    // read the product's registry or files itself.
    // DBIsIndexPending(long type, long number) -> long: 1 when the database's files wait for the
    // index builder (a save asked it to rebuild the database and it has not done so yet), else
    // 0. Clears the error code; -1008 before SetProductKey, -1565 / -1563 for a bad address.
    DISPID_DBISINDEXPENDING = 16,
    // IndexingLog (string, read only): the full path (code page 932) of the indexing log the
    // last Load wrote, in which the reader names every line of the file it could not take, also
    // after a Load that failed; empty when the file names no log, before a Load, and before
    // SetProductKey. Like EnableCustomize, it keeps the error code of the last call.
    DISPID_INDEXINGLOG = 17,
    // ProductName (string, read only): the product's display name, the caption of the object's
    // questions; "Trellisquest" until SetProductKey has read it. Keeps the error code.
    DISPID_PRODUCTNAME = 18,
};

// The registry path below HKEY_LOCAL_MACHINE under which every product has its key: SetProductKey
// takes the product key's name, the exports (frame/Exports.h) this path followed by it.
constexpr const char* kProductKeyBase = "SOFTWARE\\Orbanworks\\Trellisquest\\";

// The answers of the Status property and of VXCSTM_GetStatus (frame/Exports.h).
constexpr int32_t EDITSTATUS_FREE = 0;
constexpr int32_t EDITSTATUS_EDITING = 1;  // an editor holds the editing mutex
constexpr int32_t EDITSTATUS_LOCKED = 2;   // the lock file is held, or the mutex is not ours to see
constexpr int32_t EDITSTATUS_UNKNOWN = 4;  // the registry does not say where the files are

// The code of the automation exception raised by writing a read-only property.
constexpr uint16_t kReadOnlyPropertyCode = 61837;

}  // namespace tq
