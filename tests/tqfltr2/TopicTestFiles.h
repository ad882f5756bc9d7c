// Real help files made during the tests: WinHelp containers written from the format's published
// description, minimal PDFs (encrypted through qpdf), CHM archives compiled by chmcmd.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "platform/Path.h"
#include "support/TestSupport.h"

namespace tq::test {

using CNamedData = std::vector<std::pair<std::string, std::string>>;

using CAnswerCase = std::tuple<const char*, std::string, int>;  // a file and a check's answer

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
    std::generate(data.begin(), data.end(), [&gen] { return static_cast<char>(gen() & 0xFF); });
    return data;
}

// Writes the internal files, then the directory: a B+ tree with entriesPerLeaf names per leaf
// (all in one leaf when 0) under one index page when there are several leaves.
inline std::string BuildHlp(CNamedData files, size_t entriesPerLeaf = 0, uint32_t pageSize = 1024) {
    std::string out(16, '\0');
    std::map<std::string, uint32_t> offsets;  // header of each internal file
    auto internalFile = [&](const std::string& data) {
        out += LittleEndian(data.size() + 9, 4) + LittleEndian(data.size(), 4) + '\x04' + data;
    };
    for (const auto& [name, data] : files) {
        offsets[name] = static_cast<uint32_t>(out.size());
        internalFile(data);
    }
    std::sort(files.begin(), files.end());
    size_t perLeaf = entriesPerLeaf == 0 ? std::max<size_t>(files.size(), 1) : entriesPerLeaf;
    size_t leaves = std::max<size_t>((files.size() + perLeaf - 1) / perLeaf, 1);
    std::vector<std::string> pages(leaves);
    std::string index = LittleEndian(0, 2) + LittleEndian(leaves - 1, 2) + LittleEndian(0, 2);
    for (size_t leaf = 0; leaf < leaves; ++leaf) {
        size_t first = std::min(leaf * perLeaf, files.size());
        size_t count = std::min(perLeaf, files.size() - first);
        pages[leaf] = LittleEndian(0, 2) + LittleEndian(count, 2) +
                      LittleEndian(leaf == 0 ? 0xFFFF : leaf - 1, 2) +
                      LittleEndian(leaf + 1 == leaves ? 0xFFFF : leaf + 1, 2);
        for (size_t i = first; i < first + count; ++i) {
            pages[leaf] += files[i].first + '\0' + LittleEndian(offsets[files[i].first], 4);
        }
        if (leaf > 0) {
            index += files[first].first + '\0' + LittleEndian(leaf, 2);
        }
    }
    if (leaves > 1) {
        pages.push_back(index);
    }
    std::string tree = LittleEndian(0x293B, 2) + LittleEndian(0x0402, 2) +
                       LittleEndian(pageSize, 2) + "z4" + std::string(18, '\0') +
                       LittleEndian(leaves > 1 ? leaves : 0, 2) + LittleEndian(0xFFFF, 2) +
                       LittleEndian(pages.size(), 2) + LittleEndian(leaves > 1 ? 2 : 1, 2) +
                       LittleEndian(files.size(), 4);
    for (std::string& page : pages) {
        page.resize(pageSize, '\0');
        tree += page;
    }
    uint32_t directory = static_cast<uint32_t>(out.size());
    internalFile(tree);
    return out.replace(0, 16,
                       LittleEndian(0x00035F3F, 4) + LittleEndian(directory, 4) +
                           LittleEndian(0xFFFFFFFF, 4) + LittleEndian(out.size(), 4));
}

// A small help file with topicSize bytes of "|TOPIC" (none at all when 0).
inline std::string BuildHelpFile(size_t topicSize, size_t entriesPerLeaf = 0) {
    CNamedData files = {{"|SYSTEM", LittleEndian(0x036C, 2) + LittleEndian(21, 2)},
                        {"|FONT", std::string(40, '\x01')},
                        {"|Phrases", std::string(24, '\x02')},
                        {"|CONTEXT", std::string(60, '\x05')}};
    if (topicSize > 0) {
        files.emplace_back("|TOPIC", std::string(topicSize, 'T'));
    }
    return BuildHlp(files, entriesPerLeaf);
}

// One page per content stream, Helvetica as /F1, a cross-reference table with real offsets.
inline std::string BuildPdf(const std::vector<std::string>& pageContents) {
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>", "",
                                        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    std::string kids;
    for (const std::string& content : pageContents) {
        kids += std::to_string(objects.size() + 1) + " 0 R ";
        objects.push_back(
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources "
            "<< /Font << /F1 3 0 R >> >> /Contents " +
            std::to_string(objects.size() + 2) + " 0 R >>");
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" +
                          content + "\nendstream");
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " +
                 std::to_string(pageContents.size()) + " >>";
    std::string out = "%PDF-1.4\n";
    std::string xref = "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t i = 0; i < objects.size(); ++i) {
        std::string offset = std::to_string(out.size());
        xref += std::string(10 - offset.size(), '0') + offset + " 00000 n \n";
        out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    return out + xref + "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + std::to_string(out.size()) + "\n%%EOF\n";
}
inline std::string PdfTextPage(const std::string& text) {
    return "BT /F1 24 Tf 72 720 Td (" + text + ") Tj ET";
}
const char kPdfDrawingPage[] = "0 0 m 300 300 l S 10 10 200 100 re f";

// Runs a tool that the deps script installs; a missing tool fails the test loudly.
inline void RunCommand(const std::string& strCommand) {
    ASSERT_EQ(RunHostCommand(strCommand), 0)
        << "failed: " << strCommand
        << " (scripts/deps.sh installs the tool; under Wine scripts/windows.sh serves it)";
}

class CTopicFileTest : public ::testing::Test {
protected:
    // Writes a file in the prefix's scratch folder; returns its Windows path.
    std::string Write(const std::string& strName, const std::string& strData) {
        WriteLinuxFile(Linux(strName), strData);
        return Win(strName);
    }
    std::string Linux(const std::string& strName) const { return m_prefix.Path("f/" + strName); }
    std::string Win(const std::string& strName) const {
        std::string strWin;
        EXPECT_EQ(ToWindowsPath(Linux(strName), strWin), 0) << strName;
        return strWin;
    }
    // Compiles an HTML help project with chmcmd; returns the archive's Windows path.
    std::string CompileChm(const std::string& strName, const CNamedData& pages) {
        std::string strProject = "[OPTIONS]\nCompiled file=" + strName + "\n\n[FILES]\n";
        for (const auto& [file, html] : pages) {
            WriteLinuxFile(Linux("chm/" + file), html);
            strProject += file + "\n";
        }
        WriteLinuxFile(Linux("chm/project.hhp"), strProject);
        RunCommand("cd '" + Linux("chm") + "' && chmcmd --no-html-scan project.hhp >log 2>&1");
        std::filesystem::rename(Linux("chm/" + strName), Linux(strName));
        std::filesystem::remove_all(Linux("chm"));
        return Win(strName);
    }
    // The PDF as qpdf rewrites it with the given options (encryption, object streams).
    std::string Qpdf(const std::string& strSource, const std::string& strOptions) {
        WriteLinuxFile(Linux("plain.pdf"), strSource);
        RunCommand("qpdf " + strOptions + " '" + Linux("plain.pdf") + "' '" + Linux("q.pdf") + "'");
        return ReadLinuxFile(Linux("q.pdf"));
    }

    CTempPrefix m_prefix;
};

}  // namespace tq::test
