#include "platform/posix/Prefix.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "platform/Cp932.h"
#include "platform/Win32Error.h"

namespace tq {
namespace {

std::mutex g_prefixMutex;
CPrefix* g_pCurrent = nullptr;
// Earlier prefixes stay alive: another thread may still hold a reference from Current().
std::vector<std::unique_ptr<CPrefix>>& AllPrefixes() {
    static std::vector<std::unique_ptr<CPrefix>> s_all;
    return s_all;
}
std::vector<PrefixChangedHook>& Hooks() {
    static std::vector<PrefixChangedHook> s_hooks;
    return s_hooks;
}

std::string DefaultPrefixDir() {
    if (const char* p = std::getenv("TQ_PREFIX"); p != nullptr && *p != '\0') {
        return p;
    }
    if (const char* p = std::getenv("XDG_DATA_HOME"); p != nullptr && *p != '\0') {
        return std::string(p) + "/trellisquest";
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr && *home != '\0' ? home : "/tmp") +
           "/.local/share/trellisquest";
}

int32_t MakeDirs(const std::string& path) {
    std::string partial;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t next = path.find('/', pos);
        if (next == std::string::npos) {
            next = path.size();
        }
        partial = path.substr(0, next);
        pos = next + 1;
        if (partial.empty()) {
            continue;
        }
        if (mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) {
            return Win32FromErrno(errno);
        }
    }
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        return Win32FromErrno(errno);
    }
    return S_ISDIR(st.st_mode) ? ERROR_SUCCESS : ERROR_DIRECTORY;
}

std::string AbsoluteDir(const std::string& prefixDir, const std::string& dir) {
    return (!dir.empty() && dir[0] == '/') ? dir : prefixDir + "/" + dir;
}

// Splits a drives.conf line into fields; a field may be quoted with double quotes.
std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        }
        if (i >= line.size() || line[i] == '#') {
            break;
        }
        std::string field;
        if (line[i] == '"') {
            size_t end = line.find('"', i + 1);
            field = line.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
            i = end == std::string::npos ? line.size() : end + 1;
        } else {
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
                field += line[i++];
            }
        }
        fields.push_back(field);
    }
    return fields;
}

}  // namespace

CPrefix::CPrefix(std::string strDir) : m_strDir(std::move(strDir)) {
    while (m_strDir.size() > 1 && m_strDir.back() == '/') {
        m_strDir.pop_back();
    }
}

CPrefix& CPrefix::Current() {
    std::lock_guard<std::mutex> lock(g_prefixMutex);
    if (g_pCurrent == nullptr) {
        auto prefix = std::unique_ptr<CPrefix>(new CPrefix(DefaultPrefixDir()));
        prefix->m_lInitError = prefix->Create();
        g_pCurrent = prefix.get();
        AllPrefixes().push_back(std::move(prefix));
    }
    return *g_pCurrent;
}

int32_t CPrefix::Use(const std::string& strDir) {
    auto prefix = std::unique_ptr<CPrefix>(new CPrefix(strDir));
    int32_t err = prefix->Create();
    prefix->m_lInitError = err;
    std::vector<PrefixChangedHook> hooks;
    {
        std::lock_guard<std::mutex> lock(g_prefixMutex);
        g_pCurrent = prefix.get();
        AllPrefixes().push_back(std::move(prefix));
        hooks = Hooks();
    }
    for (PrefixChangedHook hook : hooks) {
        hook();
    }
    return err;
}

void RegisterPrefixChangedHook(PrefixChangedHook hook) {
    std::lock_guard<std::mutex> lock(g_prefixMutex);
    Hooks().push_back(hook);
}

