// The contents of the file list: the rows of one folder's subfolders and of the files the
// filter lets through, their detail texts, their order and their selection. The toolkit's list
// widget shows it: it asks which rows there are, in which order, with which texts.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browse/FileFilter.h"
#include "browse/FileInfoProvider.h"
#include "browse/FileListItem.h"
#include "browse/FileListSort.h"
#include "browse/ListLocale.h"
#include "browse/ListSelection.h"
#include "platform/File.h"

namespace tq {

constexpr int32_t kViewDetails = 1;
constexpr int32_t kViewList = 3;

// The dialogs read a folder a piece at a time, so that a folder of many thousands of entries
// never holds their thread for long: a piece reads at least kFillPieceEntries entries, then goes
// on until kFillPieceTime has passed; between pieces the dialog serves the user.
constexpr size_t kFillPieceEntries = 200;
constexpr std::chrono::milliseconds kFillPieceTime{25};

// Receives one line per entry left out because of its name.
using ListLogSink = std::function<void(const std::string& strLine)>;

class CFileListModel {
public:
    // The plain provider and the default locale.
    CFileListModel();
    // provider and locale must outlive the model.
    CFileListModel(const CFileInfoProvider& provider, const CListLocale& locale);
    ~CFileListModel();

    // Where lines about left-out entries go (standard error until set).
    void SetLogSink(ListLogSink sink) { m_log = std::move(sink); }

    // kViewDetails or kViewList; switching to the details view makes the detail texts of the
    // rows that have none yet.
    void SetView(int32_t nView);
    int32_t GetView() const { return m_nView; }
    // Adds the extensions of a '|'-separated text to the filter (see CFileFilter); the rows
    // stay as they are until the next fill.
    void SetFilter(const std::string& strText) { m_filter.AddExtensions(strText); }

    // Fills the rows from the folder unless it is the shown folder already (ignoring case) and
    // bForce is false. A folder that cannot be searched gives no rows.
    void ShowFolder(const std::string& strFolder, bool bForce);
    // Fills the rows again from the shown folder.
    void Refresh();
    const std::string& GetFolder() const { return m_strFolder; }
    // Whether the folder is the one shown (ignoring case): a fill that is not forced skips it.
    bool IsShown(const std::string& strFolder) const;

    // A fill in pieces: StartFolder empties the rows and starts reading the folder (unless it
    // is shown already and bForce is false: false then), FillMore reads the next piece and sorts
    // its rows in among those read before. The selection and focus stay with their rows. At the
    // end, when nothing is selected, the first row is, as after ShowFolder. Another StartFolder
    // drops a fill that has not ended.
    bool StartFolder(const std::string& strFolder, bool bForce);
    // Reads entries until the folder's end, or until nAtLeast entries were read and the time
    // has passed; true while entries may remain.
    bool FillMore(size_t nAtLeast, std::chrono::steady_clock::duration time);
    // FillMore with the dialogs' piece: kFillPieceEntries and kFillPieceTime unless set.
    bool FillPiece() { return FillMore(m_nPieceEntries, m_pieceTime); }
    void SetFillPiece(size_t nAtLeast, std::chrono::steady_clock::duration time) {
        m_nPieceEntries = nAtLeast;
        m_pieceTime = time;
    }
    bool IsFilling() const { return m_pReading != nullptr; }

    size_t GetRowCount() const { return m_rows.size(); }
    // The record of a row; nullptr for an index out of range.
    const CFileListItem* GetItem(size_t nRow) const;
    // The text of a cell: the display name in column 0, the detail texts in the others (empty
    // until the details view has shown the row); empty out of range.
    std::string GetCellText(size_t nRow, int32_t nColumn) const;
    // The row whose name is the longest in bytes (a double-byte character, drawn about twice
    // as wide as a single-byte one, counts twice): what the compact list's columns are made
    // wide enough for. 0 when there are no rows.
    size_t GetLongestNameRow() const;

    int32_t GetSortKey() const { return m_nSortKey; }
    // A click on a column's header: the column's order, or its reverse when it is the order
    // already; the rows are sorted by it. The order stays when another folder is shown.
    void ClickHeader(int32_t nColumn);

    CListSelection& GetSelection() { return m_selection; }
    const CListSelection& GetSelection() const { return m_selection; }
    // Whether a selected row is a file.
    bool HasSelectedFile() const;
    // The records of the selected rows that are files, in row order: what Add checks.
    std::vector<const CFileListItem*> GetSelectedFiles() const;
    // No row selected; the focus mark on row 0 (nothing on an empty list).
    void ClearSelection() { m_selection.Clear(); }
    // Whether the Enter key belongs to the list (to open the folder or clear the selection)
    // rather than to the dialog's default button: when no selected row is a file.
    bool IsEnterForList() const;

private:
    class CReading;

    void EndFill();
    // Adds the record of an entry that has been judged a keeper.
    void AddItem(const std::string& strFolder, const CFindData& entry);
    void MakeDetails(CFileListItem& item) const;
    // Takes the records added since the last call in as rows and puts every row in order; the
    // first nSorted rows are in order already.
    void OrderRows(size_t nSorted);

    const CFileInfoProvider& m_provider;
    const CListLocale& m_locale;
    ListLogSink m_log;
    std::string m_strFolder;
    CFileFilter m_filter;
    int32_t m_nView = kViewList;
    int32_t m_nSortKey = kSortByName;
    // The records in the order they were read; the rows are indices of them, in the list's order
    // (a fill sorts each piece in without moving the records read before).
    std::vector<CFileListItem> m_items;
    std::vector<CListSortText> m_sortTexts;
    std::vector<size_t> m_rows;
    std::unique_ptr<CReading> m_pReading;
    size_t m_nPieceEntries = kFillPieceEntries;
    std::chrono::steady_clock::duration m_pieceTime = kFillPieceTime;
    CListSelection m_selection;
};

}  // namespace tq
