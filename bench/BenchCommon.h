// What the benchmarks of both systems share (the Google Benchmark programs of Linux and the
// Windows program run under Wine): the generated base control files, the baselines every figure
// is set against (reading a file and splitting its lines with memchr; fwrite of the same bytes
// plus the flushes the writer makes) and a product installed for the control-file object.
#pragma once

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>

#include "frame/CtrlFileMgrIds.h"
#include "manager/ProductRegKey.h"
#include "platform/File.h"
#include "platform/Path.h"
#include "platform/Registry.h"

namespace tq::bench {

// A base control file of n databases, about 10 lines and 800 bytes each as in a product's file:
// 50 groups (one of them a family range and one the default), two "###" separators, double-byte
// names whose second byte is 0x5C, five documents, a root path and a date per database.
inline std::string GenerateCtrlText(int nDatabases) {
    std::string t = ":*** Trellisquest ControlFile ***\r\nOutputLog = \"index.log\"\r\n\r\n";
    const int kGroups = 50;
    // "アプリケーション"
    t += "Group1 = \"\x83\x41\x83\x76\x83\x8a\x83\x50\x81\x5b\x83\x56\x83\x87\x83\x93\"\r\n";
    for (int g = 2; g <= kGroups; ++g) {
        t += "Group" + std::to_string(g) + " = \"1@Manuals " + std::to_string(g) + "\"\r\n";
    }
    t += "FamilyOfGroup2-10 = \"Manuals\"\r\nDefaultGroup = 2\r\n";
    for (int i = 0; i < nDatabases; ++i) {
        if (i == nDatabases / 2 || i == nDatabases * 9 / 10) {
            t += "\r\n###\r\n";
        }
        std::string name = "Database" + std::to_string(i);
        t += "[" + name + "]\r\nPublicName = \"Product manual number " + std::to_string(i) +
             " for the \x95\x5C series\"\r\nGroup = 1\r\nGroup = " +
             std::to_string(2 + i % (kGroups - 1)) + "\r\n";
        for (int d = 0; d < 5; ++d) {
            t += "Doc = \"<Program Files>\\Orbanworks\\Manuals\\Volume" + std::to_string(d) +
                 "\\chapter-" + std::to_string(i) + "-section-" + std::to_string(d) +
                 "-appendix.chm > Product manual " + std::to_string(i) + "\"\r\n";
        }
        t += "RootPath = \"C:\\Program Files\\Orbanworks\\Manuals\\" + name +
             "\"\r\nDate = \"3/15/2004 14:5:9\"\r\n\r\n";
    }
    return t;
}

// The chosen files of the check job's benchmark: file i of kCheckFiles small help files, half
// plain text and half HTML, each with a topic the library finds.
constexpr int kCheckFiles = 1000;
inline std::string CheckFileName(int i) {
    return "topic" + std::to_string(1000 + i) + (i % 2 == 0 ? ".txt" : ".htm");
}
inline std::string CheckFileText(int i) {
    const std::string n = std::to_string(i);
    if (i % 2 == 0) {
        return "Release notes, part " + n +
               "\r\n\r\nThis part describes the changes made to the product.\r\n";
    }
    return "<!DOCTYPE html>\r\n<html><head><title>Topic " + n +
           "</title>\r\n<style>body { margin: 0 }</style></head>\r\n<body><h1>Topic " + n +
           "</h1><p>How to use the feature.</p></body></html>\r\n";
}

// Files of the system the program runs on, by its own path (the Linux one on Linux).
inline bool WriteHostFile(const std::string& strPath, const std::string& text) {
    FILE* f = std::fopen(strPath.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    bool bOk = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && bOk;
}

inline std::string ReadHostFile(const std::string& strPath) {
    std::string text;
    if (FILE* f = std::fopen(strPath.c_str(), "rb")) {
        text.resize(std::filesystem::file_size(strPath));
        text.resize(std::fread(text.data(), 1, text.size(), f));
        std::fclose(f);
    }
    return text;
}

// The component's name of a path of the system (on Windows its full path).
inline std::string WinPath(const std::string& strLinux) {
    std::string strWin;
    ToWindowsPath(strLinux, strWin);
    return strWin;
}

// A base control file of n databases as a save meets it: 50 top-level groups of 20 subgroups
// each, every database with documents, registry references and a date (about 800 bytes a
// database). The last one is selectable (after "###"), the rest fixed.
inline std::string GenerateNestedCtrlText(int n) {
    std::string text;
    text.reserve(static_cast<size_t>(n) * 850 + 65536);
    char line[512];
    int id = 1;
    for (int top = 0; top < 50; ++top) {
        const int topId = id++;
        std::snprintf(line, sizeof line, "Group%d = \"Family %d\"\r\n", topId, top);
        text += line;
        for (int sub = 0; sub < 20; ++sub) {
            std::snprintf(line, sizeof line, "Group%d = \"%d@Shelf %d-%d\"\r\n", id++, topId, top,
                          sub);
            text += line;
        }
    }
    for (int i = 0; i < n; ++i) {
        text += i == n - 1 ? "###\r\n" : "";
        const int group = 2 + (i % 50) * 21 + (i / 50) % 20;
        std::snprintf(line, sizeof line,
                      "[DB%05d]\r\nPublicName = \"Database %d\"\r\nGroup = %d\r\n"
                      "Doc = \"C:\\Manuals\\db%05d\\guide.chm > Database %d\"\r\n"
                      "Doc = \"C:\\Manuals\\db%05d\\reference.pdf > Database %d\"\r\n"
                      "Doc = \"<WINDOWS>\\Help\\db%05d.hlp > Database %d\"\r\n",
                      i, i, group, i, i, i, i, i, i);
        text += line;
        std::snprintf(line, sizeof line,
                      "SkipDoc = \"C:\\Manuals\\db%05d\\index.htm\"\r\n"
                      "RootPath = \"C:\\Program Files\\Vendor\\Application %05d\"\r\n"
                      "RegKey = \"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Application %05d\"\r\n"
                      "RegEntry = \"InstallDir\"\r\n"
                      "ExePath = \"C:\\Program Files\\Vendor\\Application %05d\\bin\"\r\n"
                      "ExeKey = \"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\App%05d\\shell\"\r\n"
                      "Date = \"3/15/2004 14:5:9\"\r\n\r\n",
                      i, i, i, i, i);
        text += line;
    }
    return text;
}

// Baseline for reading: the file read whole and split into lines with memchr. The line count.
// The caller keeps the buffer across calls.
inline size_t ReadAndSplit(const std::string& strPath, std::string& buffer) {
    FILE* f = std::fopen(strPath.c_str(), "rb");
    if (f == nullptr) {
        return 0;
    }
    buffer.resize(std::filesystem::file_size(strPath));
    size_t cb = std::fread(buffer.data(), 1, buffer.size(), f);
    std::fclose(f);
    size_t nLines = 0;
    const char* const pEnd = buffer.data() + cb;
    for (const char* p = buffer.data(); p < pEnd; ++nLines) {
        const void* nl = std::memchr(p, '\n', static_cast<size_t>(pEnd - p));
        p = nl != nullptr ? static_cast<const char*>(nl) + 1 : pEnd;
    }
    return nLines;
}

// Baseline for writing: fwrite of the bytes, then the flushes the writer makes (the file's
// data, then its folder, so that the new name survives a crash).
inline bool WriteAndFlush(const std::string& strPath, const std::string& text) {
    if (!WriteHostFile(strPath, text)) {
        return false;
    }
    CFile file;
    if (file.Open(WinPath(strPath), GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING) != 0) {
        return false;
    }
    bool bOk = file.Flush() == 0;
    file.Close();
    return FlushDirectory(WinPath(std::filesystem::path(strPath).parent_path().string())) == 0 &&
           bOk;
}

// A product installed on a drive C given by its folder (ending in "/"): its registry values, its
// data folder C:\Data and its control folder C:\Ctrl, which holds the base control file
// base.ctl and the control file ctrl.ctl.
class CBenchProduct {
public:
    static constexpr const char* kName = "Bench";

    explicit CBenchProduct(std::string strDriveC) : m_strDriveC(std::move(strDriveC)) {
        std::filesystem::create_directories(m_strDriveC + "Data");
        std::filesystem::create_directories(m_strDriveC + "Ctrl");
        Set("", "ProductName", "Bench");
        Set("Path", "DataPath", WinPath(m_strDriveC + "Data"));
        Set("Path", "Control", WinPath(m_strDriveC + "Ctrl"));
        Set("Path", "SampleQuery", WinPath(m_strDriveC + "Ctrl"));
        Set("Builder", "BaseControlFile", "base.ctl");
        Set("Builder", "ControlFile", "ctrl.ctl");
        Set("Builder", "SampleQueryFile", "sample.txt");
    }

    static std::string KeyPath() { return std::string(kProductKeyBase) + kName; }
    std::string BasePath() const { return m_strDriveC + "Ctrl/base.ctl"; }
    std::string ControlPath() const { return m_strDriveC + "Ctrl/ctrl.ctl"; }
    // A new base control file, and no control file (the next save writes one).
    void WriteBase(const std::string& text) const {
        WriteHostFile(BasePath(), text);
        std::error_code ec;
        std::filesystem::remove(ControlPath(), ec);
    }

private:
    static void Set(const std::string& strSub, const std::string& strName,
                    const std::string& strValue) {
        CRegKey key;
        key.Create(HKEY_LOCAL_MACHINE, strSub.empty() ? KeyPath() : KeyPath() + "\\" + strSub,
                   KEY_ALL_ACCESS);
        key.SetString(strName, strValue);
    }

    std::string m_strDriveC;
};

}  // namespace tq::bench
