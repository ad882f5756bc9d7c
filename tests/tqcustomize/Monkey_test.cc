// The window, the add wizard and the edit dialog under random keys and clicks: real X input
// (xdotool) on a virtual X server, while another process creates, renames and deletes files and
// folders in the folder the dialogs show and now and then takes the editing mutex. Each round is
// a process of its own; after it: no crash or hang, the UI thread never away from its event loop
// for more than 200 ms, both control files load, every key or click meant for a push button by
// the desktop's rules (the button under a click, Space and Enter to the focused push button,
// Enter elsewhere to the default one, a mnemonic to its button) pressed it, and every dialog
// ended by the button so meant (or Cancel for Esc): nothing is saved that the user did not
// confirm. Seeded; a failing round prints its seed and its events. TQ_MONKEY_SEED,
// TQ_MONKEY_ROUNDS and TQ_MONKEY_SECONDS replay or lengthen it.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QAbstractItemView>
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "MainWindow.h"
#include "platform/ComHost.h"
#include "platform/Cp932.h"
#include "platform/NamedMutex.h"
#include "platform/Registry.h"
#include "support/TestSupport.h"

extern char** environ;

namespace tq::customize {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::to_string;
using std::chrono::milliseconds;

constexpr int64_t kMaxAwayMs = 200;
const std::string kControl = "drives/c/Program Files/Trellisquest/Control/";
const std::string kShown = "drives/c/Program Files/MyNotes/";  // where both dialogs open

int64_t NowMs() {
    return std::chrono::duration_cast<milliseconds>(Clock::now().time_since_epoch()).count();
}
std::string Env(const char* pszName, const std::string& strDefault) {
    const char* psz = std::getenv(pszName);
    return psz != nullptr && *psz != '\0' ? psz : strDefault;
}

// What the monkey does, with weights: keys as xdotool names them, a typed word, a pasted name,
// a click or a double click at a random point of a random control.
const std::pair<std::string, int> kActions[] = {
    {"Tab", 12},   {"shift+Tab", 8}, {"Return", 10}, {"space", 6},      {"Escape", 3},
    {"Down", 5},   {"Up", 3},        {"End", 4},     {"shift+Down", 2}, {"BackSpace", 2},
    {"Delete", 2}, {"F2", 4},        {"F4", 1},      {"F5", 2},         {"ctrl+s", 3},
    {"ctrl+l", 1}, {"ctrl+d", 1},    {"alt+a", 2},   {"alt+d", 1},      {"alt+n", 2},
    {"alt+b", 1},  {"alt+e", 1},     {"alt+r", 1},   {"alt+l", 1},      {"y", 1},
    {"n", 1},      {"type", 3},      {"paste", 3},   {"click", 18},     {"click2", 4}};
// Names for a name box: taken, reserved, blank, a tab, no code page 932 form, too long.
const std::string kNames[] = {
    "メモ帳", "  新しいメモ　",     "アプリケーション", "私のメモ", "用語辞書", "a\tb", "　", "",
    "ë😀",     std::string(300, 'x')};

// One round. Each action is sent once the last one was delivered (its key or button releases
// seen by a window, or arrived on the X connection and dropped by a window below a dialog) and
// the window has settled; a 10 ms timer times the UI thread's loop meanwhile.
class CMonkey : public QObject, public QAbstractNativeEventFilter {
public:
    CMonkey(CMainWindow& window, uint32_t nSeed, int nEvents, const std::string& strLog)
        : m_window(window), m_nSeed(nSeed), m_random(nSeed), m_nEvents(nEvents), m_log(strLog) {
        Log("round seed " + to_string(nSeed));
        qApp->installEventFilter(this);
        qApp->installNativeEventFilter(this);
    }
    void Start() {
        if (!std::exchange(m_bStarted, true)) {
            const std::string strStat = "/proc/self/task/" + to_string(gettid()) + "/schedstat";
            connect(&m_ticks, &QTimer::timeout, this, [this, strStat] { Tick(strStat); });
            m_ticks.start(10);
            Step();
        }
    }
    // Counts (events, dialogs, confirmed saves, focus given, lost events, longest gap, longest
    // time away from the loop), then the findings, one a line.
    std::string Finish() {
        std::ostringstream out;
        out << m_nSent << ' ' << m_nDialogs << ' ' << m_nConfirmed << ' ' << m_nFocus << ' '
            << m_nLost << ' ' << m_lMaxGap << ' ' << m_lMaxAway << '\n';
        for (const std::string& strFinding : m_findings) {
            out << strFinding << '\n';
        }
        return out.str();
    }

private:
    // A gap between two ticks less the time the thread waited for a CPU (the machine's load,
    // not the window's) is the time the loop was away; /proc has the thread's run-queue time.
    void Tick(const std::string& strStat) {
        int64_t lCpu = 0, lWait = 0;
        std::ifstream(strStat) >> lCpu >> lWait;
        const int64_t lNow = NowMs(), lGap = lNow - m_lTick,
                      lAway = lGap - (lWait - m_lWait) / 1000000;
        if (m_lTick != 0 && lAway > kMaxAwayMs) {
            Find("the UI thread was away from its loop " + to_string(lAway) + " ms (" +
                 to_string((lCpu - m_lCpu) / 1000000) + " on a CPU) at event #" +
                 to_string(m_nSent));
        }
        m_lMaxGap = m_lTick != 0 ? std::max(m_lMaxGap, lGap) : 0;
        m_lMaxAway = m_lTick != 0 ? std::max(m_lMaxAway, lAway) : 0;
        m_lTick = lNow, m_lCpu = lCpu, m_lWait = lWait;
    }
    bool nativeEventFilter(const QByteArray& type, void* pMessage, qintptr*) override {
        if (type == "xcb_generic_event_t") {  // keys are core events, buttons the input extension's
            const auto* pEvent = static_cast<xcb_ge_generic_event_t*>(pMessage);
            const int nCode = pEvent->response_type & 0x7f;
            m_nArrived += nCode == XCB_KEY_RELEASE || nCode == XCB_BUTTON_RELEASE ||
                          (nCode == XCB_GE_GENERIC && pEvent->event_type == 5);
        }
        return false;
    }
    bool eventFilter(QObject* pObject, QEvent* pEvent) override {
        const QEvent::Type type = pEvent->type();
        m_nDelivered += pObject->isWindowType() && pEvent->spontaneous() &&
                        (type == QEvent::KeyRelease || type == QEvent::MouseButtonRelease);
        auto* pDialog = qobject_cast<QDialog*>(pObject);
        if (type == QEvent::Show && pDialog != nullptr && pDialog->isWindow() &&
            !pDialog->property("monkey").isValid() && !pDialog->inherits("tq::CWaitDlg")) {
            pDialog->setProperty("monkey", true);
            Log("  '" + Title(pDialog) + "' opens");
            connect(pDialog, &QDialog::finished, this,
                    [this, pDialog](int r) { Ended(pDialog, r); });
        }
        return false;
    }
    static std::string Title(QWidget* pWindow) {
        auto* pBox = qobject_cast<QMessageBox*>(pWindow);
        return (pBox != nullptr ? pBox->text().left(24) : pWindow->windowTitle()).toStdString();
    }
    static std::string Name(QAbstractButton* pButton) {
        return pButton == nullptr ? "nothing" : "'" + pButton->text().toStdString() + "'";
    }
    void Log(const std::string& strLine) { m_log << strLine << std::endl; }
    void Find(const std::string& strFinding) {
        Log("  FINDING: " + strFinding);
        m_findings.push_back(strFinding);
    }
    void Spawn(std::vector<std::string> args) {
        std::vector<char*> argv;
        for (std::string& strArg : args) {
            argv.push_back(strArg.data());
        }
        argv.push_back(nullptr);
        if (pid_t pid = 0;
            posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv.data(), environ) == 0) {
            m_tools.push_back(pid);
        }
    }
    int Random(size_t n) { return std::uniform_int_distribution<int>(0, int(n) - 1)(m_random); }
    QWidget* Top() const {
        QWidget* pModal = QApplication::activeModalWidget();
        return pModal != nullptr && pModal->isVisible() ? pModal : &m_window;
    }

