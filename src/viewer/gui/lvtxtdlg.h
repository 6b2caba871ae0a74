// lvtxtdlg — the texture dialog `TTextureDlg` "Texture/Wrap Settings": a picture wrapped over the
// selected mesh or pinned to its faces' corners, the preset scales, and the texture taken off.
// Its values live in the viewer's TTextures, where the rock preset finds them too.
#pragma once

#include "viewer/ViewerCore.h"
#include "viewer/gui/lvssetdlg.h"

#include <QDialog>

#include <functional>
#include <vector>

class QButtonGroup;
class QLabel;
class QListWidget;

namespace lumora::viewer {

// Help topic of the manual's section on textures and normals.
constexpr int kTextureTopic = 9;

class TTextureDlg : public QDialog {
    Q_OBJECT
public:
    // core must outlive the dialog. The dialog is made once and keeps its values.
    explicit TTextureDlg(TViewerCore& core, QWidget* parent = nullptr);

    TChoosers Choosers = DefaultChoosers();

    // SelectedBuilder := mesh, then the dialog modally.
    void ShowTextureDialog(scene::MeshBuilderPtr mesh);
    // The controls show the values kept in TTextures (which the rock preset may have changed).
    void LoadValues();

    // "Load Texture File": true when a picture became the current texture; a failure names the
    // file and the reason in a warning.
    bool LoadTextureBtnClick();
    bool ApplyToMeshBtnClick();
    bool ApplyRelativeBtnClick();
    void RemoveTextureBtnClick();
    // "Preset Scales": the texture origin and scale for the selected mesh's box.
    void PresetBtnClick(TPresetScale preset);
    // "Apply To Faces": the list box shows the faces and their corners.
    bool ApplyToFacesBtnClick();

signals:
    // A command changed the scene (the window redraws on palettized screens).
    void SceneChanged();
    void HelpTopic(int topic);

private:
    QWidget* TexturePage();
    QWidget* WrapPage();
    QWidget* FacesPage();
    // A spin that writes its own field of the dialog's values when edited, and shows it again
    // on LoadValues. A preset's value is kept exactly, whatever the spin's decimals show.
    QWidget* RealSpin(const char* name, double low, double high, double step, int decimals,
                      double TTextureDialogValues::*field);
    QWidget* VectorSpin(const char* name, double low, double high, double step,
                        scene::Vector TTextureDialogValues::*vector, float scene::Vector::*part);
    QWidget* IntSpin(const char* name, int low, int high, int TTextureDialogValues::*field);

    TViewerCore& m_Core;
    std::vector<std::function<void()>> m_Loaders; // each control from its value
    QButtonGroup* m_WrapType = nullptr;
    QLabel* m_FileDis = nullptr;
    QListWidget* m_FaceList = nullptr;
};

} // namespace lumora::viewer
