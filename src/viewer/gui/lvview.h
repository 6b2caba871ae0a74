// lvview — the view panel `XScreen`: the OpenGL view the scene is drawn into, or, where no
// OpenGL 3.3 context can be made, a notice saying so; mouse presses, releases and drags over it
// go to the navigation.
#pragma once

#include "analysis/avilib.h"
#include "viewer/Navigation.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class QLabel;
class QImage;

namespace lumora::viewer {

// Whether this display gives an OpenGL 3.3 core context; reason says why not.
bool OpenGlAvailable(std::string& reason);

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

    // The size of the picture the view draws, in pixels.
    QSize PixelSize() const;
    // The picture drawn last, for a video frame: from inside DrawWith's draw the OpenGL view's
    // back buffer as OpenGL reads it (bottom row first); without OpenGL the panel's look.
    void ReadFrame(analysis::TVideoFrame& frame);

    std::function<void(int x, int y, const TMouseState&)> OnMouseButton;
    std::function<void(int x, int y, const TMouseState&)> OnMouseMove;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    TGlView* m_GlView = nullptr;
    QLabel* m_Notice = nullptr;
};

// The buttons and keys of a mouse event as the navigation reads them.
TMouseState MouseStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers keys, bool dbl);

} // namespace lumora::viewer
