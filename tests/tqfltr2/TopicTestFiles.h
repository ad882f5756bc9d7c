// Real help files for the topic-filter tests, made during the tests: WinHelp containers written
// from the format's published description, minimal PDFs with a correct cross-reference table
// (encrypted ones through qpdf), CHM archives compiled by chmcmd from small HTML projects.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "platform/Path.h"
#include "support/TestSupport.h"

namespace tq::test {

inline void PutLittleEndian(std::string& data, size_t offset, uint64_t value, size_t cb) {
    for (size_t i = 0; i < cb; ++i) {
        data[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}
inline std::string LittleEndian(uint64_t value, size_t cb) {
    std::string data(cb, '\0');
    PutLittleEndian(data, 0, value, cb);
    return data;
}

inline std::string RandomBytes(size_t cb, uint32_t seed) {
    std::mt19937 gen(seed);
    std::string data(cb, '\0');
    for (char& c : data) {
        c = static_cast<char>(gen() & 0xFF);
    }
    return data;
}

// ---- WinHelp ----------------------------------------------------------------------------------

// A WinHelp container and where its parts lie, so that tests can damage them precisely.
struct CHlpImage {
    std::string m_strData;
    uint32_t m_nDirectoryOffset = 0;  // header of the directory's internal file
    uint32_t m_nBTreeOffset = 0;      // the directory's B+ tree header
    uint32_t m_nPagesOffset = 0;      // its first page
    uint32_t m_nPageSize = 0;
    uint32_t m_nLeafPages = 0;
    std::map<std::string, uint32_t> m_fileOffsets;  // header of each internal file
};

// Writes the internal files in order, then the directory: a B+ tree whose leaves hold
// entriesPerLeaf names each (all in one leaf when 0) under one index page when there are
// several leaves, as the help compiler lays them out.
inline CHlpImage BuildHlp(std::vector<std::pair<std::string, std::string>> files,
                          size_t entriesPerLeaf = 0, uint32_t pageSize = 1024) {
    CHlpImage image;
    std::string& out = image.m_strData;
    out.assign(16, '\0');
    for (const auto& [name, data] : files) {
        image.m_fileOffsets[name] = static_cast<uint32_t>(out.size());
        out += LittleEndian(data.size() + 9, 4) + LittleEndian(data.size(), 4) + '\x04' + data;
    }
    std::sort(files.begin(), files.end());
    size_t perLeaf = entriesPerLeaf == 0 ? std::max<size_t>(files.size(), 1) : entriesPerLeaf;
    size_t leaves = std::max<size_t>((files.size() + perLeaf - 1) / perLeaf, 1);
    std::vector<std::string> pages;
    for (size_t leaf = 0; leaf < leaves; ++leaf) {
        size_t first = leaf * perLeaf;
        size_t count = std::min(perLeaf, files.size() - std::min(first, files.size()));
        std::string page = LittleEndian(0, 2) + LittleEndian(count, 2) +
                           LittleEndian(leaf == 0 ? 0xFFFF : leaf - 1, 2) +
                           LittleEndian(leaf + 1 == leaves ? 0xFFFF : leaf + 1, 2);
        for (size_t i = first; i < first + count; ++i) {
            page += files[i].first + '\0' + LittleEndian(image.m_fileOffsets[files[i].first], 4);
        }
        pages.push_back(page);
    }
    if (leaves > 1) {
        std::string index = LittleEndian(0, 2) + LittleEndian(leaves - 1, 2) + LittleEndian(0, 2);
        for (size_t leaf = 1; leaf < leaves; ++leaf) {
            index += files[leaf * perLeaf].first + '\0' + LittleEndian(leaf, 2);
        }
        pages.push_back(index);
    }
    std::string tree = LittleEndian(0x293B, 2) + LittleEndian(0x0402, 2) +
                       LittleEndian(pageSize, 2) + std::string("z4") + std::string(14, '\0') +
                       LittleEndian(0, 2) + LittleEndian(0, 2) +
                       LittleEndian(leaves > 1 ? leaves : 0, 2) + LittleEndian(0xFFFF, 2) +
                       LittleEndian(pages.size(), 2) + LittleEndian(leaves > 1 ? 2 : 1, 2) +
                       LittleEndian(files.size(), 4);
    for (std::string& page : pages) {
        page.resize(pageSize, '\0');
        tree += page;
    }
    image.m_nDirectoryOffset = static_cast<uint32_t>(out.size());
    image.m_nBTreeOffset = image.m_nDirectoryOffset + 9;
    image.m_nPagesOffset = image.m_nBTreeOffset + 38;
    image.m_nPageSize = pageSize;
    image.m_nLeafPages = static_cast<uint32_t>(leaves);
    out += LittleEndian(tree.size() + 9, 4) + LittleEndian(tree.size(), 4) + '\x04' + tree;
    PutLittleEndian(out, 0, 0x00035F3F, 4);
    PutLittleEndian(out, 4, image.m_nDirectoryOffset, 4);
    PutLittleEndian(out, 8, 0xFFFFFFFF, 4);
    PutLittleEndian(out, 12, out.size(), 4);
    return image;
}

// The internal files of a small help file; topicSize bytes of "|TOPIC" (0: none at all).
inline CHlpImage BuildHelpFile(size_t topicSize, size_t entriesPerLeaf = 0) {
    std::vector<std::pair<std::string, std::string>> files = {
        {"|SYSTEM", LittleEndian(0x036C, 2) + LittleEndian(21, 2) + LittleEndian(1, 2)},
        {"|FONT", std::string(40, '\x01')},
        {"|Phrases", std::string(24, '\x02')},
        {"|TTLBTREE", std::string(60, '\x03')},
        {"|CONTEXT", std::string(60, '\x05')},
    };
    if (topicSize > 0) {
        std::string topic(topicSize, '\0');
        for (size_t i = 12; i < topicSize; ++i) {
            topic[i] = static_cast<char>('A' + i % 26);
        }
        files.emplace_back("|TOPIC", topic);
    }
    return BuildHlp(files, entriesPerLeaf);
}

// ---- PDF --------------------------------------------------------------------------------------

// One page per content stream, Helvetica as /F1, and a cross-reference table with the real
// offsets.
inline std::string BuildPdf(const std::vector<std::string>& pageContents) {
    std::vector<std::string> objects;
    std::string kids;
    int firstPage = 4;
    for (size_t i = 0; i < pageContents.size(); ++i) {
        kids += std::to_string(firstPage + 2 * i) + " 0 R ";
    }
    objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
    objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " +
                      std::to_string(pageContents.size()) + " >>");
    objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    for (size_t i = 0; i < pageContents.size(); ++i) {
        objects.push_back(
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] "
            "/Resources << /Font << /F1 3 0 R >> >> /Contents " +
            std::to_string(firstPage + 2 * i + 1) + " 0 R >>");
        objects.push_back("<< /Length " + std::to_string(pageContents[i].size()) + " >>\nstream\n" +
                          pageContents[i] + "\nendstream");
    }
    std::string out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(out.size());
        out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t offset : offsets) {
        char line[24];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        out += line;
    }
    out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
}

