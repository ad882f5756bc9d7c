// The desktop's file information for the file list and the location box: icons from the
// toolkit's icon provider and the desktop's icon theme, type names from the MIME database.
// Display names are the names themselves, as the desktop shows them.
#pragma once

#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <vector>

#include "browse/FileInfoProvider.h"

namespace tq {

class CQtFileInfoProvider : public CFileInfoProvider {
public:
    CQtFileInfoProvider();

    std::string GetDisplayName(const std::string& strPath) const override;
    std::string GetTypeName(const std::string& strPath, bool bFolder) const override;
    int32_t GetIconIndex(const std::string& strPath, bool bFolder, uint32_t nForms) const override;
    // The icon of an index given out above; an empty icon for any other.
    QIcon GetIcon(int32_t nIndex) const;

private:
    struct CFileKind {
        std::string m_strTypeName;
        int32_t m_nIcon = 0;
    };
    // The type name and icon of a file, by its name.
    const CFileKind& KindOf(const std::string& strPath) const;
    // The index of the icon kept under the key, made by makeIcon the first time.
    template <typename MakeIcon>
    int32_t IconIndexOf(const QString& strKey, MakeIcon makeIcon) const;

    CPlainFileInfoProvider m_plain;
    QFileIconProvider m_icons;
    QMimeDatabase m_mimes;
    // One icon per kind of entry, not per entry: a folder of many files shares a handful.
    mutable std::vector<QIcon> m_iconList;
    mutable QHash<QString, int32_t> m_iconIndex;
    // The kinds by extension (lower case, from the first dot of the name).
    mutable QHash<QString, CFileKind> m_kinds;
    mutable std::string m_strLastPath;
    mutable CFileKind m_lastKind;
};

}  // namespace tq
