#include "manager/PendingRenames.h"

#include <cstdio>
#include <unordered_set>

#include "controlfile/NameRules.h"
#include "platform/Cp932.h"
#include "platform/File.h"
#include "platform/Win32Error.h"

namespace tq {
namespace {

constexpr std::string_view kHeader = "TQRENAMES ";
constexpr uint32_t kVersion = 1;
constexpr std::string_view kTrailer = "END ";
constexpr size_t kMaxRecord = 1u << 20;  // far beyond any product's renames
constexpr uint32_t kReadChunk = 1u << 16;

uint32_t Checksum(std::string_view bytes) {
    uint32_t hash = 2166136261u;  // FNV-1a
    for (unsigned char c : bytes) {
        hash = (hash ^ c) * 16777619u;
    }
    return hash;
}

std::string Trailer(size_t count, std::string_view entries) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%zu %08x\r\n", count, Checksum(entries));
    return std::string(kTrailer) + buf;
}

// The next CR LF line of text from pos, without its end; false when no whole line is left.
bool NextLine(std::string_view text, size_t& pos, std::string_view& line) {
    const size_t end = text.find("\r\n", pos);
    if (end == std::string_view::npos) {
        return false;
    }
    line = text.substr(pos, end - pos);
    pos = end + 2;
    return true;
}

bool ParseVersion(std::string_view digits, uint32_t& version) {
    if (digits.empty() || digits.size() > 9) {
        return false;
    }
    version = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return false;
        }
        version = version * 10 + static_cast<uint32_t>(c - '0');
    }
    return true;
}

}  // namespace

std::string PendingRenamesPath(const std::string& strBasePath) {
    return strBasePath + ".renames";
}

std::string RenderPendingRenames(const std::vector<CPendingRename>& renames) {
    std::string entries;
    for (const auto& rename : renames) {
        entries += rename.m_strOld + "\t" + rename.m_strNew + "\r\n";
    }
    return std::string(kHeader) + std::to_string(kVersion) + "\r\n" + entries +
           Trailer(renames.size(), entries);
}

EPendingState ParsePendingRenames(std::string_view text, std::vector<CPendingRename>& renames) {
    renames.clear();
    size_t pos = 0;
    std::string_view line;
    uint32_t version = 0;
    if (!NextLine(text, pos, line) || !line.starts_with(kHeader) ||
        !ParseVersion(line.substr(kHeader.size()), version) || version == 0) {
        return EPendingState::kDamaged;
    }
    if (version > kVersion) {
        return EPendingState::kNewer;
    }
    const size_t entriesStart = pos;
    size_t entriesEnd = pos;
    std::vector<CPendingRename> read;
    while (NextLine(text, pos, line) && !line.starts_with(kTrailer)) {
        const size_t tab = line.find('\t');
        if (tab == std::string_view::npos) {
            return EPendingState::kDamaged;
        }
        CPendingRename rename{std::string(line.substr(0, tab)), std::string(line.substr(tab + 1))};
        // Only names a database may have: a name is never taken from a torn or foreign line.
        if (CheckDatabaseName(rename.m_strOld) != 0 || CheckDatabaseName(rename.m_strNew) != 0) {
            return EPendingState::kDamaged;
        }
        read.push_back(std::move(rename));
        entriesEnd = pos;
    }
    const std::string_view entries = text.substr(entriesStart, entriesEnd - entriesStart);
    if (pos != text.size() || !line.starts_with(kTrailer) ||
        std::string(line) + "\r\n" != Trailer(read.size(), entries)) {
        return EPendingState::kDamaged;
    }
    renames = std::move(read);
    return EPendingState::kRead;
}

EPendingState ReadPendingRenames(const std::string& strPath, std::vector<CPendingRename>& renames) {
    renames.clear();
    CFile file;
    const int32_t err = file.Open(strPath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) {
        return EPendingState::kNone;
    }
    std::string text;
    for (;;) {
        char buffer[kReadChunk];
        uint32_t cbRead = 0;
        if (err != 0 || file.Read(buffer, kReadChunk, cbRead) != 0) {
            return EPendingState::kUnreadable;
        }
        if (cbRead == 0) {
            break;
        }
        text.append(buffer, cbRead);
        if (text.size() > kMaxRecord) {
            return EPendingState::kDamaged;
        }
    }
    return ParsePendingRenames(text, renames);
}

int32_t WritePendingRenames(const std::string& strPath,
                            const std::vector<CPendingRename>& renames) {
    const std::string strNewPath = strPath + ".NEW";
    const std::string text = RenderPendingRenames(renames);
    CFile file;
    int32_t err = file.Open(strNewPath, GENERIC_WRITE, FILE_SHARE_NONE, CREATE_ALWAYS);
    if (err == 0) {
        err = file.Write(text.data(), static_cast<uint32_t>(text.size()));
    }
    if (err == 0) {
        err = file.Flush();
    }
    if (const int32_t errClose = file.Close(); err == 0) {
        err = errClose;
    }
    if (err == 0) {
        err = MoveFileReplace(strNewPath, strPath);
    }
    if (err == 0) {
        std::string strFolder;
        std::string strFile;
        SplitPath(strPath, strFolder, strFile);
        err = FlushDirectory(strFolder);
    }
    if (err != 0) {
        DeleteFile(strNewPath);
    }
    return err;
}

RenameMap ResolvePendingRenames(const std::vector<CPendingRename>& renames, const CCtrlModel& model,
                                std::vector<CPendingRename>* pDropped) {
    std::unordered_map<std::string, std::string> held;  // lower case -> as the model spells it
    for (const auto& pDb : model.GetDatabases()) {
        held.emplace(ToLowerCp932(pDb->m_strName), std::string(pDb->m_strName));
    }
    RenameMap resolved;
    std::unordered_set<std::string> seen;
    for (const auto& start : renames) {
        const std::string key = ToLowerCp932(start.m_strOld);
        if (!seen.insert(key).second) {
            continue;
        }
        // Depth first from the newest rename of each name; a name once visited is not
        // followed again, so even a record that renames in circles ends.
        std::string target;
        std::unordered_set<std::string> visited{key};
        std::vector<std::string> stack{key};
        while (target.empty() && !held.count(key) && !stack.empty()) {
            const std::string name = stack.back();
            stack.pop_back();
            for (auto it = renames.rbegin(); it != renames.rend() && target.empty(); ++it) {
                const std::string next = ToLowerCp932(it->m_strNew);
                if (ToLowerCp932(it->m_strOld) != name || !visited.insert(next).second) {
                    continue;
                }
                if (auto found = held.find(next); found != held.end()) {
                    target = found->second;
                } else {
                    stack.push_back(next);
                }
            }
        }
        if (!target.empty()) {
            resolved.emplace(key, target);
        } else if (pDropped != nullptr) {
            pDropped->push_back(start);
        }
    }
    return resolved;
}

}  // namespace tq
