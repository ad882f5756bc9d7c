#include "Commands.h"
#include "AppCommands.h"
#include "HostCommands.h"
#include "ShotCommand.h"

#include <filesystem>
#include <iostream>

#include "frame/ErrorTable.h"
#include "platform/Cp932.h"
#include "platform/Path.h"
#include "platform/Win32Error.h"

namespace tq::tqctl {

namespace {

constexpr CCommand kCommands[] = {
    {"lint", "FILE",
     "check a control file with every rule of loading; print each message, then the result",
     RunLint},
    {"rewrite", "FILE OUT [--builder]",
     "load FILE and write it to OUT in the full form (or the builder form)", RunRewrite},
    {"register", "[MODULE]", "register the component module (default: tqctl's own)", RunRegister},
    {"status", "", "0 free, 1 being edited, 2 locked by the index builder, 4 unknown", RunStatus},
    {"convert", "", "regenerate the control file from the base control file", RunConvert},
    {"error", "CODE", "the message of an error code (an empty line when there is none)", RunError},
    {"list", "[TYPE]", "TYPE NUMBER SELECTED INSTALLED PUBLICNAME, one line per database", RunList},
    {"select", "TYPE NUMBER", "select a database and save", RunSelect},
    {"deselect", "TYPE NUMBER", "deselect a database and save", RunDeselect},
    {"remove", "TYPE NUMBER", "remove a user application and save", RunRemove},
    {"save", "[MODE]", "load and save; MODE 1 asks with the selection wording", RunSave},
    {"check", "FILE...", "RESULT<TAB>FILE per file: the topic check (1 accepts the file)",
     RunCheck},
    {"add-app", "NAME FILE...",
     "add a user application with the accepted files, save, print its free-type NUMBER", RunAddApp},
    {"edit-app", "TYPE NUMBER [--name NEW] [--add FILE]... [--remove FILE]...",
     "rename an application, add and remove its files, and save", RunEditApp},
    {"add", "", "the add wizard, then save; print the new application's free-type NUMBER", RunAdd},
    {"edit", "TYPE NUMBER", "the edit dialog of a user application, then save", RunEdit},
    {"script", "[FILE|-]", "one dispatch call per line, each run as soon as it is read", RunScript},
    {"shot", "WIDGET FOLDER OUT.png",
     "draw filelist, details, location, location-open, wait, report, add-files, add-name or "
     "edit over FOLDER offscreen",
     RunShot},
};

}  // namespace

std::span<const CCommand> GetCommands() {
    return kCommands;
}

const CCommand* FindCommand(const std::string& strName) {
    for (const CCommand& c : kCommands) {
        if (strName == c.m_pszName) {
            return &c;
        }
    }
    return nullptr;
}

std::string UsageText() {
    std::string text =
        "usage: tqctl [--prefix DIR] [--product KEY] [--yes|--no] [--raw] COMMAND ARGS...\n"
        "       tqctl --help\n\n";
    for (const CCommand& c : kCommands) {
        std::string synopsis = std::string(c.m_pszName) + " " + c.m_pszArgs;
        text += "  " + synopsis + "\n      " + c.m_pszHelp + "\n";
    }
    text += HostUsageText();
    text +=
        "\nPaths are Linux paths. The last line of a command is CODE<TAB>MESSAGE (0 on success).\n"
        "Exit status: 0 success, 1 failure, 2 bad command line.\n";
    return text;
}

int PrintResult(int32_t lCode) {
    std::string strMessage;
    if (lCode != 0) {
        GetErrorMessage(lCode, strMessage);
    }
    std::cout << lCode << '\t' << Cp932ToUtf8Lossy(strMessage) << '\n' << std::flush;
    return lCode == 0 ? kExitOk : kExitFailed;
}

void PrintLine(const std::string& strCp932) {
    std::cout << Cp932ToUtf8Lossy(strCp932) << '\n';
}

int32_t ToWindowsForm(const std::string& strLinux, std::string& strWin) {
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(strLinux, ec);
    if (ec) {
        return ERROR_INVALID_NAME;
    }
    return ToWindowsPath(full.lexically_normal().string(), strWin);
}

}  // namespace tq::tqctl
