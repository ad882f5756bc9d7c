#include "manager/SampleQuery.h"

#include <unordered_map>

#include "controlfile/NameRules.h"
#include "manager/ProductRegKey.h"
#include "platform/Cp932.h"
#include "platform/File.h"
#include "resources/ErrorCodes.h"

namespace tq {
namespace {

constexpr std::string_view kMark = "%%%";
constexpr char kEndOfText = 0x1A;
constexpr uint32_t kReadChunk = 1u << 16;

int32_t ReadAll(CFile& file, std::string& text) {
    char buffer[kReadChunk];
    for (;;) {
        uint32_t cbRead = 0;
        if (file.Read(buffer, kReadChunk, cbRead) != 0) {
            return TQE_SAMPLE_QUERY_OPEN;
        }
        if (cbRead == 0) {
            return TQ_OK;
        }
        text.append(buffer, cbRead);
    }
}

// The new text of the file; bChanged tells whether any line was rewritten. Lines end with CR
// LF or a lone LF; 0x1A ends the text as a text-mode read does.
std::string RewriteLines(std::string_view text, const RenameMap& renamed, bool& bChanged) {
    if (size_t eot = text.find(kEndOfText); eot != std::string_view::npos) {
        text = text.substr(0, eot);
    }
    std::string out;
    out.reserve(text.size() + 64);
    bChanged = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        std::string_view name;
        auto it = GetSampleQueryName(line, name) ? renamed.find(ToLowerCp932(name)) : renamed.end();
        if (it != renamed.end()) {
            out += kMark;
            out += it->second;
            out += kMark;
            bChanged = true;
        } else {
            out += line;
        }
        out += "\r\n";
    }
    return out;
}

int32_t WriteNewFile(const std::string& strNewPath, const std::string& text) {
    CFile file;
    if (file.Open(strNewPath, GENERIC_WRITE, FILE_SHARE_NONE, CREATE_ALWAYS) != 0) {
        return TQE_SAMPLE_QUERY_NEW;
    }
    if ((!text.empty() && file.Write(text.data(), static_cast<uint32_t>(text.size())) != 0) ||
        file.Flush() != 0 || file.Close() != 0) {
        return TQE_SAMPLE_QUERY_NEW;
    }
    return TQ_OK;
}

}  // namespace

// Databases renamed since the last save, by the name the file knows them under (ignoring
// case); the first one in array order wins. A database without a previous name was never in
// a saved control file, so no line can name it.
RenameMap RenamedSinceSave(const CCtrlModel& model) {
    RenameMap renamed;
    for (const auto& pDb : model.GetDatabases()) {
        if ((pDb->m_dwState & DBSTATE_NAME_CHANGED) && !pDb->m_strPrevName.empty()) {
            renamed.emplace(ToLowerCp932(pDb->m_strPrevName), std::string(pDb->m_strName));
        }
    }
    return renamed;
}

bool GetSampleQueryName(std::string_view line, std::string_view& name) {
    const std::string_view text = TrimWhite(line);
    if (text.size() < 2 * kMark.size() + 1 || !text.starts_with(kMark) || !text.ends_with(kMark)) {
        return false;
    }
    name = TrimWhite(text.substr(kMark.size(), text.size() - 2 * kMark.size()));
    return true;
}

bool AnyNameChanged(const CCtrlModel& model) {
    for (const auto& pDb : model.GetDatabases()) {
        if (pDb->m_dwState & DBSTATE_NAME_CHANGED) {
            return true;
        }
    }
    return false;
}

int32_t UpdateSampleQueryFile(const CCtrlModel& model, const CProductRegKey& key) {
    return AnyNameChanged(model) ? RewriteSampleQueryFile(RenamedSinceSave(model), key) : TQ_OK;
}

int32_t RewriteSampleQueryFile(const RenameMap& renamed, const CProductRegKey& key) {
    std::string strFolder;
    std::string strFile;
    if (key.GetString("Path", "SampleQuery", strFolder) != 0 ||
        key.GetString("Builder", "SampleQueryFile", strFile) != 0) {
        return TQE_REG_READ;
    }
    AppendBackslash(strFolder);
    const std::string strPath = strFolder + strFile;
    if (GetPathType(strPath) != PATH_FILE) {
        return TQ_OK;
    }
    std::string text;
    {
        // Other writers are kept out while the file is read, so no half-written text is taken.
        CFile file;
        if (file.Open(strPath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING) != 0 ||
            ReadAll(file, text) != 0) {
            return TQE_SAMPLE_QUERY_OPEN;
        }
    }
    bool bChanged = false;
    const std::string out = RewriteLines(text, renamed, bChanged);
    if (!bChanged) {
        return TQ_OK;
    }
    // The new text goes to "<file>.NEW" and replaces the file in one rename: at every moment
    // the file's name holds the old text or the new one.
    const std::string strNewPath = strPath + ".NEW";
    int32_t lResult = WriteNewFile(strNewPath, out);
    if (lResult == TQ_OK &&
        (MoveFileReplace(strNewPath, strPath) != 0 || FlushDirectory(strFolder) != 0)) {
        lResult = TQE_SAMPLE_QUERY_NEW;
    }
    if (lResult != TQ_OK) {
        DeleteFile(strNewPath);
    }
    return lResult;
}

}  // namespace tq
