#include "controlfile/CtrlWriter.h"

#include <algorithm>

#include "controlfile/CtrlDate.h"
#include "controlfile/Keywords.h"
#include "controlfile/NameRules.h"
#include "platform/Cp932.h"
#include "platform/File.h"
#include "platform/Path.h"
#include "resources/ErrorCodes.h"

namespace tq {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr uint32_t kWriteChunk = 1u << 24;
constexpr size_t kFlushAt = 1u << 20;

void AppendNumber(std::string& out, int64_t n) {
    out += std::to_string(n);
}

// keyword[slot] = "value", nothing for an empty value. Values go out unchanged: a double quote
// inside one is not escaped (the reader removes only the outer pair).
void AppendKeyLine(std::string& out, std::string_view keyword, size_t slot,
                   std::string_view value) {
    if (value.empty()) {
        return;
    }
    out += keyword;
    if (slot > 0) {
        out += static_cast<char>('0' + slot);
    }
    out += " = \"";
    out += value;
    out += '"';
    out += kCrLf;
}

// A top-level name that would read back as something else: digits and "@" (a parent id), a
// leading "@", or leading white space (trimmed away). An "@" before it keeps it at the top
// level and whole; every other name is written as it is.
bool NeedsTopLevelMark(const std::string& strName) {
    int32_t nParentId = -1;
    std::string strRest;
    SplitGroupValue(strName, nParentId, strRest);
    return nParentId != -1 || (!strName.empty() && IsWhite(strName[0]));
}

std::string_view FaqValue(uint32_t dwAttributes) {
    switch (dwAttributes & DBATTR_FAQ_MASK) {
        case DBFAQ_VAIO:
            return Keyword(KW_VAIO);
        case DBFAQ_NEC:
            return Keyword(KW_NEC);
        case DBFAQ_HITACHI:
            return Keyword(KW_HITACHI);
        default:
            return std::string_view();
    }
}

}  // namespace

std::string CCtrlWriter::Render(bool bFullForm) {
    std::string out;
    Emit(bFullForm, out, nullptr);
    return out;
}

int32_t CCtrlWriter::Flush(std::string& out, CFile& file) {
    for (size_t pos = 0; pos < out.size();) {
        uint32_t cb = static_cast<uint32_t>(std::min<size_t>(kWriteChunk, out.size() - pos));
        if (file.Write(out.data() + pos, cb) != 0) {
            return TQE_BASE_UPDATE;
        }
        pos += cb;
    }
    out.clear();
    return TQ_OK;
}

int32_t CCtrlWriter::Emit(bool bFullForm, std::string& out, CFile* pFile) {
    // With a file the text goes out in pieces, so a large model needs no buffer of its size.
    out.reserve(pFile != nullptr ? kFlushAt + kFlushAt / 4 : 4096);
    RenderGlobals(out);
    out += "\r\n:--- Group Information ---\r\n";
    if (bFullForm) {
        m_model.RenumberGroups();
    }
    RenderGroups(out);
    RenderFamilies(out);
    if (m_model.GetGroupSet().GetDefault() > 0) {
        out += Keyword(KW_DEFAULT_GROUP);
        out += " = ";
        AppendNumber(out, m_model.GetGroupSet().GetDefault());
        out += kCrLf;
    }
    RenderSelectOff(out);
    out += "\r\n:--- Database Information ---\r\n";
    size_t nFixed = m_model.GetFixedCount();
    size_t nSelection = m_model.GetSelectionCount();
    for (size_t i = 0; i < m_model.GetDBCount(); ++i) {
        const CCtrlDatabase& db = *m_model.GetDatabase(i);
        if (bFullForm) {
            if (i == nFixed) {
                out += "\r\n### Selection Type Databases ###\r\n";
                if (nSelection == 0) {
                    out += "### Free Type Databases ###\r\n";
                }
            } else if (i == nFixed + nSelection) {
                out += "\r\n### Free Type Databases ###\r\n";
            }
        } else if (db.IsDeselected()) {
            continue;
        }
        RenderDatabase(out, db);
        if (pFile != nullptr && out.size() >= kFlushAt && Flush(out, *pFile) != TQ_OK) {
            return TQE_BASE_UPDATE;
        }
    }
    out += kCrLf;
    return pFile != nullptr ? Flush(out, *pFile) : TQ_OK;
}

