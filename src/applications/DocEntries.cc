// The document entries of a database: "path > public name", the path possibly beginning with a
// folder macro such as <WINDOWS>.
#include "applications/AppliOperations.h"
#include "applications/TextRules.h"
#include "manager/CtrlFile.h"
#include "manager/PathRules.h"
#include "platform/Cp932.h"
#include "resources/ErrorCodes.h"

namespace tq {
namespace {

// Cuts the text before its first c (a whole character) and drops the white space left at the
// end; whether c was there.
bool CutAt(std::string& s, char c, size_t from = 0) {
    const size_t pos = FindChar(s, c, from);
    if (pos == std::string::npos) {
        return false;
    }
    s.resize(TrimRightWhite(std::string_view(s).substr(0, pos)).size());
    return true;
}

// What a path is compared by: expanded, cut before '|', then before '>'. bHadSeparator tells
// whether a '>' (the one before the public name) was there after the '|' cut.
std::string GetDocKey(std::string_view strPath, bool* pbHadSeparator = nullptr) {
    std::string key;
    ExpandPathMacro(strPath, key);
    CutAt(key, '|');
    const bool bSeparator = CutAt(key, '>');
    if (pbHadSeparator != nullptr) {
        *pbHadSeparator = bSeparator;
    }
    return key;
}

}  // namespace

int32_t CAppliOperations::GetDocDisplayPath(int32_t index, int32_t i, std::string& strPath) const {
    if (!m_file.IsValidIndex(index)) {
        return TQE_DB_NUMBER;
    }
    const CCtrlDatabase& db = *m_file.GetDatabase(static_cast<size_t>(index));
    if (i < 0 || static_cast<size_t>(i) >= db.m_docs.size()) {
        return TQE_NUMBER;
    }
    const CtrlString& entry = db.m_docs[static_cast<size_t>(i)];
    std::string expanded;
    ExpandPathMacro(entry, expanded);
    std::string result;
    size_t searchFrom = 0;
    const size_t bar = FindChar(expanded, '|');
    if (bar != std::string::npos) {
        // The stored entry, macro and all, without the '|' and what follows it.
        const size_t tail = expanded.size() - bar;
        result = entry.substr(0, entry.size() > tail ? entry.size() - tail : 0);
        result.resize(TrimRightWhite(result).size());
        // A macro's own '>' closes the folder name, it does not end the path.
        if (!result.empty() && result[0] == '<') {
            const size_t macroEnd = FindChar(result, '>', 1);
            searchFrom = macroEnd == std::string::npos ? result.size() : macroEnd + 1;
        }
    } else {
        result = std::move(expanded);
    }
    CutAt(result, '>', searchFrom);
    strPath = std::move(result);
    return TQ_OK;
}

std::vector<std::string> CAppliOperations::GetDocDisplayPaths(int32_t index) const {
    std::vector<std::string> paths;
    const int32_t nCount = m_file.GetDocCount(index);
    for (int32_t i = 0; i < nCount; ++i) {
        std::string strPath;
        if (GetDocDisplayPath(index, i, strPath) >= 0) {
            paths.push_back(std::move(strPath));
        }
    }
    return paths;
}

int32_t CAppliOperations::AddDoc(int32_t index, const std::string& strPath) {
    if (!m_file.IsValidIndex(index)) {
        return TQE_DB_NUMBER;
    }
    if (HasControlChar(strPath)) {
        return TQE_CONTROL_CHAR;
    }
    CCtrlDatabase& db = *m_file.GetDatabase(static_cast<size_t>(index));
    bool bNamed = false;
    const std::string key = GetDocKey(strPath, &bNamed);
    for (const auto& entry : db.m_docs) {
        if (EqualsNoCase(GetDocKey(entry), key)) {
            return TQE_ALREADY_REGISTERED;
        }
    }
    db.m_docs.emplace_back(bNamed ? strPath : strPath + " > " + std::string(db.m_strPublicName));
    db.m_dwState |= DBSTATE_REBUILD;
    m_file.SetModified();
    return TQ_OK;
}

int32_t CAppliOperations::RemoveDoc(int32_t index, const std::string& strPath) {
    if (!m_file.IsValidIndex(index)) {
        return TQE_DB_NUMBER;
    }
    if (HasControlChar(strPath)) {
        return TQE_CONTROL_CHAR;
    }
    CCtrlDatabase& db = *m_file.GetDatabase(static_cast<size_t>(index));
    const std::string key = GetDocKey(strPath);
    for (size_t i = 0; i < db.m_docs.size(); ++i) {
        if (EqualsNoCase(GetDocKey(db.m_docs[i]), key)) {
            db.m_docs.erase(db.m_docs.begin() + static_cast<ptrdiff_t>(i));
            db.m_dwState |= DBSTATE_REBUILD;
            m_file.SetModified();
            return static_cast<int32_t>(i);
        }
    }
    return TQE_DOC_NOT_REGISTERED;
}

}  // namespace tq
