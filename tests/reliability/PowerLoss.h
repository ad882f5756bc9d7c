// The power-loss layer: records what a save asks of the disk (the system-call table, a wrapping
// SQLite VFS) and builds the states a power cut may leave. The model is in PowerLoss_test.cc.
#pragma once

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/posix/SysCalls.h"
#include "support/TestSupport.h"

namespace tq::test {

struct CDiskOp {
    enum EKind { kCreate, kWrite, kTruncate, kSyncFile, kSyncFolder, kRename, kUnlink, kMkdir };
    EKind m_kind;
    std::string m_strPath;     // the file or folder; a rename's source
    std::string m_strTo = {};  // a rename's target
    int64_t m_nAt = 0;         // a write's offset, a truncate's length (CPowerCut: the file)
    std::string m_data = {};   // a write's bytes
};

// Records the steps on paths under a folder while it lives (one recorder at a time).
class CDiskRecorder {
public:
    explicit CDiskRecorder(std::string strRoot) : m_strRoot(std::move(strRoot)) {
        s_pActive = this;
        m_override->m_pfnOpen = [](const char* p, int flags, mode_t mode) {
            const bool bNew = (flags & O_CREAT) && access(p, F_OK) != 0;
            const int fd = DefaultSysCalls().m_pfnOpen(p, flags, mode);
            if (fd >= 0 && (bNew || (flags & O_TRUNC))) {
                Add(bNew ? CDiskOp::kCreate : CDiskOp::kTruncate, p);
            }
            return fd >= 0 ? (s_pActive->m_fds[fd] = {p, (flags & O_DIRECTORY) != 0}, fd) : fd;
        };
        m_override->m_pfnClose = [](int fd) { return s_pActive->m_fds.erase(fd), close(fd); };
        m_override->m_pfnWrite = [](int fd, const void* p, size_t n) {
            const ssize_t done = write(fd, p, n);
            if (done > 0) {
                Add(CDiskOp::kWrite, s_pActive->m_fds[fd].first, "", lseek(fd, 0, SEEK_CUR) - done,
                    std::string(static_cast<const char*>(p), done));
            }
            return done;
        };
        m_override->m_pfnFtruncate = [](int fd, off_t n) {
            return Done(ftruncate(fd, n), CDiskOp::kTruncate, s_pActive->m_fds[fd].first, "", n);
        };
        m_override->m_pfnFsync = [](int fd) { return Synced(fd, fsync(fd)); };
        m_override->m_pfnFdatasync = [](int fd) { return Synced(fd, fdatasync(fd)); };
        m_override->m_pfnRename = [](const char* a, const char* b) {
            return Done(rename(a, b), CDiskOp::kRename, a, b);
        };
        m_override->m_pfnRenameNoReplace = [](const char* a, const char* b) {
            return Done(DefaultSysCalls().m_pfnRenameNoReplace(a, b), CDiskOp::kRename, a, b);
        };
        m_override->m_pfnUnlink = [](const char* p) {
            return Done(unlink(p), CDiskOp::kUnlink, p);
        };
        m_override->m_pfnMkdir = [](const char* p, mode_t m) {
            return Done(mkdir(p, m), CDiskOp::kMkdir, p);
        };
    }
    ~CDiskRecorder() { s_pActive = nullptr; }

    // Makes the registry's files go through the recording VFS, for the hives connected after.
    static void TapRegistry() { sqlite3_vfs_register(TapVfs(), 1); }

    std::vector<CDiskOp> m_ops;

private:
    // Adds a step on a path under the root (none when nothing records).
    static void Add(CDiskOp::EKind kind, const std::string& path, const std::string& to = "",
                    int64_t at = 0, std::string data = "") {
        if (s_pActive != nullptr && path.starts_with(s_pActive->m_strRoot + "/")) {
            s_pActive->m_ops.push_back({kind, path, to, at, std::move(data)});
        }
    }
    static int Done(int rc, CDiskOp::EKind kind, const std::string& path,
                    const std::string& to = "", int64_t at = 0) {
        return rc == 0 ? (Add(kind, path, to, at), 0) : rc;
    }
    static int Synced(int fd, int rc) {
        const auto& [path, bFolder] = s_pActive->m_fds[fd];
        return Done(rc, bFolder ? CDiskOp::kSyncFolder : CDiskOp::kSyncFile, path);
    }

