// The library's exports as the component sees them: loaded as a module, answering for every
// kind of file, for paths that name nothing readable, from several threads at once.
#include "tqfltr2/Tqfltr2.h"

#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "TopicTestFiles.h"
#include "gtest/gtest.h"
#include "platform/File.h"
#include "tqfltr2/HtmlTopicCheck.h"
#include "tqfltr2/TextHead.h"

namespace tq::test {
namespace {

// One entry per export, called the way the component calls it.
struct CKind {
    const char* m_pszExtension;
    int (*m_pfnCheck)(const char* path);
};
int CallChm(const char* path) {
    return PAS_ChmHaveTopic(path, 1);
}
int CallPdf(const char* path) {
    return PAS_PdfHaveTopic(path, 1, nullptr, nullptr);
}
const CKind kKinds[] = {{".hlp", PAS_HlpHaveTopic},  {".chm", CallChm},
                        {".pdf", CallPdf},           {".txt", PAS_TxtHaveTopic},
                        {".htm", PAS_HtmlHaveTopic}, {".html", PAS_HtmlHaveTopic}};

int CallKind(const std::string& strExtension, const std::string& strPath) {
    for (const CKind& kind : kKinds) {
        if (strExtension == kind.m_pszExtension) {
            return kind.m_pfnCheck(strPath.c_str());
        }
    }
    return 99;
}

// Runs one check in a child process (dropped to an unprivileged user by the caller's options);
// the exit status carries the answer offset by 10.
TQ_CHILD_MAIN(tqfltr2_check) {
    return 10 + CallKind(args.at(0), args.at(1));
}

class Tqfltr2Test : public CTopicFileTest {
protected:
    // A file of each kind that holds topics.
    std::vector<std::pair<std::string, std::string>> WriteSoundFiles(const std::string& strStem) {
        return {
            {".hlp", Write(strStem + ".hlp", BuildHelpFile(2048).m_strData)},
            {".chm", CompileChm(strStem + ".chm", {{"a.htm", "<body>Help text</body>"}})},
            {".pdf", Write(strStem + ".pdf", BuildPdf({PdfTextPage("Manual")}))},
            {".txt", Write(strStem + ".txt", "Read me\r\n")},
            {".htm", Write(strStem + ".htm", "<p>Page</p>")},
            {".html", Write(strStem + ".html", "<p>Page</p>")},
        };
    }
};

TEST_F(Tqfltr2Test, ExportsWithCLinkageAndNothingElse) {
    void* pModule = dlopen(TQFLTR2_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(pModule, nullptr) << dlerror();
    for (const char* pszName : {"PAS_HlpHaveTopic", "PAS_ChmHaveTopic", "PAS_PdfHaveTopic",
                                "PAS_TxtHaveTopic", "PAS_HtmlHaveTopic"}) {
        EXPECT_NE(dlsym(pModule, pszName), nullptr) << pszName;
    }
    // The module's own copy of the platform stays private to it.
    EXPECT_EQ(dlsym(pModule, "_ZN2tq7CPrefix7CurrentEv"), nullptr);
    using PfnTxt = int (*)(const char*);
    auto pfnTxt = reinterpret_cast<PfnTxt>(dlsym(pModule, "PAS_TxtHaveTopic"));
    ASSERT_NE(pfnTxt, nullptr);
    EXPECT_EQ(pfnTxt(Write("loaded.txt", "words").c_str()), TQFLTR2_HAS_TOPIC);
    dlclose(pModule);
}

TEST_F(Tqfltr2Test, SoundFilesOfEveryKind) {
    for (const auto& [extension, path] : WriteSoundFiles("manual")) {
        EXPECT_EQ(CallKind(extension, path), TQFLTR2_HAS_TOPIC) << extension;
    }
}

TEST_F(Tqfltr2Test, PathsThatNameNothingReadable) {
    MakeFolder("folder");
    std::string strFolder = Win("folder");
    std::string strLong = strFolder + "\\" + std::string(250, 'a');
    for (const CKind& kind : kKinds) {
        std::string ext = kind.m_pszExtension;
        // A folder named like a help file.
        std::string strNamedLike = MakeFolder("dir" + ext);
        std::vector<std::pair<const char*, std::string>> paths = {
            {"empty", ""},
            {"missing file", strFolder + "\\missing" + ext},
            {"missing folder", strFolder + "\\no\\such" + ext},
            {"folder named like a help file", strNamedLike},
            {"longer than MAX_PATH", strLong + ext},
            {"control character", strFolder + "\\a\x01" + ext},
            {"cut double-byte character", strFolder + "\\\x83" + ext},
            {"unknown drive form", "::" + ext},
        };
        EXPECT_EQ(kind.m_pfnCheck(nullptr), TQFLTR2_UNREADABLE) << ext << " null";
        for (const auto& [what, path] : paths) {
            EXPECT_EQ(kind.m_pfnCheck(path.c_str()), TQFLTR2_UNREADABLE) << ext << " " << what;
        }
    }
}

TEST_F(Tqfltr2Test, EmptyAndRandomFilesOfEveryKind) {
    struct {
        const char* m_pszExtension;
        int m_nEmpty;
    } cases[] = {{".hlp", TQFLTR2_DAMAGED},  {".chm", TQFLTR2_DAMAGED},
                 {".pdf", TQFLTR2_DAMAGED},  {".txt", TQFLTR2_NO_TOPIC},
                 {".htm", TQFLTR2_NO_TOPIC}, {".html", TQFLTR2_NO_TOPIC}};
    for (const auto& c : cases) {
        std::string ext = c.m_pszExtension;
        EXPECT_EQ(CallKind(ext, Write("empty" + ext, "")), c.m_nEmpty) << ext;
        for (uint32_t seed = 100; seed < 105; ++seed) {
            EXPECT_EQ(CallKind(ext, Write("random" + ext, RandomBytes(4096, seed))),
                      TQFLTR2_DAMAGED)
                << ext << " seed " << seed;
        }
    }
}

// Windows paths: resolved in code page 932 and without regard to case.
TEST_F(Tqfltr2Test, WindowsPathForms) {
    WriteLinuxFile(Linux("\xE3\x83\x9E\xE3\x83\x8B\xE3\x83\xA5\xE3\x82\xA2\xE3\x83\xAB.txt"),
                   "text");  // マニュアル.txt
    std::string strJapanese = Win("") + "\\\x83\x7D\x83\x6A\x83\x85\x83\x41\x83\x8B.txt";
    EXPECT_EQ(PAS_TxtHaveTopic(strJapanese.c_str()), TQFLTR2_HAS_TOPIC);
    Write("Guide.HTML", "<p>x</p>");
    std::string strOtherCase = Win("") + "\\gUIDE.html";
    EXPECT_EQ(PAS_HtmlHaveTopic(strOtherCase.c_str()), TQFLTR2_HAS_TOPIC);
}

TEST_F(Tqfltr2Test, AccessDeniedIsUnreadable) {
    if (!CanDropPrivileges()) {
        GTEST_SKIP() << "cannot drop to an unprivileged user, so access cannot be denied";
    }
    std::filesystem::permissions(m_prefix.GetDir(), std::filesystem::perms::all);
    CChildOptions nobody;
    nobody.m_bDropPrivileges = true;
    for (const auto& [extension, path] : WriteSoundFiles("secret")) {
        std::filesystem::path linux = Linux("secret" + extension);
        std::filesystem::permissions(
            linux, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        EXPECT_EQ(RunChild("tqfltr2_check", {extension, path}, nobody), 10 + TQFLTR2_UNREADABLE)
            << extension;
        // The same file for a user who may read it.
        std::filesystem::permissions(linux, std::filesystem::perms::others_read,
                                     std::filesystem::perm_options::add);
        EXPECT_EQ(RunChild("tqfltr2_check", {extension, path}, nobody), 10 + TQFLTR2_HAS_TOPIC)
            << extension;
    }
}

// The check shares read, write and delete access: it is refused by a program that denies
// read sharing, and does not stand in the way of one that writes while sharing.
TEST_F(Tqfltr2Test, ShareModesOfOtherPrograms) {
    std::string strPath = Write("busy.txt", "text");
    {
        CFile exclusive;
        ASSERT_EQ(
            exclusive.Open(strPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_NONE, OPEN_EXISTING),
            0);
        EXPECT_EQ(PAS_TxtHaveTopic(strPath.c_str()), TQFLTR2_UNREADABLE);
    }
    CFile writer;
    ASSERT_EQ(writer.Open(strPath, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING), 0);
    EXPECT_EQ(PAS_TxtHaveTopic(strPath.c_str()), TQFLTR2_HAS_TOPIC);
}

// Sparse files of several GiB: the checks read what they need and stop.
TEST_F(Tqfltr2Test, HugeFiles) {
    constexpr uintmax_t kHuge = 6ull << 30;
    auto huge = [&](const std::string& strName, const std::string& strStart) {
        std::string strPath = Write(strName, strStart);
        std::filesystem::resize_file(Linux(strName), kHuge);
        return strPath;
    };
    // The sparse rest reads as NUL bytes, which only the first 64 KiB must be free of.
    std::string strBlanks(kTextHeadSize, ' ');
    EXPECT_EQ(PAS_TxtHaveTopic(huge("huge.txt", "Hello" + strBlanks).c_str()), TQFLTR2_HAS_TOPIC);
    EXPECT_EQ(PAS_TxtHaveTopic(huge("huge-nul.txt", "").c_str()), TQFLTR2_DAMAGED);
    EXPECT_EQ(PAS_HtmlHaveTopic(huge("huge.htm", "<p>Hello</p>" + strBlanks).c_str()),
              TQFLTR2_HAS_TOPIC);
    EXPECT_EQ(PAS_HtmlHaveTopic(huge("huge-nul.html", "<p>").c_str()), TQFLTR2_DAMAGED);
    EXPECT_EQ(PAS_HlpHaveTopic(huge("huge.hlp", BuildHelpFile(512).m_strData).c_str()),
              TQFLTR2_HAS_TOPIC);
    EXPECT_EQ(PAS_PdfHaveTopic(huge("huge.pdf", "%PDF-1.4\n").c_str(), 1, nullptr, nullptr),
              TQFLTR2_DAMAGED);
    // A trailer at the end that leads nowhere: refused without scanning the GiBs for objects.
    std::string strTrailer = "startxref\n9\n%%EOF\n";
    std::string strPdf = huge("huge-trailer.pdf", "%PDF-1.4\n");
    std::filesystem::resize_file(Linux("huge-trailer.pdf"), kHuge - strTrailer.size());
    std::ofstream(Linux("huge-trailer.pdf"), std::ios::app | std::ios::binary) << strTrailer;
    EXPECT_EQ(PAS_PdfHaveTopic(strPdf.c_str(), 1, nullptr, nullptr), TQFLTR2_DAMAGED);
    CompileChm("small.chm", {{"a.htm", "<body>Help text</body>"}});
    std::string strChm = huge("huge.chm", ReadLinuxFile(Linux("small.chm")));
    EXPECT_EQ(PAS_ChmHaveTopic(strChm.c_str(), 1), TQFLTR2_HAS_TOPIC);
    // An HTML page of blank space is parsed only up to the cap.
    std::string strBlank =
        Write("blank.htm", "<body>" + std::string(kMaxHtmlBytes + 1000, ' ') + "late");
    EXPECT_EQ(PAS_HtmlHaveTopic(strBlank.c_str()), TQFLTR2_NO_TOPIC);
}

TEST_F(Tqfltr2Test, ConcurrentChecksAgree) {
    auto files = WriteSoundFiles("shared");
    files.emplace_back(".pdf", Write("empty.pdf", BuildPdf({""})));
    std::vector<int> expected;
    for (const auto& [extension, path] : files) {
        expected.push_back(CallKind(extension, path));
    }
    std::vector<std::thread> threads;
    std::vector<int> mismatches(6, 0);
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 15; ++round) {
                for (size_t i = 0; i < files.size(); ++i) {
                    size_t k = (i + static_cast<size_t>(t)) % files.size();
                    if (CallKind(files[k].first, files[k].second) != expected[k]) {
                        ++mismatches[static_cast<size_t>(t)];
                    }
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < 6; ++t) {
        EXPECT_EQ(mismatches[static_cast<size_t>(t)], 0) << "thread " << t;
    }
    EXPECT_EQ(expected.back(), TQFLTR2_NO_TOPIC);
}

}  // namespace
}  // namespace tq::test
