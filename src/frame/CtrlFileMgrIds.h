// What a host needs to reach the component's automation object: the class it creates (by ProgID
// or class identifier), the dispatch interface the object answers, the dispatch ids of its
// members, and the code of the exception it raises when a host writes a read-only property.
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
};

// The code of the automation exception raised by writing a read-only property.
constexpr uint16_t kReadOnlyPropertyCode = 61837;

}  // namespace tq