    // Each kind of registry file keeps its own methods but for the three that change the disk
    // (the registry keeps its log, so it deletes no file).
    static inline std::map<const sqlite3_io_methods*, sqlite3_io_methods> s_tapped;  // real's ->
    static inline std::map<const sqlite3_file*, std::string> s_paths;                // open files
    static const sqlite3_io_methods& Real(sqlite3_file* f) {
        const auto it = std::find_if(s_tapped.begin(), s_tapped.end(),
                                     [f](const auto& tap) { return &tap.second == f->pMethods; });
        return *it->first;
    }
    static sqlite3_vfs* TapVfs() {
        static sqlite3_vfs* s_pReal = sqlite3_vfs_find(nullptr);
        static sqlite3_vfs s_vfs = [] {
            sqlite3_vfs vfs = *s_pReal;
            vfs.zName = "tq-power-loss";
            vfs.xOpen = [](sqlite3_vfs*, const char* name, sqlite3_file* pFile, int nFlags,
                           int* out) {
                const bool bNew = name != nullptr && access(name, F_OK) != 0;
                const int rc = s_pReal->xOpen(s_pReal, name, pFile, nFlags, out);
                if (pFile->pMethods == nullptr) {
                    return rc;
                }
                sqlite3_io_methods& tapped =
                    s_tapped.try_emplace(pFile->pMethods, *pFile->pMethods).first->second;
                tapped.xWrite = [](sqlite3_file* f, const void* p, int n, sqlite3_int64 at) {
                    Add(CDiskOp::kWrite, s_paths[f], "", at,
                        std::string(static_cast<const char*>(p), n));
                    return Real(f).xWrite(f, p, n, at);
                };
                tapped.xTruncate = [](sqlite3_file* f, sqlite3_int64 n) {
                    return Add(CDiskOp::kTruncate, s_paths[f], "", n), Real(f).xTruncate(f, n);
                };
                tapped.xSync = [](sqlite3_file* f, int flags) {
                    const int synced = Real(f).xSync(f, flags);
                    return synced == SQLITE_OK ? (Add(CDiskOp::kSyncFile, s_paths[f]), 0) : synced;
                };
                pFile->pMethods = &tapped;
                s_paths[pFile] = name != nullptr ? name : "";
                return bNew ? (Add(CDiskOp::kCreate, name), rc) : rc;
            };
            return vfs;
        }();
        return &s_vfs;
    }

    CSysCallOverride m_override;
    std::map<int, std::pair<std::string, bool>> m_fds;  // fd -> path, whether a folder
    std::string m_strRoot;
    static inline CDiskRecorder* s_pActive = nullptr;
};

// The state a power cut leaves after the first steps of a save, over a copy of the prefix before
// it. Without a random source all the model lets go is lost; with one, each choice is drawn.
class CPowerCut {
public:
    CPowerCut(const std::vector<CDiskOp>& ops, size_t nCut, std::string strRoot,
              std::string strBefore, std::mt19937* pRandom)
        : m_strRoot(std::move(strRoot)), m_strBefore(std::move(strBefore)), m_pRandom(pRandom) {
        for (size_t i = 0; i < nCut; ++i) {
            Step(ops[i]);
        }
    }

