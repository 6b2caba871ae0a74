// lvview — the view panel `XScreen`: the OpenGL view the scene is drawn into, or, where no
// OpenGL 3.3 context can be made, a notice saying so; mouse presses, releases and drags over it
// go to the navigation, and its keys, wheel and plain clicks to the view tools; the overlays are
// blended over each frame drawn.
#pragma once

#include "analysis/avilib.h"
#include "platform/render/GlRenderer.h"
#include "viewer/Navigation.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class QLabel;
class QImage;

namespace lumora::viewer {

// Whether this display gives an OpenGL 3.3 core context; reason says why not. info, when given,
// receives the context's vendor, renderer and version.
bool OpenGlAvailable(std::string& reason, render::ContextInfo* info = nullptr);

class TGlView;

class TViewPanel : public QWidget {
    Q_OBJECT
public:
    explicit TViewPanel(QWidget* parent = nullptr);
    ~TViewPanel() override;

    // The OpenGL view drawing scene; its device and viewport follow the view's size.
    void ShowGlView(TViewerScene& scene);
    // No OpenGL: the panel shows text instead of the scene.
    void ShowNotice(const QString& text);
    bool HasGlView() const { return m_GlView != nullptr; }
    QString NoticeText() const;

    // Draws one frame with draw (the render step) into the view when there is one; the result of
    // draw, or false when the view cannot draw yet.
    bool DrawWith(const std::function<bool()>& draw);
    // Draws one frame with draw and returns its picture (the notice panel's look without
    // OpenGL); an empty picture while the view cannot draw.
    QImage Grab(const std::function<bool()>& draw);

    // Anti-aliasing: the view drawn multisampled (4 samples) where the driver can. When it cannot,
    // the view draws without and OnNoAntiAlias is called once.
    void SetAntiAlias(bool on);
    bool AntiAlias() const { return m_AntiAlias; }
    std::function<void()> OnNoAntiAlias;
    // The size of the picture the view draws, in pixels.
    QSize PixelSize() const;
    // The picture drawn last, for a video frame: from inside DrawWith's draw the OpenGL view's
    // back buffer as OpenGL reads it (bottom row first); without OpenGL the panel's look.
    void ReadFrame(analysis::TVideoFrame& frame);

    std::function<void(int x, int y, const TMouseState&)> OnMouseButton;
    std::function<void(int x, int y, const TMouseState&)> OnMouseMove;
    // A key pressed over the view; true when it was used.
    std::function<bool(int key, Qt::KeyboardModifiers modifiers)> OnKey;
    // The wheel turned by delta (120 a notch, positive away from the user).
    std::function<void(int delta)> OnWheel;
    // The left button pressed and released at one place with no key held (pixels of the view,
    // device independent).
    std::function<void(int x, int y)> OnClick;
    // The view was shown or resized and needs a frame.
    std::function<void()> OnExposed;
    // The overlays to blend over a frame just drawn, painted for the screen's pixel ratio (a
    // null picture: none).
    std::function<QImage(double ratio)> OverlayPicture;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void BlendOverlay();
    QPoint m_PressAt;
    bool m_ClickPossible = false;
    int m_WheelRest = 0;
    void BeginFrame();
    void EndFrame();

    TGlView* m_GlView = nullptr;
    QLabel* m_Notice = nullptr;
    bool m_AntiAlias = false, m_Sampling = false, m_AntiAliasFailed = false;
};

// The buttons and keys of a mouse event as the navigation reads them.
TMouseState MouseStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers keys, bool dbl);

} // namespace lumora::viewer
