#include "viewer/gui/lvcmds.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace lumora::viewer {

const std::vector<TCommand>& CommandTable() {
    static const std::vector<TCommand> table = {
        {"&File", "&Process Cave File...", "ProcessMnu", true, false},
        {"&File", "Reopen", "ReopenMnu", true, false},
        {"&File", "&Open Mesh...", "OpenMeshMnu", true, false},
        {"&File", "O&pen Progressive Mesh...", "OpenProgMnu", true, false},
        {"&File", "&Save As X File...", "SaveXMnu", true, false},
        {"&File", "Save As glTF...", "SaveGltfMnu", true, false},
        {"&File", "Save Screen As &Bitmap...", "SaveBitmapMnu", true, false},
        {"&File", "&Export 3D File Formats...", "ExportMnu", true, false},
        {"&File", "&Test Objects..", "TestObjectsMnu", true, false},
        {"&File", "Exit", "ExitMnu", true, false},
        {"&Cave", "&Special Effects...", "EffectsMnu", true, false},
        {"&Cave", "S&how Shots", "ShowShotsMnu", true, true},
        {"&Cave", "Show S&tations", "ShowStationsMnu", true, true},
        {"&Cave", "&Bounding Box", "BoundingBoxMnu", true, true},
        {"&Cave", "3D Rose Diagram", "RoseMnu", false, false},
        {"&Edit", "&Copy", "CopyMnu", true, false},
        {"&Edit", "&Arm AVI Capture..", "ArmCaptureMnu", true, false},
        {"&View", "&Hierarchy ", "HierarchyMnu", true, false},
        {"&View", "&Transforms...", "TransformsMnu", true, false},
        {"&View", "&Anti-aliasing", "AntiAliasMnu", true, true},
        {"&Settings", "&Scene Settings...", "SceneSettingsMnu", true, false},
        {"&Settings", "S&hadow", "ShadowMnu", true, false},
        {"&Settings", "Enable &Joystick", "JoystickMnu", false, true},
        {"&Settings", "&Display Modes..", "DisplayModesMnu", true, false},
        {"&Settings", "De&vices...", "DevicesMnu", true, false},
        {"&Settings", "&Capture Options...", "CaptureOptionsMnu", true, false},
        {"&Help", "&Index", "IndexMnu", true, false},
        {"&Help", "Key Word Search", "KeywordMnu", true, false},
        {"&Help", "&About...", "AboutMnu", true, false},
    };
    return table;
}

std::map<QString, QAction*> BuildMenus(QMenuBar& bar, QMenu*& reopenMenu) {
    std::map<QString, QAction*> actions;
    QMenu* menu = nullptr;
    QString menuCaption;
    for (const TCommand& c : CommandTable()) {
        if (!menu || menuCaption != c.Menu) {
            menuCaption = c.Menu;
            menu = bar.addMenu(menuCaption);
        }
        QAction* action = nullptr;
        if (QString(c.Name) == "ReopenMnu") {
            reopenMenu = menu->addMenu(c.Caption);
            action = reopenMenu->menuAction();
        } else {
            action = menu->addAction(c.Caption);
        }
        action->setObjectName(c.Name);
        action->setEnabled(c.Enabled);
        action->setCheckable(c.Checkable);
        actions[c.Name] = action;
    }
    return actions;
}

} // namespace lumora::viewer