    void Build(const std::string& strOut) {
        namespace fs = std::filesystem;
        fs::copy(m_strBefore, strOut,
                 fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        for (auto& [folder, pending] : m_pending) {
            pending.resize(m_pRandom ? Draw(pending.size()) : 0);
            Settle(folder);
        }
        for (const std::string& path : m_seen) {
            const std::string out = strOut + path.substr(m_strRoot.size());
            fs::remove(out);
            if (m_durable.count(path)) {
                fs::create_directories(fs::path(out).parent_path());
                WriteLinuxFile(out, Content(m_durable[path]));
            }
        }
        for (const std::string& folder : m_madeFolders) {  // those not yet in their parent
            fs::remove_all(strOut + folder.substr(m_strRoot.size()));
        }
    }

private:
    static constexpr size_t kPage = 4096, kSector = 512;
    struct CInode {
        std::string m_durable;  // as at its last sync
        std::string m_current;
    };

    size_t Draw(size_t n) { return std::uniform_int_distribution<size_t>(0, n)(*m_pRandom); }
    // A name first seen holds the file as it was before the save, if there was one.
    void See(const std::string& path) {
        const std::string before = m_strBefore + path.substr(m_strRoot.size());
        if (m_seen.insert(path).second && std::filesystem::is_regular_file(before)) {
            m_inodes.push_back({ReadLinuxFile(before), ReadLinuxFile(before)});
            m_now[path] = m_durable[path] = static_cast<int>(m_inodes.size()) - 1;
        }
    }
    void Step(const CDiskOp& op) {
        const std::string path = std::filesystem::path(op.m_strPath).lexically_normal();
        const std::string folder = std::filesystem::path(path).parent_path();
        if (op.m_kind == CDiskOp::kSyncFolder) {
            return Settle(path.ends_with('/') ? path.substr(0, path.size() - 1) : path);
        }
        if (op.m_kind == CDiskOp::kMkdir) {
            m_madeFolders.insert(path);
            return m_pending[folder].push_back({op.m_kind, "", path});
        }
        See(path);
        switch (op.m_kind) {
            case CDiskOp::kCreate:
                m_inodes.push_back({});
                m_now[path] = static_cast<int>(m_inodes.size()) - 1;
                m_pending[folder].push_back({op.m_kind, "", path, m_now[path]});
                break;
            case CDiskOp::kWrite: {
                std::string& bytes = m_inodes[m_now.at(path)].m_current;
                bytes.resize(std::max(bytes.size(), op.m_nAt + op.m_data.size()));
                bytes.replace(op.m_nAt, op.m_data.size(), op.m_data);
                break;
            }
            case CDiskOp::kTruncate:
                m_inodes[m_now.at(path)].m_current.resize(op.m_nAt);
                break;
            case CDiskOp::kSyncFile:
                m_inodes[m_now.at(path)].m_durable = m_inodes[m_now.at(path)].m_current;
                break;
            case CDiskOp::kRename:
                See(op.m_strTo);
                m_now[op.m_strTo] = m_now.at(path);
                m_now.erase(path);
                m_pending[folder].push_back({op.m_kind, path, op.m_strTo, m_now[op.m_strTo]});
                break;
            default:  // kUnlink
                m_now.erase(path);
                m_pending[folder].push_back({op.m_kind, "", path});
        }
    }
    // The folder's changed names reach the disk in order (m_strTo the name, m_nAt its file).
    void Settle(const std::string& folder) {
        for (const CDiskOp& op : m_pending[folder]) {
            m_durable.erase(op.m_strPath);
            m_durable.erase(op.m_strTo);
            m_madeFolders.erase(op.m_strTo);
            if (op.m_kind == CDiskOp::kCreate || op.m_kind == CDiskOp::kRename) {
                m_durable[op.m_strTo] = static_cast<int>(op.m_nAt);
            }
        }
        m_pending[folder].clear();
    }
    // What a file holds: the synced or last size, each page synced, last written or torn.
    std::string Content(int nInode) {
        const CInode& inode = m_inodes[nInode];
        if (m_pRandom == nullptr || inode.m_durable == inode.m_current) {
            return inode.m_durable;
        }
        const size_t size = Draw(1) ? inode.m_current.size() : inode.m_durable.size();
        auto padded = [size](std::string bytes) { return bytes.resize(size), bytes; };
        const std::string now = padded(inode.m_current);
        std::string out = padded(inode.m_durable);
        for (size_t at = 0; at < size; at += kPage) {
            const size_t choice = Draw(2);
            const size_t n = choice == 0 ? 0 : choice == 1 ? kPage : kSector * (1 + Draw(6));
            out.replace(at, std::min(n, size - at), now, at, std::min(n, size - at));
        }
        return out;
    }

    std::string m_strRoot, m_strBefore;
    std::mt19937* m_pRandom;
    std::vector<CInode> m_inodes;
    std::map<std::string, int> m_now, m_durable;            // name -> file
    std::map<std::string, std::vector<CDiskOp>> m_pending;  // folder -> names changed since sync
    std::set<std::string> m_seen, m_madeFolders;
};

}  // namespace tq::test
