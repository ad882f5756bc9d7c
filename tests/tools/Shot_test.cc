// tqctl shot: every widget becomes a PNG picture of a plausible size; a bad command line or an
// output it cannot write gets a clear error, a non-zero exit, and no file or the old one intact.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace tq {
namespace {

// The width and height of a PNG picture, or {0, 0} when the bytes are not one.
std::pair<uint32_t, uint32_t> PngSize(const std::string& bytes) {
    const std::string kSignature = "\x89PNG\r\n\x1a\n";
    if (bytes.size() < 24 || bytes.compare(0, 8, kSignature) != 0 ||
        bytes.compare(12, 4, "IHDR") != 0) {
        return {0, 0};
    }
    auto be32 = [&bytes](size_t at) {
        uint32_t n = 0;
        for (size_t i = 0; i < 4; ++i) {
            n = n << 8 | static_cast<unsigned char>(bytes[at + i]);
        }
        return n;
    };
    return {be32(16), be32(20)};
}

TEST(TqctlShotTest, EveryWidgetDrawsAndBadInputWritesNothing) {
    test::CTempPrefix prefix;
    const std::string folder = prefix.Path("drives/c/docs");
    std::filesystem::create_directories(folder + "/Volume 1");
    test::WriteLinuxFile(folder + "/guide.chm", "x");
    test::WriteLinuxFile(folder + "/readme.txt", "Read me first.\r\n");
    const std::string shots = prefix.Path("shots");
    std::filesystem::create_directories(shots);
    const std::string kept = shots + "/kept.png";
    test::WriteLinuxFile(kept, "the picture made before");

    const std::string kOffscreen = "QT_QPA_PLATFORM=offscreen";
    const struct {
        const char* name;
        std::vector<std::string> args;
        int exit;
        std::string err;  // a part of standard error
        std::string env = "QT_QPA_PLATFORM=offscreen";
    } cases[] = {
        {"file list", {"filelist", folder, shots + "/filelist.png"}, 0, ""},
        {"details", {"details", folder, shots + "/details.png"}, 0, ""},
        {"location box", {"location", folder, shots + "/location.png"}, 0, ""},
        {"location box open", {"location-open", folder, shots + "/location-open.png"}, 0, ""},
        {"wait dialog", {"wait", folder, shots + "/wait.png"}, 0, ""},
        {"report", {"report", folder, shots + "/report.png"}, 0, ""},
        {"unknown widget", {"frob", folder, shots + "/frob.png"}, 2, "tqctl: no widget frob"},
        {"folder missing", {"filelist", shots + "/x.png"}, 2, "usage: tqctl shot"},
        {"empty folder name", {"filelist", "", shots + "/y.png"}, 1, "has no Windows form"},
        {"output folder missing", {"filelist", folder, shots + "/none/z.png"}, 1, "cannot write"},
        // The picture (about 11 KB) is larger than the process may write (4 or 8 KB, as the
        // shell counts blocks; enough for the messages): the write fails part way.
        {"write fails part way",
         {"details", folder, kept},
         1,
         "cannot write",
         "trap '' XFSZ; ulimit -f 8; " + kOffscreen},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--prefix", prefix.GetDir(), "shot"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        test::CToolRun run = test::RunTool("tqctl", args, "", c.env);
        EXPECT_EQ(run.m_nExit, c.exit) << c.name << ": " << run.m_strErr;
        EXPECT_NE(run.m_strErr.find(c.err), std::string::npos) << c.name << ": " << run.m_strErr;
        if (c.exit == 0) {
            auto [nWidth, nHeight] = PngSize(test::ReadLinuxFile(c.args.back()));
            EXPECT_TRUE(nWidth >= 100 && nWidth <= 1000) << c.name << ": width " << nWidth;
            EXPECT_TRUE(nHeight >= 12 && nHeight <= 600) << c.name << ": height " << nHeight;
        }
    }
    EXPECT_EQ(test::ReadLinuxFile(kept), "the picture made before");
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(shots)) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names,
              (std::set<std::string>{"details.png", "filelist.png", "kept.png", "location-open.png",
                                     "location.png", "report.png", "wait.png"}));
}

}  // namespace
}  // namespace tq
