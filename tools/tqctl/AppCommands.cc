#include "AppCommands.h"

#include <cstdint>
#include <string>
#include <vector>

#include "Host.h"
#include "Libraries.h"
#include "applications/AppNameRules.h"
#include "applications/AppliCommit.h"
#include "applications/CheckJob.h"
#include "applications/EditFileSets.h"
#include "applications/EditSession.h"
#include "applications/HaveTopic.h"
#include "applications/JobWaitLoop.h"
#include "applications/TargetList.h"
#include "frame/ErrorTable.h"
#include "manager/CtrlFile.h"
#include "platform/Cp932.h"
#include "platform/Environment.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"

namespace tq::tqctl {

namespace {

// The topic-filter library that goes with tqctl, unless the environment names another folder.
void UseToolTopicLibrary() {
    std::string strDir;
    if (GetEnvironmentVariable(kTopicLibraryDirVariable, strDir) != 0) {
        strDir = GetToolTopicLibraryFolder();
        if (!strDir.empty()) {
            SetEnvironmentVariable(kTopicLibraryDirVariable, strDir);
        }
    }
}

// The chosen files in Windows form, each with its file name as display name. False (after a
// usage message) for a path that has no Windows form.
bool MakeItems(CHost& host, const std::vector<std::string>& files, std::vector<CCheckItem>& items) {
    for (const std::string& strFile : files) {
        CCheckItem item;
        if (ToWindowsForm(strFile, item.m_strPath) != 0) {
            host.Usage("no Windows form for the path " + strFile);
            return false;
        }
        size_t slash = FindLastChar(item.m_strPath, '\\');
        item.m_strDisplayName =
            slash == std::string::npos ? item.m_strPath : item.m_strPath.substr(slash + 1);
        items.push_back(std::move(item));
    }
    return true;
}

// The failure line of an error code; returns the exit status.
int FailLine(CHost& host, int32_t lCode) {
    std::string strMessage;
    GetErrorMessage(lCode, strMessage);
    return host.Fail(lCode, strMessage);
}

// Shows a message of the dialogs (a string-table id) as they would, and fails.
int ShowMessage(CHost& host, uint32_t id) {
    const char* pszText = LoadString(id);
    host.Out() << host.ToTerminal(pszText != nullptr ? pszText : "") << '\n' << std::flush;
    return kExitFailed;
}

// Opens the product for editing its user applications: kExitOk, or the exit status after the
// usage or failure line.
int OpenSession(CHost& host, CEditSession& session) {
    std::string strKey;
    if (!host.GetProduct(strKey)) {
        return kExitUsage;
    }
    const int32_t err = session.Open(kProductKeyBase + strKey);
    return err == 0 ? kExitOk : FailLine(host, err);
}

// Runs the check job over the items into the target list, the owner (this thread) waiting,
// and reports refused files on standard error as the dialogs would: message 107 for a single
// file, else the names one per line.
void RunCheckJob(CHost& host, CCtrlFile& file, const std::vector<CCheckItem>& items,
                 CSortedTargetList& targets, std::vector<std::string>* pAccepted) {
    CJobWaitLoop loop;
    CCheckJob job(
        items, [&file](const std::string& strPath) { return CheckHelpFile(file, strPath); },
        targets, loop, pAccepted);
    job.Start();
    loop.Wait();
    job.Join();
    const std::string& strRefused = job.GetRefusedNames();
    if (strRefused.empty()) {
        return;
    }
    if (items.size() == 1) {
        const char* pszText = LoadString(IDS_FILE_NO_TOPICS);
        host.Err() << host.ToTerminal(pszText != nullptr ? pszText : "") << '\n';
        return;
    }
    std::string strLines = strRefused;
    for (size_t pos = 0; (pos = strLines.find("\r\n", pos)) != std::string::npos;) {
        strLines.erase(pos, 1);
    }
    host.Err() << host.ToTerminal(strLines) << '\n';
}

int CheckCommand(CHost& host, const std::vector<std::string>& args) {
    if (args.empty()) {
        return host.Usage("check needs at least one FILE");
    }
    std::vector<CCheckItem> items;
    if (!MakeItems(host, args, items)) {
        return kExitUsage;
    }
    UseToolTopicLibrary();
    for (size_t i = 0; i < items.size(); ++i) {
        host.Out() << HaveTopic(items[i].m_strPath, 0) << '\t' << args[i] << '\n';
    }
    host.Out() << std::flush;
    return kExitOk;
}

int AddAppCommand(CHost& host, const std::vector<std::string>& args) {
    if (args.size() < 2) {
        return host.Usage("add-app needs a NAME and at least one FILE");
    }
    std::string strText;
    if (!host.FromTerminal(args[0], strText)) {
        return host.Usage("the name has characters that code page 932 cannot hold");
    }
    std::vector<CCheckItem> items;
    if (!MakeItems(host, std::vector<std::string>(args.begin() + 1, args.end()), items)) {
        return kExitUsage;
    }
    UseToolTopicLibrary();
    CEditSession session;
    if (int nExit = OpenSession(host, session); nExit != kExitOk) {
        return nExit;
    }
    CCtrlFile& file = session.GetCtrlFile();
    std::string strName;
    if (uint32_t id = CheckNewAppName(file, strText, strName); id != 0) {
        return ShowMessage(host, id);
    }
    CSortedTargetList targets;
    RunCheckJob(host, file, items, targets, nullptr);
    if (targets.IsEmpty()) {
        return ShowMessage(host, IDS_SPECIFY_TARGETS);
    }
    int32_t position = -1;
    if (uint32_t id = AddNewAppli(file, strName, position); id != 0) {
        return ShowMessage(host, id);
    }
    int32_t number = CommitNewAppli(file, position, strName, targets.GetEntries());
    if (int32_t err = session.Save(SAVEMODE_EDITED); err != 0) {
        return FailLine(host, err);
    }
    host.Out() << number << '\n' << std::flush;
    return kExitOk;
}

// The options of edit-app after TYPE and NUMBER. False after a usage message.
struct CEditOptions {
    bool m_bName = false;
    std::string m_strName;  // code page 932
    std::vector<std::string> m_add;
    std::vector<std::string> m_remove;

