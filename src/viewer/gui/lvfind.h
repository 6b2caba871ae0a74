// lvfind — the "Find Station" box: a name with '*' and '?' wildcards lists the matching
// stations with their survey (the first 1,000, and how many more); choosing one shows it.
#pragma once

#include "viewer/StationTable.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace lumora::viewer {

class TFindDlg : public QDialog {
    Q_OBJECT
public:
    explicit TFindDlg(QWidget* parent = nullptr);

    // The stations searched (none: the list stays empty); the list is searched again.
    void SetStations(const TStationTable* table);
    // Lists the stations matching the edit's text now.
    void Search();
    QLineEdit* FindEdit() const { return m_Edit; }
    QTreeWidget* FindList() const { return m_List; }
    QLabel* CountDis() const { return m_Count; }

signals:
    // A station of the table was chosen (double click, Enter or "Show").
    void StationChosen(std::uint32_t station);

private:
    void Choose(QTreeWidgetItem* item);

    const TStationTable* m_Table = nullptr;
    QLineEdit* m_Edit;
    QTreeWidget* m_List;
    QLabel* m_Count;
};

} // namespace lumora::viewer