inline std::string PdfTextPage(const std::string& text) {
    return "BT /F1 24 Tf 72 720 Td (" + text + ") Tj ET";
}
// A page that draws but says nothing.
inline std::string PdfDrawingPage() {
    return "0 0 m 300 300 l S 10 10 200 100 re f";
}

// Runs a tool that the deps script installs; a missing tool fails the test loudly.
inline void RunTool(const std::string& strCommand) {
    int rc = std::system(strCommand.c_str());
    ASSERT_EQ(rc, 0) << "failed: " << strCommand << " (scripts/deps.sh installs the tool)";
}

// ---- the fixture ------------------------------------------------------------------------------

class CTopicFileTest : public ::testing::Test {
protected:
    CTopicFileTest() {
        // The library resolves paths against the prefix named in the environment.
        setenv("TQ_PREFIX", m_prefix.GetDir().c_str(), 1);
    }

    // Writes a file under the prefix's scratch folder; returns its Windows path.
    std::string Write(const std::string& strName, const std::string& strData) {
        WriteLinuxFile(Linux(strName), strData);
        return Win(strName);
    }
    std::string Linux(const std::string& strName) const {
        return m_prefix.Path("files/" + strName);
    }
    std::string Win(const std::string& strName) const {
        std::string strWin;
        EXPECT_EQ(ToWindowsPath(Linux(strName), strWin), 0) << strName;
        return strWin;
    }
    std::string MakeFolder(const std::string& strName) {
        std::filesystem::create_directories(Linux(strName));
        return Win(strName);
    }

    // Compiles an HTML help project with chmcmd; returns the archive's Windows path.
    std::string CompileChm(const std::string& strName,
                           const std::vector<std::pair<std::string, std::string>>& pages) {
        std::string strDir = "chm-" + strName;
        std::string strProject = "[OPTIONS]\nCompiled file=" + strName +
                                 "\nDefault topic=" + pages.front().first +
                                 "\nTitle=Test\n\n[FILES]\n";
        for (const auto& [file, html] : pages) {
            WriteLinuxFile(Linux(strDir + "/" + file), html);
            strProject += file + "\n";
        }
        WriteLinuxFile(Linux(strDir + "/project.hhp"), strProject);
        RunTool("cd '" + Linux(strDir) + "' && chmcmd --no-html-scan project.hhp >chmcmd.log 2>&1");
        std::filesystem::rename(Linux(strDir + "/" + strName), Linux(strName));
        return Win(strName);
    }

    // Encrypts a PDF with qpdf (AES-256); the arguments set passwords and restrictions.
    std::string EncryptPdf(const std::string& strName, const std::string& strSource,
                           const std::string& strUserPassword, const std::string& strRestrictions) {
        std::string strPlain = Linux(strName + ".plain.pdf");
        WriteLinuxFile(strPlain, strSource);
        RunTool("qpdf --encrypt '" + strUserPassword + "' owner-secret 256 " + strRestrictions +
                " -- '" + strPlain + "' '" + Linux(strName) + "'");
        return Win(strName);
    }

    CTempPrefix m_prefix;
};

}  // namespace tq::test
