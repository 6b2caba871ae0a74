// lvdevdlg — the "Devices" dialog `TDeviceDlg` (the driver grid, the chosen driver's identifier,
// the device made again) and the "Display Modes" dialog `TRenderDlg` (fill, shading, sides shown,
// dithering and texture filtering).
#pragma once

#include "viewer/ViewerCore.h"
#include "viewer/lvrender.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QTableWidget;

namespace lumora::viewer {

// A hint shown in the Devices dialog, and the warning after a driver fell back to "Default".
inline const char* const kDriverNote =
    "Only \"Default\" and the driver this program started with can draw in this run.";
std::string FallbackText(const std::string& driverName);

class TDeviceDlg : public QDialog {
    Q_OBJECT
public:
    // core must outlive the dialog.
    explicit TDeviceDlg(TViewerCore& core, QWidget* parent = nullptr);

    // Fills the grid from the driver table and selects row CurrentDriver + 1.
    void Open();
    // Shows the selected row's identifier under "Device ID".
    void SelectRow(int row);
    int SelectedRow() const;
    QString DeviceId() const;
    // "OK": CurrentDriver := selected row - 1, the device made again, the notice and a frame;
    // a driver that fell back to "Default" is named in a warning. False when no device was made.
    bool OkBtnClick();

signals:
    void RenderWithNotice();
    void DeviceChanged();
    void HelpTopic(int topic);

private:
    TViewerCore& m_Core;
    QTableWidget* m_Grid;
    QLineEdit* m_DeviceIdDis;
};

class TRenderDlg : public QDialog {
    Q_OBJECT
public:
    explicit TRenderDlg(TViewerCore& core, QWidget* parent = nullptr);

    // Fills the controls from the device.
    void Open();
    TDisplayModes Modes() const;
    void SetModes(const TDisplayModes& modes);
    // "OK": the modes on the device; the notice and a frame when the quality or texture quality
    // changed. True when the notice was asked for.
    bool OkBtnClick();

signals:
    void RenderWithNotice();
    void HelpTopic(int topic);

private:
    TViewerCore& m_Core;
    QButtonGroup *m_Fill, *m_Shading, *m_Show;
    QCheckBox *m_DitheringChk, *m_FilteringChk;
};

} // namespace lumora::viewer
