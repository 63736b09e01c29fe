// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QMimeDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tallyvane {

// The desktop's shared table of icons: a stable integer per file type and per folder state.
class SystemIconList {
public:
    virtual ~SystemIconList() = default;
    // The index of the icon for files of this name's type, decided by the name alone. -1 when none.
    virtual int systemIndexOfFile(std::string_view fileName) = 0;
    virtual int systemIndexOfFolder(bool open) = 0; // -1 when none
    virtual QIcon icon(int systemIndex) = 0;        // null icon when none or out of range
};

// The table of a freedesktop desktop: icon names, indexed in the order they are first asked for.
// A file's icon is that of its MIME type as its name's glob patterns give it; the file is never
// opened, so a whole folder of one type costs a single lookup and a missing or unreadable file
// still gets its type's icon. Icons come from the current icon theme, falling back to Qt's
// standard icons and, with neither available, to icons drawn here.
class FreedesktopIconList final : public SystemIconList {
public:
    // What an entry shows when neither the theme nor Qt has an icon for it.
    enum class Shape { File, Folder, OpenFolder };

    int systemIndexOfFile(std::string_view fileName) override;
    int systemIndexOfFolder(bool open) override;
    QIcon icon(int systemIndex) override;

    // The theme icon name behind an index, empty when out of range.
    QString iconName(int systemIndex) const;

private:
    struct Entry {
        QStringList themeNames; // the first is the entry's own name, then fallbacks in order
        Shape shape;
    };
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
    };

    int indexOf(QStringList themeNames, Shape shape);
    int lookUpFileIcon(std::string_view fileName);

    QMimeDatabase m_mimeTypes;
    std::vector<Entry> m_entries;
    std::unordered_map<std::string, int, NameHash, std::equal_to<>> m_indexByFileName;
};

// Without a desktop (a plain X session, no XDG_CURRENT_DESKTOP) Qt knows no theme but hicolor,
// which holds application icons only. This makes an installed full theme (Adwaita and the like)
// stand in, before Qt's standard icons and drawn ones. The user-interface thread only.
void useInstalledThemeAsFallback();

// The process-wide table; the user-interface thread only.
SystemIconList& SystemIcons();

} // namespace tallyvane
