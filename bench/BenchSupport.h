// What the Google Benchmark programs of Linux share beyond BenchCommon.h: a private prefix that is
// removed at exit, the runs of other programs, the warm runs and the main function.
#pragma once

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "platform/posix/Prefix.h"

extern char** environ;

namespace tq::bench {

// The largest of a counter's repetitions (ComputeStatistics("max", Largest)): a pause of the
// user's thread matters when it happens once.
inline double Largest(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

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
