// lvoutpnl — the hierarchy panel `OutPanel`: the "X" and "?" buttons, the tree `DXOutline` of the
// scene and a page of buttons for the selected item's kind.
#pragma once

#include "viewer/lvoutlin.h"

#include <QWidget>

class QStackedWidget;
class QTreeWidget;

namespace lumora::viewer {

// Width of the panel when shown, and the widest the splitter leaves it.
constexpr int kOutPanelWidth = 185;

class TOutlinePanel : public QWidget {
    Q_OBJECT
public:
    // hierarchy must outlive the panel.
    explicit TOutlinePanel(THierarchy& hierarchy, QWidget* parent = nullptr);

    // Rebuilds the tree from the hierarchy's items, expanded, with item 1 selected.
    void Rebuild();
    QTreeWidget* Outline() const { return m_Outline; }
    // The page shown: "FramePage", "BuilderPage", "ProgPage", "LightPage" or "UnknownPage".
    QString PageName() const;
    // Selects item index (1-based) in the tree and shows its page.
    void SelectItem(int index);

signals:
    // A page button, the "X" or the "?" button: its object name.
    void ButtonClicked(const QString& name);

private:
    QWidget* Page(const char* name, const char* heading, const std::vector<const char*>& buttons);
    void ShowPage();

    THierarchy& m_Hierarchy;
    QTreeWidget* m_Outline;
    QStackedWidget* m_Pages;
};

} // namespace lumora::viewer