    void Step() {
        QTimer::singleShot(10, this, &CMonkey::Step);  // first: a dialog's loop runs the next
        // xdotool's requests reach the X server in the order of the actions.
        std::erase_if(m_tools, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
        const int64_t lNow = NowMs();
        if (!m_tools.empty()) {
            return;
        }
        if (m_bAwaiting) {
            const bool bDelivered = m_nDelivered >= m_nDeliveredGoal;
            m_lArrived = m_lArrived == 0 && m_nArrived >= m_nArrivedGoal ? lNow : m_lArrived;
            if (!bDelivered && (m_lArrived == 0 || lNow - m_lArrived < 300)) {
                if (lNow - m_lSent < 3000) {
                    return;
                }
                Log("  (not delivered)");
                ++m_nLost;
            }
            m_bAwaiting = false;
            m_lSettle = lNow + 40;
        }
        const QList<QAbstractButton*> buttons = Top()->findChildren<QAbstractButton*>();
        if (lNow < m_lSettle || std::any_of(buttons.begin(), buttons.end(), [](auto* p) {
                return p->isDown() && p->focusPolicy() != Qt::NoFocus;  // a mnemonic's animation
            })) {
            return;
        }
        if (disconnect(m_pressed) && !m_bPressed && m_pTarget != nullptr) {
            Find(Name(m_pTarget) + " was not pressed by event #" + to_string(m_nSent));
        }
        if (!m_window.isVisible() && QApplication::activeModalWidget() == nullptr) {
            QApplication::quit();
        } else if (Top()->inherits("tq::CWaitDlg") || FixFocus()) {  // it ends when it will
        } else if (m_nSent == 0 && m_nSeed % 3 != 0) {  // a third of the rounds: Edit first, Add
            Send(m_nSeed % 3 == 1 ? "key End F2" : "key alt+a",
                 m_nSeed % 3 == 1 ? std::vector<std::string>{"key", "End", "F2"}
                                  : std::vector<std::string>{"key", "alt+a"},
                 2, nullptr);
        } else {
            m_nSent < m_nEvents ? Act() : Close();
        }
    }
    // As a window manager would: the dialog on top, else the window, gets the keyboard, and the
    // last focus asked for is its (not one for a window a dialog has come over since).
    bool FixFocus() {
        QWidget* pTop = Top();
        if (QApplication::activePopupWidget() != nullptr || m_nFocusTries > 100 ||
            (QGuiApplication::focusWindow() == pTop->windowHandle() &&
             m_focused == pTop->winId())) {
            m_nFocusTries = 0;
            return false;
        }
        if (m_nFocusTries++ % 20 == 0) {
            m_focused = pTop->winId();
            Spawn({"xdotool", "windowfocus", to_string(m_focused)});
            Log("  (focus to '" + Title(pTop) + "')");
            m_nFocus += m_nFocusTries == 1;
        }
        return true;
    }
    void Send(const std::string& strWhat, std::vector<std::string> args, int nReleases,
              QAbstractButton* pTarget, bool bEscape = false) {
        QWidget* pFocus = QApplication::focusWidget();
        Log("#" + to_string(++m_nSent) + " " + strWhat + " | focus " +
            (pFocus == nullptr ? "none" : pFocus->metaObject()->className()) + " " +
            Name(qobject_cast<QAbstractButton*>(pFocus)) + " in '" + Title(Top()) +
            "' | meant for " + (bEscape ? "Cancel" : Name(pTarget)));
        m_pTarget = pTarget;
        m_bEscape = bEscape;
        m_bPressed = false;
        if (pTarget != nullptr) {
            m_pressed =
                connect(pTarget, &QAbstractButton::pressed, this, [this] { m_bPressed = true; });
        }
        args.insert(args.begin(), "xdotool");
        Spawn(args);
        m_nArrivedGoal = m_nArrived + nReleases;
        m_nDeliveredGoal = m_nDelivered + nReleases;
        m_lSent = NowMs();
        m_lArrived = 0;
        m_bAwaiting = true;
    }
    void Act() {
        int nPick = 0;
        for (const auto& action : kActions) {
            nPick += action.second;
        }
        nPick = Random(size_t(nPick));
        auto it = std::begin(kActions);
        for (; nPick >= it->second; ++it) {
            nPick -= it->second;
        }
        // In a message box a typed letter would answer it: words are typed elsewhere only.
        const bool bInBox = qobject_cast<QMessageBox*>(Top()) != nullptr;
        const std::string strKeys = it->first == "type" && bInBox ? "Tab" : it->first;
        if (strKeys == "type") {
            std::string strWord(1 + Random(8), ' ');
            for (char& c : strWord) {
                c = "abcdefghijklmnopqrstuvwxyz0123456789 -."[Random(39)];
            }
            Send("type '" + strWord + "'", {"type", "--delay", "8", strWord}, int(strWord.size()),
                 strWord.find(' ') != std::string::npos ? KeyTarget("space") : nullptr);
        } else if (strKeys == "paste") {
            const std::string& strName = kNames[Random(std::size(kNames))];
            QGuiApplication::clipboard()->setText(QString::fromStdString(strName));
            Send("paste '" + strName.substr(0, 20) + "'", {"key", "ctrl+v"}, 2, nullptr);
        } else if (strKeys.starts_with("click")) {
            Click(strKeys == "click2" ? 2 : 1);
        } else {
            Send("key " + strKeys, {"key", strKeys},
                 1 + int(std::count(strKeys.begin(), strKeys.end(), '+')), KeyTarget(strKeys),
                 strKeys == "Escape");
        }
    }
    // On a control of the window on top (now and then of the main window below it), or on the
    // window itself; in a tree mostly on its rows (the window's stand at its top).
    void Click(int nCount) {
        QWidget* pWindow = Random(8) == 0 ? &m_window : Top();
        std::vector<QWidget*> controls{pWindow};
        for (QWidget* p : pWindow->findChildren<QWidget*>()) {
            auto* pView = qobject_cast<QAbstractItemView*>(p->parentWidget());
            if (p->isVisible() &&
                (qobject_cast<QAbstractButton*>(p) || qobject_cast<QLineEdit*>(p) ||
                 qobject_cast<QComboBox*>(p) || (pView && pView->viewport() == p))) {
                controls.push_back(p);
            }
        }
        QWidget* pControl = controls[Random(controls.size())];
        int nHeight = pControl->height();
        if (auto* pTree = qobject_cast<QTreeView*>(pControl->parentWidget()); pTree && Random(5)) {
            QModelIndex last = pTree->model()->index(0, 0);
            for (QModelIndex i = last; i.isValid(); i = pTree->indexBelow(i)) {
                last = i;
            }
            nHeight = std::min(nHeight, pTree->visualRect(last).bottom());
        }
        const QPoint at = pControl->mapToGlobal(
            QPoint(Random(std::max(1, pControl->width())), Random(std::max(1, nHeight))));
        QAbstractButton* pButton = nullptr;
        for (QWidget* p = QApplication::widgetAt(at); p != nullptr && pButton == nullptr;
             p = p->parentWidget()) {
            pButton = qobject_cast<QAbstractButton*>(p);
        }
        // An open drop-down takes the first click for itself.
        const bool bLive = pButton != nullptr && pButton->isEnabled() &&
                           pButton->window() == Top() &&
                           (QApplication::activePopupWidget() == nullptr || nCount == 2);
        Send((nCount == 2 ? "double-click " : "click ") + to_string(at.x()) + "," +
                 to_string(at.y()) + " on " + pControl->metaObject()->className(),
             {"mousemove", to_string(at.x()), to_string(at.y()), "click", "--repeat",
              to_string(nCount), "--delay", "60", "1"},
             nCount, bLive ? pButton : nullptr);
    }
    // The button a key is meant for: Space and Enter the focused push button, Enter elsewhere the
    // default one (Add in the file list), a mnemonic (in a message box a letter alone) its button.
    QAbstractButton* KeyTarget(const std::string& strKeys) const {
        QWidget* pTop = Top();
        QWidget* pFocus = QApplication::focusWidget();
        if (QApplication::activePopupWidget() != nullptr || pFocus == nullptr ||
            pFocus->window() != pTop) {
            return nullptr;
        }
        auto* pFocusButton = pFocus->isEnabled() ? qobject_cast<QAbstractButton*>(pFocus) : nullptr;
        auto* pBox = qobject_cast<QMessageBox*>(pTop);
        if (strKeys == "space" || (strKeys == "Return" && pFocusButton != nullptr)) {
            return pFocusButton;
        }
        for (QPushButton* pButton : pBox != nullptr && strKeys == "Return"
                                        ? pBox->findChildren<QPushButton*>()
                                        : QList<QPushButton*>()) {
            if (pButton->isDefault()) {  // the box's own, or the first it made the default
                return pButton;
            }
        }
        if (strKeys == "Return" && qobject_cast<QDialog*>(pTop) != nullptr) {
            bool bInFiles = false;
            for (QWidget* p = pFocus; p != nullptr; p = p->parentWidget()) {
                bInFiles = bInFiles || p->objectName() == "1016";
            }
            auto* pButton = pTop->findChild<QAbstractButton*>(bInFiles ? "51" : "1");
            return pButton != nullptr && pButton->isEnabled() ? pButton : nullptr;
        }
        const bool bAlt = strKeys.starts_with("alt+");
        if (strKeys.size() != (bAlt ? 5u : 1u) || (!bAlt && pBox == nullptr)) {
            return nullptr;
        }
        const auto key = Qt::Key(Qt::Key_A + strKeys.back() - 'a');
        for (QAbstractButton* pButton : pTop->findChildren<QAbstractButton*>()) {
            const QKeySequence mnemonic = pButton->shortcut();
            if (pButton->isVisible() && pButton->isEnabled() && !mnemonic.isEmpty() &&
                (bAlt ? mnemonic == QKeySequence(Qt::ALT | key) : mnemonic[0].key() == key)) {
                return pButton;
            }
        }
        return nullptr;
    }
    // How a dialog ended against what the last key or click was meant for; a confirmed save
    // after a dialog accepted by an event not meant for it writes what nobody confirmed.
    void Ended(QDialog* pDialog, int nResult) {
        ++m_nDialogs;
        auto* pBox = qobject_cast<QMessageBox*>(pDialog);
        QAbstractButton* pEnd =
            pBox != nullptr
                ? pBox->clickedButton()
                : pDialog->findChild<QAbstractButton*>(nResult == QDialog::Accepted ? "1"
                                                       : nResult == 3               ? "54"
                                                                                    : "2");
        const auto role = pBox != nullptr ? pBox->buttonRole(pEnd) : QMessageBox::InvalidRole;
        const bool bCancel = pEnd == nullptr || pEnd->objectName() == "2" ||
                             role == QMessageBox::RejectRole || role == QMessageBox::NoRole ||
                             (pBox != nullptr && pBox->buttons().size() == 1);
        const bool bMeant = pEnd == m_pTarget || (m_bEscape && bCancel);
        const bool bAccepted = nResult == QDialog::Accepted || role == QMessageBox::YesRole;
        Log("  '" + Title(pDialog) + "' ended by " + Name(pEnd));
        if (!bMeant) {
            Find("'" + Title(pDialog) + "' ended by " + Name(pEnd) + " at event #" +
                 to_string(m_nSent) + ", meant for " + (m_bEscape ? "Cancel" : Name(m_pTarget)));
            // What a dialog commits: the edit dialog's OK, Finish, a Yes (the files page's Next
            // leads to Finish, which the user still sees).
            const bool bCommits = pDialog->inherits("tq::CEditAppDlg") ||
                                  pDialog->inherits("tq::CAddAppNameDlg") ||
                                  role == QMessageBox::YesRole;
            m_nUnmeant = bAccepted && bCommits && m_nUnmeant == 0 ? m_nSent : m_nUnmeant;
        } else if (bAccepted && pBox != nullptr &&
                   pBox->text().contains(QString::fromUtf8("破棄"))) {
            m_nUnmeant = 0;  // reverted
        } else if (bAccepted && pBox != nullptr &&
                   pBox->text().contains(QString::fromUtf8("反映"))) {
            ++m_nConfirmed;
            if (m_nUnmeant != 0) {
                Find("the save of event #" + to_string(m_nSent) +
                     " wrote what the dialog ended at event #" + to_string(m_nUnmeant) +
                     " had not been told to keep");
            }
        }
    }
    // After the round's events: message boxes answered at random, dialogs cancelled, Ctrl+Q.
    void Close() {
        m_lClosing = m_lClosing == 0 ? NowMs() : m_lClosing;
        QWidget* pModal = QApplication::activeModalWidget();
        auto* pBox = qobject_cast<QMessageBox*>(pModal);
        if (NowMs() - m_lClosing > 20000) {
            Find("the window did not close");
            QApplication::quit();
        } else if (pBox != nullptr) {
            QAbstractButton* pButton = pBox->buttons()[Random(pBox->buttons().size())];
            const QPoint at = pButton->mapToGlobal(pButton->rect().center());
            Send("click " + Name(pButton),
                 {"mousemove", to_string(at.x()), to_string(at.y()), "click", "1"}, 1, pButton);
        } else if (pModal == nullptr) {
            Send("key ctrl+q", {"key", "ctrl+q"}, 2, nullptr);
        } else if (!pModal->inherits("tq::CWaitDlg")) {
            Send("key Escape", {"key", "Escape"}, 1, nullptr, true);
        }
    }

    CMainWindow& m_window;
    const uint32_t m_nSeed;
    std::mt19937 m_random;
    const int m_nEvents;
    std::ofstream m_log;
    QTimer m_ticks;
    std::vector<pid_t> m_tools;
    QPointer<QAbstractButton> m_pTarget;
    QMetaObject::Connection m_pressed;
    WId m_focused = 0;
    std::vector<std::string> m_findings;
    int m_nSent = 0, m_nArrived = 0, m_nArrivedGoal = 0, m_nDelivered = 0, m_nDeliveredGoal = 0,
        m_nDialogs = 0, m_nConfirmed = 0, m_nFocus = 0, m_nLost = 0, m_nFocusTries = 0,
        m_nUnmeant = 0;
    int64_t m_lSent = 0, m_lArrived = 0, m_lSettle = 0, m_lClosing = 0, m_lTick = 0, m_lCpu = 0,
            m_lWait = 0, m_lMaxGap = 0, m_lMaxAway = 0;
    bool m_bStarted = false, m_bAwaiting = false, m_bEscape = false, m_bPressed = false;
};

// args: seed, events, display, log file, result file.
TQ_CHILD_MAIN(MonkeyRound) {
    alarm(120);  // a round that hangs ends here
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("DISPLAY", args[2].c_str(), 1);
    int nArgc = 1;
    char szName[] = "monkey";
    char* argv[] = {szName, nullptr};
    QApplication app(nArgc, argv);
    CMainWindow window("Demo");
    window.SetPollInterval(250);
    CMonkey monkey(window, uint32_t(std::stoul(args[0])), std::stoi(args[1]), args[3]);
    QObject::connect(&window, &CMainWindow::LoadEnded, &monkey, [&monkey] { monkey.Start(); });
    window.show();
    QApplication::exec();
    test::WriteLinuxFile(args[4], monkey.Finish());
    return 0;
}

// The other process, in the shown folder: files and folders come, are renamed and go (names
// without a Windows or a code page 932 form among them), and the editing mutex is taken now and
// then. args: folder, seed, stop file, counts file.
TQ_CHILD_MAIN(MonkeyChurn) {
    const fs::path folder = args[0];
    std::mt19937 random(uint32_t(std::stoul(args[1])));
    auto pick = [&random](size_t n) {
        return std::uniform_int_distribution<size_t>(0, n - 1)(random);
    };
    const std::string strGuide = test::ReadLinuxFile(folder / "guide.txt");
    const std::string kSuffixes[] = {".txt",   ".pdf",    ".html", ">v2.txt",
                                     "|p.txt", "\"q.txt", "😀.txt", std::string(200, 'n') + ".txt"};
    std::vector<fs::path> own;
    int counts[5] = {};  // made, renamed, deleted, folders made, mutex holds
    std::error_code ec;
    for (int n = 0; !fs::exists(args[2]); ++n) {
        std::this_thread::sleep_for(milliseconds(10 + pick(120)));
        const fs::path path = folder / ("m" + to_string(n) + kSuffixes[pick(std::size(kSuffixes))]);
        const size_t nOp = own.size() > 150 ? 6 : pick(10);  // the folder stays browsable
        if (nOp <= 3) {                                      // a file, or a folder with one
            own.push_back(nOp < 3 ? path : folder / path.stem());
            nOp == 3 && fs::create_directory(own.back(), ec);
            test::WriteLinuxFile(nOp < 3 ? path : own.back() / "inner.txt",
                                 pick(2) ? strGuide : "x");
            ++counts[nOp < 3 ? 0 : 3];
        } else if (nOp <= 5 && !own.empty()) {
            fs::path& from = own[pick(own.size())];
            fs::rename(from, path, ec);
            from = ec ? from : path;
            ++counts[1];
        } else if (nOp <= 7 && !own.empty()) {
            const size_t i = pick(own.size());
            fs::remove_all(own[i], ec);
            own.erase(own.begin() + long(i));
            ++counts[2];
        } else if (CNamedMutex mutex;
                   nOp >= 8 && mutex.Create("TrellisquestCustomize.Mutex", true) == 0) {
            std::this_thread::sleep_for(milliseconds(100 + pick(900)));
            ++counts[4];
        }
    }
    test::WriteLinuxFile(args[3], to_string(counts[0]) + " files made, " + to_string(counts[1]) +
                                      " renamed, " + to_string(counts[2]) + " deleted, " +
                                      to_string(counts[3]) + " folders made, the mutex taken " +
                                      to_string(counts[4]) + " times");
    return 0;
}

// A virtual X server on a free display (no reset between clients), for the test's life.
struct CXvfb {
    CXvfb()
        : m_pPipe(popen("echo $$; exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp "
                        "-noreset 2>/dev/null",
                        "r")) {
        int nDisplay = -1;
        if (m_pPipe != nullptr && std::fscanf(m_pPipe, "%d %d", &m_pid, &nDisplay) == 2) {
            m_strDisplay = ":" + to_string(nDisplay);
        }
    }
    ~CXvfb() {
        if (m_pPipe != nullptr) {
            kill(m_pid, SIGTERM);
            pclose(m_pPipe);
        }
    }
    FILE* m_pPipe;
    pid_t m_pid = 0;
    std::string m_strDisplay;
};

TEST(Monkey, RandomKeysAndClicksUnderXvfb) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the campaign times the UI thread; under the sanitizers it would time them";
#endif
    if (std::system("command -v Xvfb >/dev/null && command -v xdotool >/dev/null") != 0) {
        GTEST_SKIP() << "Xvfb and xdotool are not installed (scripts/deps.sh installs them)";
    }
    const bool bFull = Env("TQ_RELIABILITY_FULL", "") == "1";
    const auto nBase =
        uint32_t(std::stoul(Env("TQ_MONKEY_SEED", bFull ? to_string(time(nullptr)) : "1")));
    const int nMaxRounds = std::stoi(Env("TQ_MONKEY_ROUNDS", "1000000"));
    const auto end = Clock::now() + std::chrono::seconds(
                                        std::stoi(Env("TQ_MONKEY_SECONDS", bFull ? "1800" : "60")));
    CXvfb xvfb;
    ASSERT_FALSE(xvfb.m_strDisplay.empty()) << "Xvfb did not start";
    test::CTempPrefix prefix;
    ASSERT_EQ(test::InstallDemoProduct(prefix), 0);
    ASSERT_EQ(RegisterServerModule(TQ_MODULE_PATH), S_OK);
    const std::string strBase = prefix.Path(kControl + "BaseControl.ini");
    const std::string strDocs = prefix.Path("drives/c/Program Files/Trellisquest/Docs/");
    fs::copy_file(strDocs + "relnotes.txt", prefix.Path(kShown + "guide.txt"));
    fs::copy_file(strDocs + "manual.pdf", prefix.Path(kShown + "manual.pdf"));
    fs::copy_file(strBase, prefix.Path("demo-base"));
    std::string strApp;
    ASSERT_EQ(Utf8ToCp932("[私のメモ]", strApp), 0);
    const std::string strStop = prefix.Path("churn-stop"), strChurn = prefix.Path("churn-counts");
    const pid_t churn =
        test::StartChild("MonkeyChurn", {prefix.Path(kShown), to_string(nBase), strStop, strChurn});
    auto files = [&] {
        return test::ReadLinuxFile(strBase) + '\0' +
               test::ReadLinuxFile(prefix.Path(kControl + "Control.ini"));
    };
    long long totals[7] = {};  // as CMonkey::Finish counts; the two longest the largest
    int nRounds = 0, nChanged = 0, nFindings = 0, nResets = 0;
    for (; nRounds < nMaxRounds && Clock::now() < end; ++nRounds) {
        const uint32_t nSeed = nBase + uint32_t(nRounds);
        CRegKey settings;
        ASSERT_EQ(settings.Create(HKEY_CURRENT_USER,
                                  "SOFTWARE\\Orbanworks\\Trellisquest\\Demo\\USER\\Temp\\AddTarget",
                                  KEY_ALL_ACCESS),
                  0);
        ASSERT_EQ(settings.SetString("CurrentFolder", "C:\\Program Files\\MyNotes\\"), 0);
        if (test::ReadLinuxFile(strBase).find(strApp) == std::string::npos) {  // removed: again
            fs::copy_file(prefix.Path("demo-base"), strBase, fs::copy_options::overwrite_existing);
            fs::remove(prefix.Path(kControl + "Control.ini"));
            ++nResets;
        }
        const std::string strBefore = files(), strLog = prefix.Path("round.log"),
                          strResult = prefix.Path("round.result");
        fs::remove(strResult);
        fs::remove(strLog);
        const int nStatus = test::RunChild(
            "MonkeyRound", {to_string(nSeed), "60", xvfb.m_strDisplay, strLog, strResult});
        std::istringstream result(test::ReadLinuxFile(strResult));
        long long counts[7] = {};
        for (long long& lCount : counts) {
            result >> lCount;
        }
        std::string strFindings;
        for (std::string strLine; std::getline(result >> std::ws, strLine);) {
            strFindings += "  " + strLine + "\n";
        }
        const bool bChanged = files() != strBefore;
        if (nStatus != 0) {
            strFindings +=
                "  the round " +
                (nStatus == 128 + SIGALRM ? "hung" : "ended with status " + to_string(nStatus)) +
                "\n";
        } else if (bChanged && counts[2] == 0) {
            strFindings += "  the control files changed without a confirmed save\n";
        }
        for (const char* pszFile : {"BaseControl.ini", "Control.ini"}) {
            const std::string strPath = prefix.Path(kControl + pszFile);
            if (test::LinuxFileExists(strPath) &&
                test::RunTool("tqctl", {"lint", strPath}).m_nExit != 0) {
                strFindings += "  " + std::string(pszFile) + " does not load\n";
            }
        }
        for (int i = 0; i < 7; ++i) {
            totals[i] = i < 5 ? totals[i] + counts[i] : std::max(totals[i], counts[i]);
        }
        nChanged += bChanged;
        nFindings += int(std::count(strFindings.begin(), strFindings.end(), '\n'));
        if (!strFindings.empty()) {
            ADD_FAILURE() << "round seed " << nSeed
                          << (bChanged ? " (the control files changed)" : "") << ":\n"
                          << strFindings << "replay: TQ_MONKEY_SEED=" << nSeed
                          << " TQ_MONKEY_ROUNDS=1 (with the rounds before it: TQ_MONKEY_SEED="
                          << nBase << " TQ_MONKEY_ROUNDS=" << nRounds + 1
                          << ") tq_tqcustomize_tests --gtest_filter=Monkey.*\n"
                          << test::ReadLinuxFile(strLog);
        }
    }
    test::WriteLinuxFile(strStop, "");
    EXPECT_EQ(test::WaitChild(churn), 0);
    // The line scripts/reliability.sh collects, as the other campaigns' lines.
    std::printf(
        "RELIABILITY monkey: %d rounds (seeds %u to %u), %lld events, %lld dialogs ended, %lld "
        "saves "
        "confirmed; the control files changed in %d rounds and loaded every time (%d resets to the "
        "demo's files); longest gap of the UI loop %lld ms, away from it at most %lld ms; churn: "
        "%s; "
        "focus given %lld times, %lld events not delivered; %d findings\n",
        nRounds, nBase, nBase + uint32_t(nRounds) - 1, totals[0], totals[1], totals[2], nChanged,
        nResets, totals[5], totals[6], test::ReadLinuxFile(strChurn).c_str(), totals[3], totals[4],
        nFindings);
}

}  // namespace
}  // namespace tq::customize
