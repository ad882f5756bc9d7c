// Registry calls against the raw SQLite statements they are built on, in the same run.
//
// The baseline is a prepared INSERT OR REPLACE (one commit per statement), the upsert that
// SetValue runs (REPLACE deletes and reinserts the row, which costs more), and a prepared
// SELECT, on a table shaped like a hive's value table, in WAL mode with the hive's settings.
// bench/run prints each registry call's time as a multiple of its baseline; the target is at
// most 2.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "platform/Registry.h"
#include "platform/posix/Prefix.h"

namespace {

constexpr int kNames = 100;

const std::vector<std::string>& Names() {
    static const std::vector<std::string> s_names = [] {
        std::vector<std::string> names;
        for (int i = 0; i < kNames; ++i) {
            names.push_back("VALUE" + std::to_string(i));
        }
        return names;
    }();
    return s_names;
}

const std::string kData = "C:\\Program Files\\Orbanworks\\Trellisquest\\Data";

// A private folder for the run, removed at exit.
const std::string& WorkDir() {
    static const std::string s_dir = [] {
        char tmpl[] = "/tmp/tq-bench.XXXXXX";
        std::string dir = mkdtemp(tmpl) ? tmpl : "/tmp";
        tq::CPrefix::Use(dir + "/prefix");
        return dir;
    }();
    return s_dir;
}

// The baseline database: the value table of a hive, nothing else.
class CRawDb {
public:
    CRawDb() {
        sqlite3_open((WorkDir() + "/raw.db").c_str(), &m_pDb);
        sqlite3_exec(m_pDb,
                     "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
                     "CREATE TABLE IF NOT EXISTS vals(key INTEGER NOT NULL, name BLOB NOT NULL,"
                     " folded BLOB NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL,"
                     " PRIMARY KEY(key, folded)) WITHOUT ROWID;",
                     nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(m_pDb,
                           "INSERT OR REPLACE INTO vals(key,name,folded,type,data)"
                           " VALUES(?1,?2,?3,?4,?5)",
                           -1, &m_pInsert, nullptr);
        // The statement the registry itself runs: it keeps an existing name's spelling.
        sqlite3_prepare_v2(m_pDb,
                           "INSERT INTO vals(key,name,folded,type,data) VALUES(?1,?2,?3,?4,?5)"
                           " ON CONFLICT(key,folded) DO UPDATE SET type=excluded.type,"
                           " data=excluded.data",
                           -1, &m_pUpsert, nullptr);
        sqlite3_prepare_v2(m_pDb, "SELECT type, data FROM vals WHERE key=?1 AND folded=?2", -1,
                           &m_pSelect, nullptr);
    }
    ~CRawDb() {
        sqlite3_finalize(m_pInsert);
        sqlite3_finalize(m_pUpsert);
        sqlite3_finalize(m_pSelect);
        sqlite3_close(m_pDb);
    }
    bool Insert(const std::string& name) { return Write(m_pInsert, name); }
    bool Upsert(const std::string& name) { return Write(m_pUpsert, name); }
    size_t Select(const std::string& name) {
        sqlite3_bind_int64(m_pSelect, 1, 7);
        sqlite3_bind_blob(m_pSelect, 2, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
        size_t n = 0;
        if (sqlite3_step(m_pSelect) == SQLITE_ROW) {
            n = static_cast<size_t>(sqlite3_column_bytes(m_pSelect, 1));
            benchmark::DoNotOptimize(sqlite3_column_blob(m_pSelect, 1));
        }
        sqlite3_reset(m_pSelect);
        return n;
    }

private:
    bool Write(sqlite3_stmt* s, const std::string& name) {
        sqlite3_bind_int64(s, 1, 7);
        sqlite3_bind_blob(s, 2, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
        sqlite3_bind_blob(s, 3, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
        sqlite3_bind_int64(s, 4, 1);
        sqlite3_bind_blob(s, 5, kData.data(), static_cast<int>(kData.size() + 1), SQLITE_STATIC);
        bool ok = sqlite3_step(s) == SQLITE_DONE;
        sqlite3_reset(s);
        return ok;
    }

    sqlite3* m_pDb = nullptr;
    sqlite3_stmt* m_pInsert = nullptr;
    sqlite3_stmt* m_pUpsert = nullptr;
    sqlite3_stmt* m_pSelect = nullptr;
};

CRawDb& Raw() {
    static CRawDb s_raw;
    return s_raw;
}

tq::CRegKey& Key() {
    static tq::CRegKey s_key = [] {
        WorkDir();
        tq::CRegKey key;
        key.Create(tq::HKEY_LOCAL_MACHINE, "SOFTWARE\\Orbanworks\\Bench", tq::KEY_ALL_ACCESS);
        return key;
    }();
    return s_key;
}

void BM_RawInsert(benchmark::State& state) {
    size_t i = 0;
    for (auto _ : state) {
        if (!Raw().Insert(Names()[i++ % kNames])) {
            state.SkipWithError("insert failed");
            break;
        }
    }
}
BENCHMARK(BM_RawInsert);

void BM_RawUpsert(benchmark::State& state) {
    size_t i = 0;
    for (auto _ : state) {
        if (!Raw().Upsert(Names()[i++ % kNames])) {
            state.SkipWithError("upsert failed");
            break;
        }
    }
}
BENCHMARK(BM_RawUpsert);

void BM_RegSetValue(benchmark::State& state) {
    size_t i = 0;
    for (auto _ : state) {
        if (Key().SetValue(Names()[i++ % kNames], tq::REG_SZ, kData.c_str(),
                           static_cast<uint32_t>(kData.size() + 1)) != 0) {
            state.SkipWithError("SetValue failed");
            break;
        }
    }
}
BENCHMARK(BM_RegSetValue);

// A write followed by RegFlushKey, as a save makes one before each control file: the flush
// syncs the hive's write-ahead log, which a plain commit (synchronous=NORMAL) leaves unsynced.
void BM_RegSetValueFlushed(benchmark::State& state) {
    size_t i = 0;
    for (auto _ : state) {
        if (Key().SetValue(Names()[i++ % kNames], tq::REG_SZ, kData.c_str(),
                           static_cast<uint32_t>(kData.size() + 1)) != 0 ||
            Key().Flush() != 0) {
            state.SkipWithError("SetValue or Flush failed");
            break;
        }
    }
}
BENCHMARK(BM_RegSetValueFlushed);

void BM_RawSelect(benchmark::State& state) {
    for (const auto& name : Names()) {
        Raw().Insert(name);
    }
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Raw().Select(Names()[i++ % kNames]));
    }
}
BENCHMARK(BM_RawSelect);

void BM_RegQueryValue(benchmark::State& state) {
    for (const auto& name : Names()) {
        Key().SetValue(name, tq::REG_SZ, kData.c_str(), static_cast<uint32_t>(kData.size() + 1));
    }
    uint8_t buf[256];
    size_t i = 0;
    for (auto _ : state) {
        uint32_t type = 0, cb = sizeof(buf);
        if (Key().QueryValue(Names()[i++ % kNames], &type, buf, &cb) != 0) {
            state.SkipWithError("QueryValue failed");
            break;
        }
        benchmark::DoNotOptimize(buf);
    }
}
BENCHMARK(BM_RegQueryValue);

}  // namespace

int main(int argc, char** argv) {
    const int nResult = tq::bench::RunBenchmarks(argc, argv);
    std::error_code ec;
    std::filesystem::remove_all(WorkDir(), ec);
    return nResult;
}
