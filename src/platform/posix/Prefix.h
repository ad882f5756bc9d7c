// The prefix: a directory that holds an embedded Windows-like machine (registry hives, drive
// directories, named mutexes). Chosen by TQ_PREFIX, else $XDG_DATA_HOME/trellisquest, else
// ~/.local/share/trellisquest; created on first use.
//
//   registry/machine.db   HKEY_LOCAL_MACHINE (HKEY_CLASSES_ROOT = HKLM\SOFTWARE\Classes)
//   registry/user.db      HKEY_CURRENT_USER
//   registry/users.db     HKEY_USERS
//   drives/c              drive C: (WINDOWS, WINDOWS/system32, Program Files)
//   drives/z -> /         drive Z:
//   drives.conf           further drives, one per line:  LETTER: fixed|remote DIR [\\server\share]
//                         (DIR relative to the prefix or absolute; '#' starts a comment)
//   locks/                named mutexes
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Path.h"

namespace tq {

struct CDriveInfo {
    char m_cLetter = 'C';  // upper case
    uint32_t m_nType = DRIVE_FIXED;
    std::string m_strLinuxDir;  // absolute Linux directory behind the drive root
    std::string m_strUncName;   // \\server\share for remote drives, code page 932
};

class CPrefix {
public:
    // The process-wide prefix. The first call creates the prefix when it does not exist yet.
    static CPrefix& Current();
    // Switches the process to another prefix directory (tests, --prefix). Closes every cached
    // registry connection. Returns a Win32 error when the prefix cannot be created.
    static int32_t Use(const std::string& strDir);

    const std::string& GetDir() const { return m_strDir; }
    std::string GetRegistryDir() const { return m_strDir + "/registry"; }
    std::string GetLocksDir() const { return m_strDir + "/locks"; }
    // The drives in letter order (C: and Z: always, then drives.conf).
    std::vector<CDriveInfo> GetDrives() const;
    // The drive for a letter (either case); false when there is none.
    bool FindDrive(char cLetter, CDriveInfo& info) const;
    // Result of creating or opening the prefix: 0, or the Win32 error that stopped it.
    int32_t GetInitError() const { return m_lInitError; }

    // Adds or replaces a drive in drives.conf (used by tests and set-up scripts).
    int32_t AddDrive(const CDriveInfo& info);

private:
    explicit CPrefix(std::string strDir);
    int32_t Create();
    void LoadDrives();

    std::string m_strDir;
    int32_t m_lInitError = 0;
    mutable std::mutex m_mutex;
    std::vector<CDriveInfo> m_drives;
};

// Hook run after a prefix has been switched: lets the registry drop its connections.
using PrefixChangedHook = void (*)();
void RegisterPrefixChangedHook(PrefixChangedHook hook);

}  // namespace tq
