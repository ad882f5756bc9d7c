#include "support/TestSupport.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "gtest/gtest.h"
#include "support/SupportSystem.h"

namespace tq::test {
namespace {

std::map<std::string, ChildMain>& Children() {
    static std::map<std::string, ChildMain> s_children;
    return s_children;
}

}  // namespace

std::filesystem::path HostPath(const std::string& strPath) {
    return std::filesystem::path(std::u8string(strPath.begin(), strPath.end()));
}

bool RegisterChild(const std::string& strName, ChildMain fn) {
    Children()[strName] = std::move(fn);
    return true;
}

int RunChild(const std::string& strName, const std::vector<std::string>& args,
             const CChildOptions& options) {
    return WaitChild(StartChild(strName, args, options));
}

bool WaitForFile(const std::string& strPath) {
    for (int i = 0; i < 1000; ++i) {
        if (LinuxFileExists(strPath)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

std::string ReadLinuxFile(const std::string& strPath) {
    std::ifstream in(HostPath(strPath), std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteLinuxFile(const std::string& strPath, const std::string& strData) {
    std::filesystem::create_directories(HostPath(strPath).parent_path());
    std::ofstream out(HostPath(strPath), std::ios::binary | std::ios::trunc);
    out.write(strData.data(), static_cast<std::streamsize>(strData.size()));
    out.close();
    if (!out) {  // on Windows also a file another handle holds without write sharing
        ADD_FAILURE() << "cannot write " << strPath;
    }
}

bool LinuxFileExists(const std::string& strPath) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(HostPath(strPath), ec));
}

void MakeLinuxDir(const std::string& strPath) {
    std::error_code ec;
    std::filesystem::create_directory(HostPath(strPath), ec);
}

std::vector<CCorpusFile> ReadCorpus(const std::string& strTarget) {
    const std::filesystem::path dir = SourceDir() / "fuzz" / "corpus" / strTarget;
    std::vector<CCorpusFile> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        if (entry.is_regular_file()) {
            files.push_back(
                {entry.path().filename().string(), ReadLinuxFile(entry.path().string())});
        }
    }
    std::ranges::sort(files, {}, &CCorpusFile::m_strName);
    return files;
}

}  // namespace tq::test

// The test programs' main: runs a child body when asked to, else the Google Test suite.
int main(int argc, char** argv) {
    const size_t nFlag = std::strlen(tq::test::kChildFlag);
    if (argc >= 2 && std::strncmp(argv[1], tq::test::kChildFlag, nFlag) == 0) {
        auto& children = tq::test::Children();
        auto it = children.find(argv[1] + nFlag);
        if (it == children.end()) {
            return 122;
        }
        tq::test::PrepareChild();
        std::vector<std::string> args(argv + 2, argv + argc);
        return it->second(args);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
