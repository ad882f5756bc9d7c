// Modules loaded at run time: the Win32 answers for missing and broken files, exports, and the
// folder a piece of code was loaded from.

#include "platform/Module.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/ComTypes.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

namespace fs = std::filesystem;

TEST(ModuleTest, LoadAndExports) {
    test::CTempPrefix prefix;
    CModule module;
    std::string strDetail;
    EXPECT_EQ(module.Load(prefix.Path("none.so"), &strDetail), ERROR_MOD_NOT_FOUND);
    EXPECT_NE(strDetail.find("none.so"), std::string::npos);
    EXPECT_EQ(module.Load(prefix.GetDir()), ERROR_MOD_NOT_FOUND);  // a folder
    test::WriteLinuxFile(prefix.Path("text.so"), "no module");
    EXPECT_EQ(module.Load(prefix.Path("text.so"), &strDetail), ERROR_BAD_EXE_FORMAT);
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_EQ(module.GetProcAddress("DllGetClassObject"), nullptr);

    ASSERT_EQ(module.Load(TQ_TEST_COM_MODULE), 0);
    void* pfn = module.GetProcAddress("DllGetClassObject");
    ASSERT_NE(pfn, nullptr);
    EXPECT_EQ(module.GetProcAddress("NoSuchExport"), nullptr);
    EXPECT_EQ(GetModuleFolder(pfn), fs::path(TQ_TEST_COM_MODULE).parent_path().string());
}

// A function of the test program itself.
void CodeOfTheProgram() {}

TEST(ModuleTest, FolderOfTheMainProgram) {
    char szSelf[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", szSelf, sizeof szSelf - 1), 0);
    // Also after the working directory changed (the program may have a relative name).
    fs::path saved = fs::current_path();
    fs::current_path("/");
    std::string strFolder = GetModuleFolder(reinterpret_cast<const void*>(&CodeOfTheProgram));
    fs::current_path(saved);
    EXPECT_EQ(strFolder, fs::path(szSelf).parent_path().string());
}

}  // namespace
}  // namespace tq
