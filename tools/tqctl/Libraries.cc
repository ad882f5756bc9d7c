#include "Libraries.h"

#include <filesystem>
#include <system_error>

#include "applications/TopicLibrary.h"
#include "platform/Environment.h"
#include "platform/Module.h"

// Set by the build: the folder the tool is built in and the files built with it, and the way
// from the installed tool's folder to the installed libraries.
#ifndef TQ_TOOL_BUILD_DIR
#define TQ_TOOL_BUILD_DIR ""
#endif
#ifndef TQ_MODULE_PATH
#define TQ_MODULE_PATH ""
#endif
#ifndef TQ_TQFLTR2_BUILD_DIR
#define TQ_TQFLTR2_BUILD_DIR ""
#endif
#ifndef TQ_INSTALLED_LIBRARY_DIR
#define TQ_INSTALLED_LIBRARY_DIR "../lib"
#endif
#ifndef TQ_MODULE_FILE_NAME
#define TQ_MODULE_FILE_NAME "libtqcstm.so"
#endif

namespace tq::tqctl {

namespace {

constexpr const char* kComponentModuleFile = TQ_MODULE_FILE_NAME;

std::string GetToolFolder() {
    return GetModuleFolder(reinterpret_cast<const void*>(&GetToolFolder));
}

// The tool's folder is a real path; the build folder may have been named through a link.
bool RunsFromBuildTree(const std::string& strToolFolder) {
    std::error_code ec;
    std::filesystem::path built = std::filesystem::weakly_canonical(TQ_TOOL_BUILD_DIR, ec);
    return TQ_TOOL_BUILD_DIR[0] != '\0' && !ec && built == strToolFolder;
}

std::string GetInstalledLibraryFolder(const std::string& strToolFolder) {
    return (std::filesystem::path(strToolFolder) / TQ_INSTALLED_LIBRARY_DIR)
        .lexically_normal()
        .string();
}

}  // namespace

std::string GetComponentModulePath() {
    std::string strTool = GetToolFolder();
    if (RunsFromBuildTree(strTool)) {
        return TQ_MODULE_PATH;
    }
    return (std::filesystem::path(GetInstalledLibraryFolder(strTool)) / kComponentModuleFile)
        .string();
}

std::string GetToolTopicLibraryFolder() {
    std::string strTool = GetToolFolder();
    return RunsFromBuildTree(strTool) ? std::string(TQ_TQFLTR2_BUILD_DIR)
                                      : GetInstalledLibraryFolder(strTool);
}

void UseToolTopicLibrary() {
    std::string strDir;
    if (GetEnvironmentVariable(kTopicLibraryDirVariable, strDir) != 0) {
        strDir = GetToolTopicLibraryFolder();
        if (!strDir.empty()) {
            SetEnvironmentVariable(kTopicLibraryDirVariable, strDir);
        }
    }
}

}  // namespace tq::tqctl