int32_t CPrefix::Create() {
    static const char* const kDirs[] = {"registry", "locks", "drives/c/WINDOWS/system32",
                                        "drives/c/Program Files"};
    for (const char* sub : kDirs) {
        if (int32_t err = MakeDirs(m_strDir + "/" + sub); err != ERROR_SUCCESS) {
            return err;
        }
    }
    std::string z = m_strDir + "/drives/z";
    struct stat st;
    if (lstat(z.c_str(), &st) != 0 && symlink("/", z.c_str()) != 0 && errno != EEXIST) {
        return Win32FromErrno(errno);
    }
    // The locks folder is shared by every user of the prefix, like the kernel's object
    // namespace; an editor running as another user must be able to create its mutex there.
    chmod((m_strDir + "/locks").c_str(), 01777);
    LoadDrives();
    return ERROR_SUCCESS;
}

void CPrefix::LoadDrives() {
    std::vector<CDriveInfo> drives;
    drives.push_back({'C', DRIVE_FIXED, m_strDir + "/drives/c", ""});
    std::ifstream in(m_strDir + "/drives.conf");
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f = SplitFields(line);
        if (f.size() < 3 || f[0].size() != 2 || f[0][1] != ':' ||
            !std::isalpha(static_cast<unsigned char>(f[0][0]))) {
            continue;
        }
        CDriveInfo info;
        info.m_cLetter = static_cast<char>(std::toupper(static_cast<unsigned char>(f[0][0])));
        info.m_nType = f[1] == "remote" ? DRIVE_REMOTE : DRIVE_FIXED;
        info.m_strLinuxDir = AbsoluteDir(m_strDir, f[2]);
        if (info.m_nType == DRIVE_REMOTE && f.size() >= 4 &&
            Utf8ToCp932(f[3], info.m_strUncName) != ERROR_SUCCESS) {
            continue;
        }
        if (info.m_cLetter == 'C' || info.m_cLetter == 'Z') {
            continue;  // the prefix's own drives cannot be redefined
        }
        drives.push_back(info);
    }
    drives.push_back({'Z', DRIVE_FIXED, m_strDir + "/drives/z", ""});
    std::sort(drives.begin(), drives.end(),
              [](const CDriveInfo& a, const CDriveInfo& b) { return a.m_cLetter < b.m_cLetter; });
    std::lock_guard<std::mutex> lock(m_mutex);
    m_drives = std::move(drives);
}

std::vector<CDriveInfo> CPrefix::GetDrives() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_drives;
}

bool CPrefix::FindDrive(char cLetter, CDriveInfo& info) const {
    char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(cLetter)));
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const CDriveInfo& d : m_drives) {
        if (d.m_cLetter == upper) {
            info = d;
            return true;
        }
    }
    return false;
}

int32_t CPrefix::AddDrive(const CDriveInfo& info) {
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(info.m_cLetter)));
    if (letter < 'A' || letter > 'Z' || letter == 'C' || letter == 'Z' ||
        info.m_strLinuxDir.empty()) {
        return ERROR_INVALID_PARAMETER;
    }
    std::string unc;
    if (info.m_nType == DRIVE_REMOTE && Cp932ToUtf8(info.m_strUncName, unc) != ERROR_SUCCESS) {
        return ERROR_INVALID_NAME;
    }
    std::ostringstream text;
    {
        std::ifstream in(m_strDir + "/drives.conf");
        std::string line;
        while (std::getline(in, line)) {
            std::vector<std::string> f = SplitFields(line);
            if (f.empty() || f[0].size() != 2 ||
                std::toupper(static_cast<unsigned char>(f[0][0])) != letter) {
                text << line << "\n";
            }
        }
    }
    text << letter << ": " << (info.m_nType == DRIVE_REMOTE ? "remote" : "fixed") << " \""
         << info.m_strLinuxDir << "\"";
    if (info.m_nType == DRIVE_REMOTE) {
        text << " " << unc;
    }
    text << "\n";
    std::string tmp = m_strDir + "/drives.conf.new";
    {
        std::ofstream out(tmp, std::ios::trunc);
        out << text.str();
        if (!out.flush()) {
            return ERROR_WRITE_FAULT;
        }
    }
    if (rename(tmp.c_str(), (m_strDir + "/drives.conf").c_str()) != 0) {
        return Win32FromErrno(errno);
    }
    LoadDrives();
    return ERROR_SUCCESS;
}

}  // namespace tq
