#include "applications/AppNameRules.h"

#include "applications/AppliOperations.h"
#include "manager/CtrlFile.h"
#include "platform/Cp932.h"
#include "resources/StringTable.h"

namespace tq {

namespace {

bool IsFullWidthSpace(std::string_view text, size_t pos) {
    return pos + 1 < text.size() && static_cast<uint8_t>(text[pos]) == 0x81 &&
           static_cast<uint8_t>(text[pos + 1]) == 0x40;
}

bool IsBlankByte(uint8_t b) {
    return b <= 0x20;
}

// The bytes a character that is not a blank takes in the trailing scan: two for the bytes
// that start a double-byte character (and the bytes beyond them), never past the end.
size_t NonBlankLength(std::string_view text, size_t pos) {
    uint8_t b = static_cast<uint8_t>(text[pos]);
    bool bWide = (b >= 0x80 && b <= 0x9F) || b >= 0xE0;
    return bWide && pos + 1 < text.size() ? 2 : 1;
}

}  // namespace

size_t FindNameControlChar(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        uint8_t b = static_cast<uint8_t>(text[i]);
        if (IsLeadByte(b)) {
            ++i;  // the trail byte may be anything, also 0x7F or below 0x20 in broken text
        } else if (b < 0x20 || b == 0x7F) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::string TrimAppName(std::string_view text) {
    size_t start = 0;
    while (start < text.size()) {
        if (IsBlankByte(static_cast<uint8_t>(text[start]))) {
            start += 1;
        } else if (IsFullWidthSpace(text, start)) {
            start += 2;
        } else {
            break;
        }
    }
    text.remove_prefix(start);
    size_t run = 0;
    for (size_t i = 0; i < text.size();) {
        if (IsBlankByte(static_cast<uint8_t>(text[i]))) {
            run += 1;
            i += 1;
        } else if (IsFullWidthSpace(text, i)) {
            run += 2;
            i += 2;
        } else {
            run = 0;
            i += NonBlankLength(text, i);
        }
    }
    return std::string(text.substr(0, text.size() - run));
}

uint32_t CheckNewAppName(const CCtrlFile& file, const std::string& strText, std::string& strName) {
    if (FindNameControlChar(strText) != std::string_view::npos) {
        return IDS_APP_NAME_CONTROL;
    }
    strName = TrimAppName(strText);
    if (strName.empty()) {
        return IDS_ENTER_APP_NAME;
    }
    if (strName == kAppGroupName) {
        return IDS_APP_NAME_UNUSABLE;
    }
    if (file.FindDBByPublicName(DBTYPE_ALL, strName) >= 0) {
        return IDS_APP_EXISTS;
    }
    return 0;
}

uint32_t AddNewAppli(CCtrlFile& file, const std::string& strName, int32_t& position) {
    if (CAppliOperations(file).AddAppli(DBTYPE_FREE, strName) < 0) {
        return IDS_APP_NAME_UNUSABLE;
    }
    position = file.CountDBs(DBTYPE_FREE) - 1;
    return 0;
}

CNameFinish FinishAddAppName(CCtrlFile& file, const std::string& strText) {
    CNameFinish finish;
    finish.m_id = CheckNewAppName(file, strText, finish.m_strName);
    if (finish.m_id == IDS_APP_NAME_CONTROL) {
        finish.m_nCaret = FindNameControlChar(strText);
        return finish;
    }
    finish.m_bPutBack = finish.m_id != IDS_ENTER_APP_NAME;
    if (finish.m_id == 0) {
        finish.m_id = AddNewAppli(file, finish.m_strName, finish.m_position);
    }
    return finish;
}

uint32_t ApplyEditAppName(CCtrlFile& file, int32_t index, const std::string& strOldName,
                          const std::string& strText, bool bTargetsEmpty, std::string& strNewName) {
    if (FindNameControlChar(strText) != std::string_view::npos) {
        return IDS_APP_NAME_CONTROL;
    }
    std::string strName = TrimAppName(strText);
    if (strName.empty()) {
        return IDS_ENTER_APP_NAME;
    }
    // Its own name, in any case, is no conflict; any other database's is, whatever its type.
    int32_t ownPosition = index - file.CountDBs(DBTYPE_FIXED) - file.CountDBs(DBTYPE_SELECTION);
    if (file.FindDBByPublicName(DBTYPE_ALL, strName) >= 0 &&
        file.FindDBByPublicName(DBTYPE_FREE, strName) != ownPosition) {
        return IDS_APP_EXISTS;
    }
    // Every rule before any change: a refused OK leaves the model exactly as it was, and no
    // rename has to be undone by another that might itself fail.
    const std::string strParent = kAppGroupName;
    CAppliOperations appli(file);
    if (appli.CheckRenameAppli(index, strName) < 0 ||
        appli.CheckRenameGroup(&strParent, strOldName, strName) < 0) {
        return IDS_APP_NAME_UNUSABLE;
    }
    if (bTargetsEmpty) {
        return IDS_SPECIFY_TARGETS;
    }
    // The same name again: both renames change nothing, so an OK without changes has nothing
    // to save.
    if (appli.RenameAppli(index, strName) < 0) {
        return IDS_APP_NAME_UNUSABLE;
    }
    if (appli.RenameGroup(&strParent, strOldName, strName) < 0) {
        appli.RenameAppli(index, strOldName);
        return IDS_APP_NAME_UNUSABLE;
    }
    strNewName = strName;
    return 0;
}

}  // namespace tq
