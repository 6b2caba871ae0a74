// The viewer as the cave mesh builder sees it: the builder's model frame, clearing and scaling
// steps mapped onto the viewer's own scene objects and navigation. The window derives from it to
// add its caption, recent files, hierarchy and first picture; the command line uses it as it is.
#pragma once

#include "passage/lvcave.h"
#include "viewer/Navigation.h"

namespace lumora::viewer {

class TViewerCave : public passage::TCaveViewer {
public:
    // scene, navigation and ui must outlive this object; scene's frames must exist (CreateScene).
    TViewerCave(TViewerScene& scene, TNavigation& navigation, UiServices& ui)
        : m_Scene(scene), m_Navigation(navigation), m_Ui(ui) {}

    scene::Root& Root() override { return m_Scene.RMRoot; }
    scene::Frame& CenterFrame() override { return *m_Scene.CenterFrame; }
    void SetWrapRelative(bool relative) override { m_Scene.WrapRelative = relative; }
    // The viewer's ClearModel: frames back to their places, the model frame emptied and the
    // bounding box unchecked.
    void ClearModel() override;
    // The viewer's ResetScale of the model frame (a failing device update is shown as a warning).
    void ResetScale() override;
    void SetRenderEnabled() override { m_Scene.RenderEnabled = true; }

protected:
    TViewerScene& m_Scene;
    TNavigation& m_Navigation;
    UiServices& m_Ui;
};

} // namespace lumora::viewer
