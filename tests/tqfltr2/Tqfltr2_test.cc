// The exports as the component sees them: every kind of file, paths that name nothing
// readable, huge files, several threads at once (the component loads them in its own tests).
#include "tqfltr2/Tqfltr2.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "TopicTestFiles.h"
#include "gtest/gtest.h"
#include "tqfltr2/HtmlTopicCheck.h"
#include "tqfltr2/TextHead.h"

namespace tq::test {
namespace {

// Each export called the way the component calls it, by extension.
int CheckByExtension(const std::string& strPath) {
    std::string ext = std::filesystem::path(strPath).extension().string();
    if (ext == ".hlp") {
        return PAS_HlpHaveTopic(strPath.c_str());
    }
    if (ext == ".chm") {
        return PAS_ChmHaveTopic(strPath.c_str(), 1);
    }
    if (ext == ".pdf") {
        return PAS_PdfHaveTopic(strPath.c_str(), 1, nullptr, nullptr);
    }
    return ext == ".txt" ? PAS_TxtHaveTopic(strPath.c_str()) : PAS_HtmlHaveTopic(strPath.c_str());
}
const char* const kExtensions[] = {".hlp", ".chm", ".pdf", ".txt", ".htm", ".html"};

class Tqfltr2Test : public CTopicFileTest {
protected:
    // A file of each kind that holds topics.
    std::vector<std::string> WriteSoundFiles(const std::string& strStem) {
        return {Write(strStem + ".hlp", BuildHelpFile(2048)),
                CompileChm(strStem + ".chm", {{"a.htm", "<body>Help text</body>"}}),
                Write(strStem + ".pdf", BuildPdf({PdfTextPage("Manual")})),
                Write(strStem + ".txt", "Read me\r\n"),
                Write(strStem + ".htm", "<p>Page</p>"),
                Write(strStem + ".html", "<p>Page</p>")};
    }
};

TEST_F(Tqfltr2Test, EveryKindWholeEmptyRandomAndUnreadable) {
    for (const std::string& strPath : WriteSoundFiles("manual")) {
        EXPECT_EQ(CheckByExtension(strPath), TQFLTR2_HAS_TOPIC) << strPath;
    }
    std::string strFolder = Win("");
    for (std::string ext : kExtensions) {
        bool bText = ext == ".txt" || ext == ".htm" || ext == ".html";
        EXPECT_EQ(CheckByExtension(Write("empty" + ext, "")),
                  bText ? TQFLTR2_NO_TOPIC : TQFLTR2_DAMAGED)
            << ext;
        EXPECT_EQ(CheckByExtension(Write("random" + ext, RandomBytes(4096, 100))), TQFLTR2_DAMAGED)
            << ext;
        std::filesystem::create_directories(Linux("folder" + ext));
        for (const std::string& strPath :
             {std::string(), strFolder + "\\missing" + ext, strFolder + "\\no\\such" + ext,
              Win("folder" + ext), strFolder + "\\" + std::string(260, 'a') + ext,
              strFolder + "\\a\x01" + ext, strFolder + "\\\x83" + ext, "::" + ext}) {
            EXPECT_EQ(CheckByExtension(strPath), TQFLTR2_UNREADABLE) << strPath;
        }
    }
    EXPECT_EQ((std::vector<int>{PAS_HlpHaveTopic(nullptr), PAS_ChmHaveTopic(nullptr, 1),
                                PAS_PdfHaveTopic(nullptr, 1, nullptr, nullptr),
                                PAS_TxtHaveTopic(nullptr), PAS_HtmlHaveTopic(nullptr)}),
              std::vector<int>(5, TQFLTR2_UNREADABLE));
    // Windows paths: on the host's prefix, in code page 932 and any case.
    WriteLinuxFile(m_prefix.Path("drives/c/Readme.txt"), "text");
    EXPECT_EQ(PAS_TxtHaveTopic("C:\\README.TXT"), TQFLTR2_HAS_TOPIC);
    WriteLinuxFile(Linux("\xE3\x83\x9E\xE3\x83\x8B.TXT"), "text");  // マニ.TXT
    EXPECT_EQ(PAS_TxtHaveTopic((strFolder + "\\\x83\x7D\x83\x6A.txt").c_str()), TQFLTR2_HAS_TOPIC);
}

// Sparse files of 6 GiB (the sparse rest reads as NUL bytes, which only the first 64 KiB of a
// text must be free of): the checks read what they need and stop.
TEST_F(Tqfltr2Test, HugeFiles) {
    CompileChm("small.chm", {{"a.htm", "<body>Help text</body>"}});
    const std::string strBlanks(kTextHeadSize, ' '), strTrailer = "startxref\n9\n%%EOF\n";
    // The file, its start, its end, and the answer. A PDF trailer that leads nowhere is refused
    // without scanning the GiBs for objects.
    const std::tuple<const char*, std::string, std::string, int> cases[] = {
        {"huge.txt", "Hello" + strBlanks, "", TQFLTR2_HAS_TOPIC},
        {"huge-nul.txt", "", "", TQFLTR2_DAMAGED},
        {"huge.htm", "<p>Hello</p>" + strBlanks, "", TQFLTR2_HAS_TOPIC},
        {"huge.hlp", BuildHelpFile(512), "", TQFLTR2_HAS_TOPIC},
        {"huge.chm", ReadLinuxFile(Linux("small.chm")), "", TQFLTR2_HAS_TOPIC},
        {"huge.pdf", "%PDF-1.4\n", "", TQFLTR2_DAMAGED},
        {"huge-trailer.pdf", "%PDF-1.4\n", strTrailer, TQFLTR2_DAMAGED},
    };
    for (const auto& [pszName, strStart, strEnd, nAnswer] : cases) {
        std::string strPath = Write(pszName, strStart);
        std::filesystem::resize_file(Linux(pszName), (6ull << 30) - strEnd.size());
        std::ofstream(Linux(pszName), std::ios::app | std::ios::binary) << strEnd;
        EXPECT_EQ(CheckByExtension(strPath), nAnswer) << pszName;
    }
    // A page of blank space is parsed only up to the cap.
    EXPECT_EQ(PAS_HtmlHaveTopic(
                  Write("blank.htm", "<body>" + std::string(kMaxHtmlBytes, ' ') + "late").c_str()),
              TQFLTR2_NO_TOPIC);
}

TEST_F(Tqfltr2Test, ConcurrentChecksAgree) {
    std::vector<std::string> files = WriteSoundFiles("shared");
    files.push_back(Write("empty.pdf", BuildPdf({""})));
    std::vector<int> mismatches(6, 0);
    {
        std::vector<std::jthread> threads;
        for (size_t t = 0; t < mismatches.size(); ++t) {
            threads.emplace_back([&, t] {
                for (size_t i = 0; i < 15 * files.size(); ++i) {
                    const std::string& strPath = files[(i + t) % files.size()];
                    mismatches[t] +=
                        CheckByExtension(strPath) !=
                        (strPath == files.back() ? TQFLTR2_NO_TOPIC : TQFLTR2_HAS_TOPIC);
                }
            });
        }
    }
    EXPECT_EQ(mismatches, std::vector<int>(6, 0));
}

}  // namespace
}  // namespace tq::test
