// tqctl shot: every widget becomes a PNG picture of a plausible size; a bad command line or an
// output it cannot write gets a clear error, a non-zero exit, and no file or the old one intact.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace tq {
namespace {

// A big-endian field of a PNG header (0 when the bytes are not a PNG picture).
uint32_t PngField(const std::string& bytes, size_t at) {
    uint32_t n = 0;
    for (size_t i = 0; bytes.size() >= 24 && bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0 &&
                       bytes.compare(12, 4, "IHDR") == 0 && i < 4;
         ++i) {
        n = n << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return n;
}

TEST(TqctlShotTest, EveryWidgetDrawsAndBadInputWritesNothing) {
    test::CTempPrefix prefix;
    const std::string folder = prefix.Path("drives/c/docs"), shots = prefix.Path("shots");
    std::filesystem::create_directories(folder + "/Volume 1");
    std::filesystem::create_directories(shots);
    test::WriteLinuxFile(folder + "/guide.chm", "x");
    test::WriteLinuxFile(folder + "/readme.txt", "Read me first.\r\n");
    const std::string kept = shots + "/kept.png", kOffscreen = "QT_QPA_PLATFORM=offscreen";
    test::WriteLinuxFile(kept, "the picture made before");
    const struct {
        std::vector<std::string> args;
        int exit;
        std::string err;  // a part of standard error
        std::string env = "QT_QPA_PLATFORM=offscreen";
    } cases[] = {
        {{"filelist", folder, shots + "/filelist.png"}, 0, ""},
        {{"details", folder, shots + "/details.png"}, 0, ""},
        {{"location", folder, shots + "/location.png"}, 0, ""},
        {{"location-open", folder, shots + "/location-open.png"}, 0, ""},
        {{"wait", folder, shots + "/wait.png"}, 0, ""},
        {{"report", folder, shots + "/report.png"}, 0, ""},
        {{"frob", folder, shots + "/frob.png"}, 2, "tqctl: no widget frob"},
        {{"filelist", shots + "/x.png"}, 2, "usage: tqctl shot"},
        {{"filelist", "", shots + "/y.png"}, 1, "has no Windows form"},
        {{"filelist", folder, shots + "/none/z.png"}, 1, "cannot write"},
        // The picture (about 11 KB) is larger than the process may write (4 or 8 KB, as the
        // shell counts blocks; enough for the messages): the write fails part way.
        {{"details", folder, kept}, 1, "cannot write", "trap '' XFSZ; ulimit -f 8; " + kOffscreen},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--prefix", prefix.GetDir(), "shot"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        test::CToolRun run = test::RunTool("tqctl", args, "", c.env);
        SCOPED_TRACE(c.args[0] + " " + c.args.back() + ": " + run.m_strErr);
        EXPECT_EQ(run.m_nExit, c.exit);
        EXPECT_NE(run.m_strErr.find(c.err), std::string::npos);
        const std::string png = test::ReadLinuxFile(c.args.back());
        if (c.exit == 0) {
            EXPECT_TRUE(PngField(png, 16) >= 100 && PngField(png, 16) <= 1000);
            EXPECT_TRUE(PngField(png, 20) >= 12 && PngField(png, 20) <= 600);
        } else if (c.args.back() != kept) {
            EXPECT_FALSE(test::LinuxFileExists(c.args.back()));
        }
    }
    EXPECT_EQ(test::ReadLinuxFile(kept), "the picture made before");
    // Six pictures and the kept one: no temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(shots), {}), 7);
}

}  // namespace
}  // namespace tq
