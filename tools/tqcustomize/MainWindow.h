// The window over one product: the databases in their three sections with the selection's check
// boxes and the markers (a view over CDatabaseModel), the actions Add, Edit, Remove, Save, Revert
// and the tick with their buttons and keys, the edit status in the status bar. Whether an action
// works, and why not, is WindowRules' one rule; the product is the session's.
#pragma once

#include <QFutureWatcher>
#include <QMainWindow>
#include <functional>
#include <string>
#include <vector>

#include "DatabaseModel.h"
#include "ProductSession.h"
#include "WindowRules.h"
#include "dialogs/toolkit/QtMessageBox.h"

class QAction;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeView;

namespace tq::customize {

// What the loading worker hands the window.
struct CLoadResult {
    int32_t m_lResult = 0;
    int32_t m_lStatus = EDITSTATUS_FREE;
    std::vector<CDatabaseRow> m_rows;
};

class CMainWindow : public QMainWindow {
    Q_OBJECT

public:
    // strProduct: the product key in code page 932. The list loads once the window is shown.
    explicit CMainWindow(std::string strProduct, QWidget* pParent = nullptr);
    ~CMainWindow() override;

    const CWindowState& GetState() const { return m_state; }
    QTreeView* GetList() const { return m_pList; }
    QPushButton* GetButton(CAction action) const;
    // How often a product held by someone else is asked again, in milliseconds.
    void SetPollInterval(int nMs);
    // Whether a product that cannot be loaded is reported in a message box (the default) or
    // only in the state, for a caller that reports it itself.
    void SetReportFailures(bool bReport) { m_bReportFailures = bReport; }

    void Add(const std::vector<std::string>& targets = {});
    void Edit();
    void Remove();
    // true when the changes are saved (or there were none).
    bool Save();
    void Revert();

signals:
    // The list is shown, or the product could not be loaded.
    void LoadEnded();

protected:
    void showEvent(QShowEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;

private:
    void CreateList(QWidget* pParent);
    void CreateActions(QWidget* pButtons);
    QAction* MakeAction(CAction action, const QKeySequence& keys, std::function<void()> run);
    void ConnectSignals();
    void RestorePlacement();
    void StartLoad();
    void FinishLoad(const CLoadResult& loaded);
    void ReportFailure(int32_t lCode);
    void Poll();
    void ToggleCurrent();
    void Update();
    void ShowError(int32_t lCode);
    // The window's title as it shows, for the captions of its message boxes.
    QString GetCaption() const;

    // The component's questions and warnings, above the window or its dialog that is active.
    CQtMessageBoxScope m_messageBoxes;
    std::string m_strProduct;
    std::string
        m_strTitle;  // the product's display name once known (the session's is the worker's)
    CProductSession m_session;
    CWindowState m_state;
    QFutureWatcher<CLoadResult> m_loading;
    bool m_bStarted = false;
    bool m_bReportFailures = true;

    CDatabaseModel* m_pModel;
    QTreeView* m_pList;
    QAction* m_pActions[6];  // by CAction
    QPushButton* m_pButtons[5];
    QLabel* m_pStatus;
    QProgressBar* m_pProgress;
    QTimer* m_pPoll;
};

}  // namespace tq::customize
