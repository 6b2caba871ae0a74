// lvcmds — the main window's command table: every menu and item with its caption (the '&' marks
// the accelerator), its control name and whether it works yet.
#pragma once

#include <QString>

#include <map>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;

namespace lumora::viewer {

struct TCommand {
    const char* Menu;    // caption of the menu ("&File")
    const char* Caption; // caption of the item ("&Process Cave File...")
    const char* Name;    // object name of the action ("ProcessMnu")
    bool Enabled;        // false: its dialog belongs to work not done yet, or it waits for a model
    bool Checkable;
};

// The items in menu order.
const std::vector<TCommand>& CommandTable();

// The menus and actions built from the table on bar: actions by name; "ReopenMnu" is a submenu
// (its action is the submenu's menuAction) and is returned in reopenMenu.
std::map<QString, QAction*> BuildMenus(QMenuBar& bar, QMenu*& reopenMenu);

} // namespace lumora::viewer
