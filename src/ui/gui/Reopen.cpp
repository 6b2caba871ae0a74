#include "ui/gui/Reopen.h"

#include "platform/IniFile.h"

#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

#include <exception>

namespace lumora::ui {

TReopenMenu::TReopenMenu(QObject* owner) : QObject(owner) {}

void TReopenMenu::SetMenuItem(QMenu* menu) {
    if (m_Menu)
        disconnect(m_Menu, &QMenu::aboutToShow, this, nullptr);
    m_Menu = menu;
    if (m_Menu)
        connect(m_Menu, &QMenu::aboutToShow, this, [this] {
            if (FollowFile)
                Load();
        });
}

QString TReopenMenu::ItemText(const QString& path) const {
    return ShowPath ? path : QFileInfo(path).fileName();
}

QString TReopenMenu::Caption(int index) const {
    if (!m_Menu || index < 0 || index >= m_Menu->actions().size())
        return {};
    return m_Menu->actions().at(index)->text();
}

void TReopenMenu::Load() {
    if (!m_Menu)
        return;
    Clear();
    try {
        platform::IniFile ini(INIFile);
        const int count = ini.ReadInteger(INISection, "Count", 0);
        for (int i = 0; i < count; ++i)
            AddItem(
                QString::fromStdString(ini.ReadString(INISection, "Path" + std::to_string(i), "")),
                false);
    } catch (const std::exception&) {
        ReportFailure();
    }
}

void TReopenMenu::Save() {
    if (!m_Menu || INIFile.empty())
        return;
    try {
        platform::IniFile ini(INIFile);
        ini.EraseSection(INISection);
        ini.WriteInteger(INISection, "Count", Count());
        for (int i = 0; i < Count(); ++i)
            ini.WriteString(INISection, "Path" + std::to_string(i), m_Paths[i].toStdString());
        ini.UpdateFile();
    } catch (const std::exception&) {
        ReportFailure();
    }
}

void TReopenMenu::AddFile(const std::string& path) {
    if (!m_Menu)
        return;
    if (FollowFile)
        Load();
    AddItem(QString::fromStdString(path), true);
    while (Count() > Limit)
        Delete(Count() - 1);
}

void TReopenMenu::AddItem(const QString& path, bool atTop) {
    if (NoDuplicates)
        for (int i = 0; i < Count(); ++i)
            if (m_Paths[i].compare(path, Qt::CaseInsensitive) == 0) {
                Delete(i);
                break;
            }
    auto* action = new QAction(ItemText(path), m_Menu);
    connect(action, &QAction::triggered, this, [this, action] {
        if (m_Menu)
            Click(int(m_Menu->actions().indexOf(action)));
    });
    const int at = atTop ? 0 : Count();
    const auto actions = m_Menu->actions();
    m_Menu->insertAction(at < actions.size() ? actions.at(at) : nullptr, action);
    m_Paths.insert(at, path);
    if (NumberItems)
        Renumber();
}

void TReopenMenu::Renumber() {
    const auto actions = m_Menu->actions();
    for (int i = 0; i < Count() && i < actions.size(); ++i)
        actions.at(i)->setText("&" + QString::number(i + 1) + " " + ItemText(m_Paths[i]));
}

void TReopenMenu::Click(int index) {
    if (index < 0 || index >= Count())
        return;
    const std::string path = Path(index);
    if (OnMenuClick)
        OnMenuClick(path);
    if (UpdateOnClick)
        AddFile(path);
}

void TReopenMenu::Clear() {
    if (m_Menu)
        for (QAction* action : m_Menu->actions())
            delete action;
    m_Paths.clear();
}

void TReopenMenu::Delete(int index) {
    if (index < 0 || index >= Count())
        return;
    if (m_Menu && index < m_Menu->actions().size())
        delete m_Menu->actions().at(index);
    m_Paths.removeAt(index);
}

void TReopenMenu::ReportFailure() const {
    if (ShowErrors)
        QMessageBox::warning(
            nullptr, QString(),
            QString::fromStdString("Unable to access: " + INIFile + "\r\n" +
                                   "You may not permission to access the Windows folder"));
}

} // namespace lumora::ui