void CCtrlWriter::RenderGlobals(std::string& out) const {
    out += ":*** Trellisquest ControlFile ***\r\n";
    AppendKeyLine(out, Keyword(KW_OUTPUT_LOG), 0, m_model.GetSettings().m_strOutputLog);
    if (m_model.GetSettings().m_dwSelectAllDisabled) {
        out += "SelectAllDB = Disable\r\n";
    }
    if (m_model.GetSettings().m_dwBlankSources) {
        out += "BlankSources = TRUE\r\n";
    }
    if (m_model.GetSettings().m_dwAddID) {
        out += "AddID = TRUE\r\n";
    }
    if (m_model.GetSettings().m_dwDivideNoBookmark) {
        out += "DivideNoBookmark = TRUE\r\n";
    }
}

void CCtrlWriter::RenderGroups(std::string& out) const {
    m_model.GetGroupSet().ForEachById([&out](const CCtrlGroup& g) {
        out += Keyword(KW_GROUP);
        AppendNumber(out, g.GetId());
        out += " = \"";
        const CCtrlGroup* pParent = g.GetParent();
        if (pParent != nullptr && pParent->GetId() > 0) {
            AppendNumber(out, pParent->GetId());
            out += '@';
        } else if (NeedsTopLevelMark(g.GetName())) {
            out += '@';
        }
        out += g.GetName();
        out += '"';
        out += kCrLf;
    });
}

void CCtrlWriter::RenderFamilies(std::string& out) const {
    const CCtrlGroupSet& set = m_model.GetGroupSet();
    int32_t nRunStart = 0;  // 0: no run open
    set.ForEachById([&](const CCtrlGroup& g) {
        const std::string& family = g.GetFamily();
        if (family.empty()) {
            nRunStart = 0;
            return;
        }
        int32_t id = g.GetId();
        const CCtrlGroup* pNext = set.FindGroup(id + 1);
        if (pNext != nullptr && EqualsNoCase(pNext->GetFamily(), family)) {
            if (nRunStart == 0) {
                nRunStart = id;
            }
            return;
        }
        out += Keyword(KW_FAMILY_OF_GROUP);
        if (nRunStart != 0) {
            AppendNumber(out, nRunStart);
            out += '-';
        }
        AppendNumber(out, id);
        out += " = \"";
        out += family;
        out += '"';
        out += kCrLf;
        nRunStart = 0;
    });
}

void CCtrlWriter::RenderSelectOff(std::string& out) const {
    std::vector<int32_t> ids;
    if (m_model.GetGroupSet().GetSelectOffGroups(ids) == 0) {
        return;
    }
    out += Keyword(KW_SELECT_OFF_GROUPS);
    out += " = ";
    for (size_t i = 0; i < ids.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        AppendNumber(out, ids[i]);
    }
    out += kCrLf;
}

void CCtrlWriter::RenderIndexed(std::string& out, const char* pszKey,
                                const CtrlStringList& list) const {
    for (size_t slot = 0; slot < list.size(); ++slot) {
        AppendKeyLine(out, pszKey, slot, list[slot]);
    }
}

