// lvstatus — the main window's status bar: " Position:" x y z, " Rotation:" yaw pitch roll,
// " Tris:", " TPS:" and " FPS:" in small sunken fields, each wide enough for its largest value.
#pragma once

#include "platform/render/RenderRates.h"
#include "viewer/Navigation.h"

#include <QStatusBar>

class QLabel;

namespace lumora::viewer {

class TViewerStatus : public QStatusBar {
public:
    explicit TViewerStatus(QWidget* parent = nullptr);

    // After each drawn frame: the model's angles and position (relative to nav.EditRef, else
    // the scene root) and, about once a second, the rates.
    void UpdateStatus(const TViewerScene& s, const TNavigation& nav);
    void SetTriangles(std::size_t total);
    render::TRenderRates Rates;

protected:
    void changeEvent(QEvent* event) override;

private:
    // Every field as wide as the widest text it can hold, in the current font.
    void SizeFields();
    QLabel* Field(const char* name, const char* text = "");
    QLabel *m_PosX, *m_PosY, *m_PosZ, *m_Yaw, *m_Pitch, *m_Roll, *m_Tris, *m_Tps, *m_Fps;
};

} // namespace lumora::viewer
