// lvssetdlg — the "Scene Settings" dialog `TSceneSetDlg` (General and Fog pages, each control
// acting on the scene at once), the "Edit Light" dialog `TEditLightDlg` and the "Materials
// Settings" dialog `TMaterialDlg`.
#pragma once

#include "viewer/ViewerCore.h"
#include "viewer/lvmaterl.h"
#include "viewer/lvsset.h"

#include <QColor>
#include <QDialog>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QDoubleSpinBox;
class QSpinBox;

namespace lumora::viewer {

// Help topics of the manual's section on scene settings, lights, materials and shadows.
constexpr int kSceneSettingsTopic = 21, kEditLightTopic = 22, kMaterialsTopic = 23;

// The colour and file choosers of the dialogs; tests put their own answers in.
struct TChoosers {
    std::function<QColor(QWidget* parent)> Color;
    std::function<QString(QWidget* parent)> BitmapFile; // "Open Bitmap Image"
};
TChoosers DefaultChoosers();

class TSceneSetDlg : public QDialog {
    Q_OBJECT
public:
    explicit TSceneSetDlg(TViewerCore& core, QWidget* parent = nullptr);

    TChoosers Choosers = DefaultChoosers();
    void SetBackgroundColorBtnClick();
    void SetBackgroundImageBtnClick();
    void FogColorBtnClick();
    const TSceneSettings& Settings() const { return m_Settings; }

signals:
    // A control changed the scene (the window redraws on palettized screens).
    void SceneChanged();
    void HelpTopic(int topic);

private:
    QWidget* GeneralPage();
    QWidget* FogPage();
    void FogParamsChanged();

    TViewerCore& m_Core;
    TSceneSettings m_Settings;
    QDoubleSpinBox *m_FogStartSpin = nullptr, *m_FogEndSpin = nullptr, *m_FogDensitySpin = nullptr;
};

class TEditLightDlg : public QDialog {
    Q_OBJECT
public:
    explicit TEditLightDlg(QWidget* parent = nullptr);

    // The light the dialog edits; the radio group shows its type.
    void SetLight(scene::LightPtr light);
    // "Apply": the light's type := the selected item.
    void ApplyBtnClick();

signals:
    void SceneChanged();
    void HelpTopic(int topic);

private:
    scene::LightPtr m_Light;
    QButtonGroup* m_Type;
};

class TMaterialDlg : public QDialog {
    Q_OBJECT
public:
    explicit TMaterialDlg(TViewerCore& core, QWidget* parent = nullptr);

    // The values of the controls.
    TMaterialSettings Settings() const;
    // "Set Materials" on SelectedBuilder; true when the material was set.
    bool SetMaterialsBtnClick();

signals:
    void RenderWithNotice();
    void HelpTopic(int topic);

private:
    TViewerCore& m_Core;
    QDoubleSpinBox *m_Emissive[3], *m_Specular[3], *m_PowerSpin;
    QSpinBox* m_TransparencySpin;
};

} // namespace lumora::viewer