    bool Parse(CHost& host, const std::vector<std::string>& args) {
        for (size_t i = 2; i < args.size(); i += 2) {
            const std::string& strOption = args[i];
            if (i + 1 >= args.size()) {
                host.Usage(strOption + " needs a value");
                return false;
            }
            if (strOption == "--name") {
                if (!host.FromTerminal(args[i + 1], m_strName)) {
                    host.Usage("the name has characters that code page 932 cannot hold");
                    return false;
                }
                m_bName = true;
            } else if (strOption == "--add") {
                m_add.push_back(args[i + 1]);
            } else if (strOption == "--remove") {
                m_remove.push_back(args[i + 1]);
            } else {
                host.Usage("unknown option " + strOption);
                return false;
            }
        }
        return true;
    }
};

// Takes a file out of the target list: the entry equal to the text as given or to its Windows
// form, ignoring case. False when the list has no such entry.
bool RemoveTarget(const std::string& strFile, CSortedTargetList& targets, CEditFileSets& sets) {
    std::string strCp932, strWin;
    int32_t index = -1;
    if (Utf8ToCp932(strFile, strCp932) == 0) {
        index = targets.FindStringExact(strCp932);
    }
    if (index < 0 && ToWindowsForm(strFile, strWin) == 0) {
        index = targets.FindStringExact(strWin);
    }
    if (index < 0) {
        return false;
    }
    sets.NoteRemoved(targets.GetEntries()[static_cast<size_t>(index)]);
    targets.DeleteString(index);
    return true;
}

int EditAppCommand(CHost& host, const std::vector<std::string>& args) {
    int32_t lType = 0, lNumber = 0;
    if (args.size() < 2 || !ParseInt32(args[0], lType) || !ParseInt32(args[1], lNumber)) {
        return host.Usage("expected edit-app TYPE NUMBER (two integers) and options");
    }
    CEditOptions options;
    if (!options.Parse(host, args)) {
        return kExitUsage;
    }
    std::vector<CCheckItem> items;
    if (!MakeItems(host, options.m_add, items)) {
        return kExitUsage;
    }
    UseToolTopicLibrary();
    CEditSession session;
    if (int nExit = OpenSession(host, session); nExit != kExitOk) {
        return nExit;
    }
    CCtrlFile& file = session.GetCtrlFile();
    // The number counts from 1, as at the automation interface.
    int32_t index = lNumber >= 1 ? file.GetDBIndex(lType, lNumber - 1) : TQE_DB_NUMBER;
    if (lType < DBTYPE_ALL || lType > DBTYPE_FREE) {
        index = TQE_DB_TYPE;
    }
    if (index < 0) {
        return FailLine(host, index);
    }
    // The dialog would refuse every name of a fixed or selection-type database; say why.
    if (const int32_t lFree = file.CheckFreeType(index); lFree != TQ_OK) {
        return FailLine(host, lFree);
    }
    const std::string strOldName = file.GetPublicName(index);
    CSortedTargetList targets;
    for (int32_t i = 0; i < file.GetDocCount(index); ++i) {
        std::string strPath;
        if (file.GetDocDisplayPath(index, i, strPath) == 0) {
            targets.AddString(strPath);
        }
    }
    CEditFileSets sets;
    for (const std::string& strFile : options.m_remove) {
        if (!RemoveTarget(strFile, targets, sets)) {
            return FailLine(host, TQE_DOC_NOT_REGISTERED);
        }
    }
    std::vector<std::string> accepted;
    RunCheckJob(host, file, items, targets, &accepted);
    for (const std::string& strPath : accepted) {
        sets.NoteAdded(strPath);
    }
    std::string strNewName;
    const std::string& strText = options.m_bName ? options.m_strName : strOldName;
    if (uint32_t id =
            ApplyEditAppName(file, index, strOldName, strText, targets.IsEmpty(), strNewName);
        id != 0) {
        return ShowMessage(host, id);
    }
    int32_t lResult = ApplyEditedFiles(file, index, strNewName != strOldName, sets);
    if (lResult == 0) {
        lResult = session.Save(SAVEMODE_EDITED);
    }
    return lResult == 0 ? host.Succeed() : FailLine(host, lResult);
}

int RunWithHost(int (*pfnCommand)(CHost&, const std::vector<std::string>&),
                const std::vector<std::string>& args) {
    return pfnCommand(GetHost(), args);
}

}  // namespace

int RunCheck(const std::vector<std::string>& args) {
    return RunWithHost(CheckCommand, args);
}

int RunAddApp(const std::vector<std::string>& args) {
    return RunWithHost(AddAppCommand, args);
}

int RunEditApp(const std::vector<std::string>& args) {
    return RunWithHost(EditAppCommand, args);
}

}  // namespace tq::tqctl
