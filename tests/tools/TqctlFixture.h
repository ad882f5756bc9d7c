// tqctl run on a private prefix, bare or with the demo product installed and registered.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Cp932.h"
#include "support/TestSupport.h"

namespace tq {

inline std::string Cp932(const std::string& strUtf8) {
    std::string out;
    Utf8ToCp932(strUtf8, out);
    return out;
}

class TqctlTest : public ::testing::Test {
protected:
    test::CToolRun Tqctl(std::vector<std::string> args, const std::string& strInput = "",
                         const std::string& strEnv = "") {
        args.insert(args.begin(), {"--prefix", m_prefix.GetDir()});
        return test::RunTool("tqctl", args, strInput, strEnv);
    }
    std::string Work(const std::string& name) const { return m_prefix.Path("work/" + name); }
    void Write(const std::string& name, const std::string& text) {
        test::WriteLinuxFile(Work(name), text);
    }
    std::string Read(const std::string& name) { return test::ReadLinuxFile(Work(name)); }
    std::vector<std::string> WorkFiles() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(Work(""))) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    test::CTempPrefix m_prefix;
};

class TqctlDemoTest : public TqctlTest {
protected:
    void SetUp() override {
        ASSERT_EQ(test::InstallDemoProduct(m_prefix), 0);
        ASSERT_EQ(Demo({"register"}).m_nExit, 0);
    }
    test::CToolRun Demo(std::vector<std::string> args, const std::string& strInput = "",
                        const std::string& strEnv = "") {
        args.insert(args.begin(), {"--product", "Demo"});
        return Tqctl(args, strInput, strEnv);
    }

    struct CStep {
        std::vector<std::string> args;
        int exit;
        std::string out;
        std::string err = "";  // a part of standard error
    };
    void Expect(const std::vector<CStep>& steps) {
        for (const CStep& s : steps) {
            test::CToolRun run = Demo(s.args);
            SCOPED_TRACE(testing::PrintToString(s.args));
            EXPECT_EQ(run.m_nExit, s.exit) << run.m_strErr;
            EXPECT_EQ(run.m_strOut, s.out);
            EXPECT_NE(run.m_strErr.find(s.err), std::string::npos) << run.m_strErr;
        }
    }
    std::string ControlDir() const {
        return m_prefix.Path("drives/c/Program Files/Trellisquest/Control");
    }
    std::string ControlIni() const { return ControlDir() + "/Control.ini"; }

    // The questions of a saved selection and of saved edits.
    const std::string kAskSelected = "選択した内容をTrellisquestに反映します。";
    const std::string kAskEdited = "編集した内容をTrellisquestに反映します。";
};

}  // namespace tq
