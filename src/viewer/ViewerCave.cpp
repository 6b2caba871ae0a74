#include "viewer/ViewerCave.h"

namespace lumora::viewer {

void TViewerCave::ClearModel() {
    viewer::ClearModel(m_Scene);
}

void TViewerCave::ResetScale() {
    viewer::ResetScale(m_Scene, m_Navigation, *m_Scene.CenterFrame, m_Ui);
}

} // namespace lumora::viewer