void CCtrlWriter::RenderDatabase(std::string& out, const CCtrlDatabase& db) const {
    out += '[';
    out += db.m_strName;
    out += db.IsDeselected() ? "]~\r\n" : "]\r\n";
    AppendKeyLine(out, Keyword(KW_PUBLIC_NAME), 0, db.m_strPublicName);
    for (const CCtrlGroup* g : db.m_groups) {
        out += "Group = ";
        AppendNumber(out, g->GetId());
        out += kCrLf;
    }
    AppendKeyLine(out, Keyword(KW_FAQ), 0, FaqValue(db.m_dwAttributes));
    if (db.m_dwAttributes & DBATTR_BLANK_TRUE) {
        out += "BlankSource = TRUE\r\n";
    } else if (db.m_dwAttributes & DBATTR_BLANK_FALSE) {
        out += "BlankSource = FALSE\r\n";
    }
    AppendKeyLine(out, Keyword(KW_PDF_SKIP_TITLE_FILE), 0, db.m_strPdfSkipTitleFile);
    AppendKeyLine(out, Keyword(KW_DOC_LIST_FILE), 0, db.m_strDocListFile);
    for (const auto& doc : db.m_docs) {
        AppendKeyLine(out, Keyword(KW_DOC), 0, doc);
    }
    for (const auto& doc : db.m_skipDocs) {
        AppendKeyLine(out, Keyword(KW_SKIP_DOC), 0, doc);
    }
    RenderIndexed(out, "RootPath", db.m_rootPath);
    RenderIndexed(out, "RootOrgPath", db.m_rootOrgPath);
    RenderIndexed(out, "RegKey", db.m_regKey);
    for (size_t slot = 0; slot < db.m_regEntry.size(); ++slot) {
        const CtrlString& entry = db.m_regEntry[slot];
        if (entry == kEmptyRegEntry) {
            // A present but empty entry: its own line form, the pair of quotes.
            out += Keyword(KW_REG_ENTRY);
            if (slot > 0) {
                out += static_cast<char>('0' + slot);
            }
            out += " = \"\"\r\n";
        } else {
            AppendKeyLine(out, Keyword(KW_REG_ENTRY), slot, entry);
        }
    }
    RenderIndexed(out, "ExePath", db.m_exePath);
    RenderIndexed(out, "ExeOrgPath", db.m_exeOrgPath);
    RenderIndexed(out, "ExeKey", db.m_exeKey);
    if (db.m_date.IsWritable()) {
        AppendKeyLine(out, Keyword(KW_DATE), 0, FormatCtrlDate(db.m_date));
    }
    out += kCrLf;
}

int32_t CCtrlWriter::WriteNewFile(const std::string& strNewPath, bool bFullForm) {
    // Other writers are denied while the new text goes out, so nobody can mix into it.
    CFile file;
    if (file.Open(strNewPath, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS) != 0) {
        return TQE_BASE_UPDATE;
    }
    std::string buffer;
    if (Emit(bFullForm, buffer, &file) != TQ_OK) {
        return TQE_BASE_UPDATE;
    }
    // The data must be on the disk before the rename makes it the file: otherwise a crash
    // could leave the new name on an empty or partial file.
    if (file.Flush() != 0 || file.Close() != 0) {
        return TQE_BASE_UPDATE;
    }
    return TQ_OK;
}

int32_t CCtrlWriter::Write(const std::string& strPath, bool bFullForm, CFile* pHeldFile) {
    std::string strNewPath = strPath + ".NEW";
    int32_t lResult = WriteNewFile(strNewPath, bFullForm);
    if (lResult != TQ_OK) {
        return lResult;
    }
    // Our own handle denies deletion, so it must let go for the rename; it takes the file up
    // again afterwards so that other writers stay locked out.
    bool bHeld =
        pHeldFile != nullptr && pHeldFile->IsOpen() && EqualsNoCase(pHeldFile->GetPath(), strPath);
    if (bHeld) {
        pHeldFile->Close();
    }
    // One rename replaces the old file: at every moment the target name holds either the old
    // text or the new. Another process that holds the target open without delete sharing
    // makes it fail with a sharing violation, and the old file stays.
    if (MoveFileReplace(strNewPath, strPath) != 0) {
        lResult = TQE_BASE_UPDATE;
    } else {
        std::string strFolder;
        std::string strFile;
        SplitPath(strPath, strFolder, strFile);
        if (FlushDirectory(strFolder.empty() ? GetCurrentDirectory() : strFolder) != 0) {
            lResult = TQE_BASE_UPDATE;
        }
    }
    if (bHeld && pHeldFile->Open(strPath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING) != 0 &&
        lResult == TQ_OK) {
        lResult = TQE_BASE_OPEN;
    }
    return lResult;
}

}  // namespace tq
