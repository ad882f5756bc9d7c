#include "dialogs/QtFileInfoProvider.h"

#include <QMimeType>

#include "dialogs/toolkit/QtText.h"
#include "platform/Cp932.h"
#include "platform/Path.h"

namespace tq {

CQtFileInfoProvider::CQtFileInfoProvider() {
    // Icons of every kind of file come from the MIME database, not from reading the files.
    m_icons.setOptions(QFileIconProvider::DontUseCustomDirectoryIcons);
}

std::string CQtFileInfoProvider::GetDisplayName(const std::string& strPath) const {
    // The location box's folder paths are lower-cased; the name shown is the one on disk.
    std::string strLinux;
    bool bFolder = !strPath.empty() && strPath.back() == '\\';
    if (bFolder && m_plain.GetIconIndex(strPath, true, 0) != kIconDrive &&
        ResolvePath(strPath, strLinux) == 0) {
        while (strLinux.size() > 1 && strLinux.back() == '/') {
            strLinux.pop_back();
        }
        std::string strName;
        if (Utf8ToCp932(strLinux.substr(strLinux.rfind('/') + 1), strName) == 0 &&
            !strName.empty()) {
            return strName;
        }
    }
    return m_plain.GetDisplayName(strPath);
}

const CQtFileInfoProvider::CFileKind& CQtFileInfoProvider::KindOf(
    const std::string& strPath) const {
    // A row asks for its type name and then its icon.
    if (strPath == m_strLastPath) {
        return m_lastKind;
    }
    m_strLastPath = strPath;
    QString strName = QStringFromCp932(strPath);
    strName = strName.mid(strName.lastIndexOf(QLatin1Char('\\')) + 1);
    // Files of one extension are of one kind: a folder of many files asks the MIME database
    // once per extension. Names without one are asked each time (some have a kind by name).
    qsizetype nDot = strName.indexOf(QLatin1Char('.'));
    QString strKey = nDot > 0 ? strName.mid(nDot).toLower() : QString();
    if (!strKey.isEmpty()) {
        auto it = m_kinds.constFind(strKey);
        if (it != m_kinds.constEnd()) {
            m_lastKind = it.value();
            return m_lastKind;
        }
    }
    // By the name only: reading every file's first bytes would make a large folder slow.
    QMimeType mime = m_mimes.mimeTypeForFile(strName, QMimeDatabase::MatchExtension);
    CFileKind kind;
    if (mime.isDefault() || !Cp932FromQString(mime.comment(), kind.m_strTypeName) ||
        kind.m_strTypeName.empty()) {
        kind.m_strTypeName = m_plain.GetTypeName(strPath, false);
    }
    kind.m_nIcon = IconIndexOf(mime.name(), [&] {
        return QIcon::fromTheme(
            mime.iconName(),
            QIcon::fromTheme(mime.genericIconName(), m_icons.icon(QFileIconProvider::File)));
    });
    m_lastKind = kind;
    if (!strKey.isEmpty()) {
        m_kinds.insert(strKey, kind);
    }
    return m_lastKind;
}

std::string CQtFileInfoProvider::GetTypeName(const std::string& strPath, bool bFolder) const {
    return bFolder ? m_plain.GetTypeName(strPath, bFolder) : KindOf(strPath).m_strTypeName;
}

template <typename MakeIcon>
int32_t CQtFileInfoProvider::IconIndexOf(const QString& strKey, MakeIcon makeIcon) const {
    auto it = m_iconIndex.constFind(strKey);
    if (it != m_iconIndex.constEnd()) {
        return it.value();
    }
    auto nIndex = static_cast<int32_t>(m_iconList.size());
    m_iconList.push_back(makeIcon());
    m_iconIndex.insert(strKey, nIndex);
    return nIndex;
}

int32_t CQtFileInfoProvider::GetIconIndex(const std::string& strPath, bool bFolder,
                                          uint32_t nForms) const {
    if (!bFolder) {
        return KindOf(strPath).m_nIcon;
    }
    if (m_plain.GetIconIndex(strPath, true, 0) == kIconDrive) {
        return IconIndexOf(QStringLiteral(":drive"),
                           [&] { return m_icons.icon(QFileIconProvider::Drive); });
    }
    if (nForms & kIconFormOpen) {
        return IconIndexOf(QStringLiteral(":folder-open"), [&] {
            return QIcon::fromTheme(QStringLiteral("folder-open"),
                                    m_icons.icon(QFileIconProvider::Folder));
        });
    }
    return IconIndexOf(QStringLiteral(":folder"),
                       [&] { return m_icons.icon(QFileIconProvider::Folder); });
}

QIcon CQtFileInfoProvider::GetIcon(int32_t nIndex) const {
    if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_iconList.size()) {
        return QIcon();
    }
    return m_iconList[static_cast<size_t>(nIndex)];
}

}  // namespace tq
