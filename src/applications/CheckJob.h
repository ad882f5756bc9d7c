// The check job of an add action: a worker thread asks the topic filter about each chosen file
// while the dialog's thread waits (the wait dialog). Files whose path the target list already
// holds are skipped without a check; accepted files are added to the target list; the display
// names of refused files are collected. The target list belongs to the dialog's thread: every
// operation on it is handed to that thread through the owner and waited for, so the list is
// never touched by two threads.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "applications/HaveTopic.h"
#include "applications/LeftOutFiles.h"

namespace tq {

// A chosen file: its full path and the name the file list shows for it.
struct CCheckItem {
    std::string m_strPath;
    std::string m_strDisplayName;
};

// The dialog's list of files chosen for an application (a sorted list box).
class ITargetList {
public:
    virtual ~ITargetList() = default;
    // Index of the entry equal to the text ignoring case, or -1.
    virtual int32_t FindStringExact(const std::string& strText) const = 0;
    // Inserts the text at its sorted place: its index, or -1 when the list refuses it.
    virtual int32_t AddString(const std::string& strText) = 0;
};

// The thread that owns the target list, while it waits for the job.
class IJobOwner {
public:
    virtual ~IJobOwner() = default;
    // Runs the task on the owner's thread and returns once it has run.
    virtual void Send(const std::function<void()>& task) = 0;
    // Called by the worker after the last item: the wait is over and may end.
    virtual void Done() = 0;
    // Called by the worker after each item: so many of so many are done.
    virtual void Progress(size_t /*nDone*/, size_t /*nTotal*/) {}
};

class CCheckJob;

// The owner that puts the user in front of the wait while it runs the job (Start to Join).
class IJobWait : public IJobOwner {
public:
    virtual void RunJob(CCheckJob& job) = 0;
};

// Runs a task the worker sent, on the owner's thread. A task that throws leaves its result as the
// worker set it up (a failed list operation), which the job finds; it must not stop the owner's
// thread, nor keep the worker from waking.
void RunSentTask(const std::function<void()>& task) noexcept;

// What the job asks about each file: CheckHelpFile of the model being edited, through a topic
// filter (the process's library when none is named). Answers 1 for a file to accept. Checks
// are told apart only by their filter, the one seam of the topic checks (TopicLibrary.h).
struct CHelpFileCheck {
    const CCtrlModel* m_pModel = nullptr;
    const ITopicFilter* m_pFilter = nullptr;

    int32_t operator()(const std::string& strPath) const;
};
// How the refused files of an add action are told, once the wait is over: nothing when none was
// refused; the message when the user chose one item (a double-click, or Add with one selected
// row); the report that lists them when several were chosen (folders among them count).
enum class ERefusalReport { kNone, kMessage, kReportDialog };
ERefusalReport DecideRefusalReport(const std::string& strRefusedNames, size_t nChosen);

// The text of the wait dialog at a tick: "しばらくお待ちください " and nDots dots (code page 932);
// the dots go 1, 2, 3 and round again (NextWaitDots).
std::string MakeWaitText(int32_t nDots);
int32_t NextWaitDots(int32_t nDots);

// Answers 0 for a file that can be a target, else the string id of why not (WhyNotTarget).
using CTargetVet = std::function<uint32_t(const std::string& strPath)>;

class CCheckJob {
public:
    // pAcceptedPaths (may be null) receives the paths that were added to the target list.
    CCheckJob(std::vector<CCheckItem> items, CHelpFileCheck check, ITargetList& targets,
              IJobOwner& owner, std::vector<std::string>* pAcceptedPaths);
    // Waits for the worker thread.
    ~CCheckJob();
    CCheckJob(const CCheckJob&) = delete;
    CCheckJob& operator=(const CCheckJob&) = delete;

    // Files from outside the file list are vetted first, on the worker: those the vet turns
    // down are left out (GetLeftOut), neither checked nor refused.
    void SetVet(CTargetVet vet) { m_vet = std::move(vet); }
    // Starts the worker thread; the owner then waits until Done and calls Join.
    void Start();
    void Join();
    // The job's body, on the worker thread.
    void Run();

    // The display names of refused files, in item order, joined by CR LF; read after Join.
    const std::string& GetRefusedNames() const { return m_strRefusedNames; }
    // The files the vet turned down, in item order, with why; read after Join.
    const std::vector<CLeftOutFile>& GetLeftOut() const { return m_leftOut; }

private:
    bool IsInTargets(const std::string& strPath);
    int32_t AddToTargets(const std::string& strPath);
    void Refuse(const std::string& strDisplayName);
    void CheckItem(const CCheckItem& item);

    std::vector<CCheckItem> m_items;
    CHelpFileCheck m_check;
    ITargetList& m_targets;
    IJobOwner& m_owner;
    std::vector<std::string>* m_pAcceptedPaths;
    std::string m_strRefusedNames;
    CTargetVet m_vet;
    std::vector<CLeftOutFile> m_leftOut;
    std::thread m_thread;
};

}  // namespace tq
