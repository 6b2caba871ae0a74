// Reopen — the recent-files menu: a short list of paths under a menu item, kept in a section of
// an INI file, newest first, each entry numbered for its Alt+digit accelerator.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <string>

#include <QMenu>

namespace lumora::ui {

class TReopenMenu : public QObject {
    Q_OBJECT
public:
    explicit TReopenMenu(QObject* owner = nullptr);

    // The settings file (a bare name lives in the settings folder) and its section.
    std::string INIFile;
    std::string INISection;
    // Called with the full path of the chosen entry.
    std::function<void(const std::string& path)> OnMenuClick;
    bool NumberItems = true;    // captions "&1 name", "&2 name", ...
    bool NoDuplicates = true;   // a listed path (in any letter case) moves instead of doubling
    bool ShowPath = false;      // captions show the full path instead of the file name
    bool ShowErrors = false;    // INI failures are shown in a warning box
    bool UpdateOnClick = false; // a chosen entry also moves to the top
    int Limit = 5;              // entries kept after an addition
    // The list follows its INI file, which other running programs may change too: it is read
    // again each time the menu opens and before each addition. Only for an owner that saves
    // after every addition (unsaved additions would be lost).
    bool FollowFile = false;

    // The parent menu whose actions are the entries; forgotten when the menu is destroyed.
    void SetMenuItem(QMenu* menu);
    QMenu* MenuItem() const { return m_Menu; }

    // Replaces the list by the section's "Count" and "Path<i>" keys (no limit applied). INI
    // failures keep what was read before them, silently unless ShowErrors.
    void Load();
    // Erases the section and writes "Count" and "Path0".. in menu order (not without a file name).
    void Save();
    // Puts path at the top and trims the list to Limit (with FollowFile, the list is read again
    // first).
    void AddFile(const std::string& path);
    void Clear();
    void Delete(int index);

    int Count() const { return int(m_Paths.size()); }
    std::string Path(int index) const { return m_Paths.at(index).toStdString(); }
    // The menu caption of entry index.
    QString Caption(int index) const;
    // What choosing entry index does (the menu action's trigger calls it).
    void Click(int index);

private:
    void AddItem(const QString& path, bool atTop);
    void Renumber();
    QString ItemText(const QString& path) const;
    void ReportFailure() const;

    QPointer<QMenu> m_Menu;
    QStringList m_Paths;
};

} // namespace lumora::ui
