// What the benchmark programs share: the generated base control file, a private prefix that is
// removed at exit, a product installed in it, and the baselines every figure is set against
// (reading a file and splitting its lines with memchr; fwrite of the same bytes plus the flushes
// the writer makes).
#pragma once

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "frame/CtrlFileMgrIds.h"
#include "manager/ProductRegKey.h"
#include "platform/File.h"
#include "platform/Path.h"
#include "platform/Registry.h"
#include "platform/posix/Prefix.h"

extern char** environ;

namespace tq::bench {

// Runs a program with its output discarded; its exit status, or -1 when it could not run.
inline int RunProgram(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int err = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (err != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

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

inline bool WriteLinuxFile(const std::string& strPath, const std::string& text) {
    FILE* f = std::fopen(strPath.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    bool bOk = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && bOk;
}

inline std::string ReadLinuxFile(const std::string& strPath) {
    std::string text;
    if (FILE* f = std::fopen(strPath.c_str(), "rb")) {
        text.resize(std::filesystem::file_size(strPath));
        text.resize(std::fread(text.data(), 1, text.size(), f));
        std::fclose(f);
    }
    return text;
}

inline std::string WinPath(const std::string& strLinux) {
    std::string strWin;
    ToWindowsPath(strLinux, strWin);
    return strWin;
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
    if (!WriteLinuxFile(strPath, text)) {
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

// Keeps the memory freed by one run of an operation in the process for the next, so that every
// timed run finds its memory already touched. On a virtual machine the first touch of fresh
// memory can cost more than the operation itself, and whether the allocator gives memory back
// between runs is a matter of chance; both would make the figures of large files jump.
// TQ_BENCH_FRESH_MEMORY=1 leaves the allocator as a host process has it, to see that cost.
inline void KeepFreedMemory() {
    const char* pszFresh = std::getenv("TQ_BENCH_FRESH_MEMORY");
    if (pszFresh != nullptr && std::string(pszFresh) == "1") {
        return;
    }
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
}

// Runs the operation once untimed (the file in the page cache, the memory touched), then in the
// timed loop. An operation that answers false ends the benchmark with the message.
template <class TOperation>
void RunWarm(benchmark::State& state, const char* pszError, TOperation operation) {
    if (!operation()) {
        state.SkipWithError(pszError);
        return;
    }
    for (auto _ : state) {
        if (!operation()) {
            state.SkipWithError(pszError);
            break;
        }
    }
}

// The registration of an operation too long to repeat (a whole process, or its baseline): one
// run at n databases, timed by the benchmark itself, in milliseconds.
template <int N>
void OnceAt(benchmark::internal::Benchmark* b) {
    b->Arg(N)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
}

// A private prefix for the run, in use by this process from construction; removed at exit.
class CBenchPrefix {
public:
    CBenchPrefix() {
        char tmpl[] = "/tmp/tq-bench.XXXXXX";
        m_strDir = mkdtemp(tmpl) != nullptr ? tmpl : "/tmp/tq-bench";
        CPrefix::Use(m_strDir);
    }
    ~CBenchPrefix() {
        std::error_code ec;
        std::filesystem::remove_all(m_strDir, ec);
    }
    CBenchPrefix(const CBenchPrefix&) = delete;
    CBenchPrefix& operator=(const CBenchPrefix&) = delete;

    const std::string& Dir() const { return m_strDir; }
    // A Linux path on drive C:.
    std::string C(const std::string& strRel) const { return m_strDir + "/drives/c/" + strRel; }
    // Runs one of the tools on this prefix; its exit status (RunProgram).
    int RunTool(const char* pszTool, std::vector<std::string> args) const {
        args.insert(args.begin(), {pszTool, "--prefix", m_strDir});
        return RunProgram(args);
    }

private:
    std::string m_strDir;
};

// A product installed in the prefix: its registry values, its data folder C:\Data and its
// control folder C:\Ctrl, which holds the base control file base.ctl and the control file
// ctrl.ctl.
class CBenchProduct {
public:
    static constexpr const char* kName = "Bench";

    explicit CBenchProduct(const CBenchPrefix& prefix) : m_prefix(prefix) {
        Set("", "ProductName", "Bench");
        Set("Path", "DataPath", "C:\\Data");
        Set("Path", "Control", "C:\\Ctrl");
        Set("Path", "SampleQuery", "C:\\Ctrl");
        Set("Builder", "BaseControlFile", "base.ctl");
        Set("Builder", "ControlFile", "ctrl.ctl");
        Set("Builder", "SampleQueryFile", "sample.txt");
        mkdir(m_prefix.C("Data").c_str(), 0755);
        mkdir(m_prefix.C("Ctrl").c_str(), 0755);
    }

    static std::string KeyPath() { return std::string(kProductKeyBase) + kName; }
    std::string BasePath() const { return m_prefix.C("Ctrl/base.ctl"); }
    std::string ControlPath() const { return m_prefix.C("Ctrl/ctrl.ctl"); }
    // A new base control file, and no control file (the next save writes one).
    void WriteBase(const std::string& text) const {
        WriteLinuxFile(BasePath(), text);
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

    const CBenchPrefix& m_prefix;
};

// Runs the benchmarks the command line names; 2 for an argument the library does not know.
inline int RunBenchmarks(int& argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace tq::bench

// The main function of a benchmark program: memory kept between runs, then the benchmarks.
#define TQ_BENCHMARK_MAIN()                          \
    int main(int argc, char** argv) {                \
        tq::bench::KeepFreedMemory();                \
        return tq::bench::RunBenchmarks(argc, argv); \
    }
