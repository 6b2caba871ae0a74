#include "viewer/gui/lvview.h"

#include "platform/render/GlOverlay.h"
#include "platform/render/GlRenderer.h"
#include "platform/render/MultisampleTarget.h"

#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWindow>

#include <cstring>

namespace lumora::viewer {

namespace {

std::string GlText(QOpenGLFunctions& gl, GLenum name) {
    const auto* text = reinterpret_cast<const char*>(gl.glGetString(name));
    return text ? text : "";
}

} // namespace

bool OpenGlAvailable(std::string& reason, render::ContextInfo* info) {
    const QString platform = QGuiApplication::platformName();
    if (platform == "offscreen" || platform == "minimal") {
        reason = "the \"" + platform.toStdString() + "\" display has no OpenGL";
        return false;
    }
    QOpenGLContext context;
    QOffscreenSurface surface;
    surface.create();
    if (!context.create() || !context.makeCurrent(&surface)) {
        reason = "no OpenGL context could be made";
        return false;
    }
    const auto version = context.format().version();
    if (info) {
        QOpenGLFunctions& gl = *context.functions();
        *info = {GlText(gl, GL_VENDOR), GlText(gl, GL_RENDERER), GlText(gl, GL_VERSION)};
    }
    context.doneCurrent();
    if (version < qMakePair(3, 3)) {
        reason = "OpenGL " + std::to_string(version.first) + "." + std::to_string(version.second) +
                 " is too old (3.3 core is needed)";
        return false;
    }
    return true;
}

// The scene drawn by the renderer into a window of its own (embedded in the panel), with a
// context of its own: the render step draws between MakeCurrent and Present.
class TGlView : public QWindow {
public:
    explicit TGlView(TViewerScene& scene) : m_Scene(scene) {
        setSurfaceType(QWindow::OpenGLSurface);
        // The keyboard stays with the panel, where the window's shortcuts reach it.
        setFlag(Qt::WindowDoesNotAcceptFocus);
        setFormat(QSurfaceFormat::defaultFormat());
        m_Context.setFormat(QSurfaceFormat::defaultFormat());
        m_Context.create();
    }
    ~TGlView() override {
        if (m_Scene.Device)
            m_Scene.Device->SetRenderHook({});
        if (!m_Renderer)
            return;
        std::unique_ptr<render::MultisampleTarget> sampled = std::move(m_Sampled);
        // The renderer frees its GL objects with its context current, on the window if it is
        // still there, else on an offscreen surface.
        QOffscreenSurface surface;
        surface.setFormat(m_Context.format());
        surface.create();
        if (m_Context.makeCurrent(this) || m_Context.makeCurrent(&surface)) {
            m_Overlay.reset();
            m_Renderer.reset();
            sampled.reset();
            m_Context.doneCurrent();
        } else {
            m_Overlay.release(); // no context left to free their objects with
            m_Renderer.release();
            sampled.release();
        }
    }
    // Makes the context current on the window (the renderer is built the first time); false
    // while the window is not on the screen.
    bool MakeCurrent() {
        if (!isExposed() || !m_Context.makeCurrent(this))
            return false;
        const QSize size = this->size() * devicePixelRatio();
        if (!m_Renderer) {
            m_Renderer = std::make_unique<render::GlRenderer>();
            m_Renderer->SetCoarseFar(true); // a big cave must stay easy to turn
            m_Size = QSize();
        }
        if (size != m_Size && size.width() > 0 && size.height() > 0)
            Resize(size.width(), size.height());
        if (m_Scene.Device && m_Scene.Device.get() != m_Installed) { // a device made again
            m_Renderer->Install(*m_Scene.Device);
            m_Installed = m_Scene.Device.get();
        }
        return true;
    }
    // Draws into a multisampled framebuffer until Resolve; false when the driver cannot.
    bool BeginSampled(int samples) {
        if (!m_Sampled)
            m_Sampled = std::make_unique<render::MultisampleTarget>();
        return m_Sampled->Bind(m_Size.width(), m_Size.height(), samples);
    }
    void Resolve() { m_Sampled->Resolve(m_Context.defaultFramebufferObject()); }
    void Present() { m_Context.swapBuffers(this); }
    // Blends the overlays' picture over what was drawn (the context is current).
    void DrawOverlay(const QImage& picture) {
        if (picture.isNull())
            return;
        if (!m_Overlay)
            m_Overlay = std::make_unique<render::GlOverlay>();
        m_Overlay->Draw(picture.constBits(), picture.width(), picture.height());
    }
    // Called when the window is shown or resized while a model is there.
    std::function<void()> Exposed;
    QSize PixelSize() const { return m_Size; }
    // The back buffer as OpenGL reads it, bottom row first (read before Present).
    void ReadPixels(analysis::TVideoFrame& frame) {
        frame.Width = m_Size.width();
        frame.Height = m_Size.height();
        frame.BottomUp = true;
        frame.Rgba.resize(std::size_t(frame.Width) * frame.Height * 4);
        QOpenGLFunctions* gl = m_Context.functions();
        gl->glPixelStorei(GL_PACK_ALIGNMENT, 4);
        gl->glReadPixels(0, 0, frame.Width, frame.Height, GL_RGBA, GL_UNSIGNED_BYTE,
                         frame.Rgba.data());
    }
    // The back buffer as a picture (read before Present).
    QImage ReadBack() {
        const QSize size = m_Size;
        QImage image(size, QImage::Format_RGBA8888);
        m_Context.functions()->glReadPixels(0, 0, size.width(), size.height(), GL_RGBA,
                                            GL_UNSIGNED_BYTE, image.bits());
        return image.mirrored().convertToFormat(QImage::Format_RGB32);
    }

protected:
    void exposeEvent(QExposeEvent*) override {
        if (isExposed() && m_Scene.RenderEnabled == false && MakeCurrent()) {
            // Before the first model the view shows the background.
            m_Context.functions()->glClearColor(0.25f, 0.25f, 0.25f, 1.0f);
            m_Context.functions()->glClear(GL_COLOR_BUFFER_BIT);
            Present();
        } else if (isExposed() && m_Scene.RenderEnabled && Exposed) {
            Exposed();
        }
    }

private:
    // A device and viewport of the window's size with the old device's settings.
    void Resize(int width, int height) {
        const scene::DevicePtr old = m_Scene.Device;
        const scene::ViewportPtr oldView = m_Scene.Viewport;
        scene::DevicePtr device;
        scene::ViewportPtr viewport;
        if (!old || !oldView ||
            !scene::Succeeded(m_Scene.RMRoot.CreateDevice(width, height, device)) ||
            !scene::Succeeded(m_Scene.RMRoot.CreateViewport(device, m_Scene.CameraFrame, 0, 0,
                                                            width, height, viewport)))
            return;
        device->SetQuality(old->GetQuality());
        device->SetDither(old->GetDither());
        device->SetShades(old->GetShades());
        device->SetTextureQuality(old->GetTextureQuality());
        device->SetRenderMode(old->GetRenderMode());
        device->SetCullState(old->GetCullState());
        device->AddTrianglesDrawn(old->GetTrianglesDrawn());
        viewport->SetBack(oldView->GetBack());
        viewport->SetFront(oldView->GetFront());
        viewport->SetField(oldView->GetField());
        old->SetRenderHook({});
        m_Scene.Device = device;
        m_Scene.Viewport = viewport;
        m_Renderer->Install(*device);
        m_Installed = device.get();
        m_Size = QSize(width, height);
    }

    TViewerScene& m_Scene;
    QOpenGLContext m_Context;
    std::unique_ptr<render::GlRenderer> m_Renderer;
    std::unique_ptr<render::GlOverlay> m_Overlay;
    std::unique_ptr<render::MultisampleTarget> m_Sampled;
    const scene::Device* m_Installed = nullptr;
    QSize m_Size;
};

TViewPanel::TViewPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("XScreen");
    setMouseTracking(false);
    setFocusPolicy(Qt::StrongFocus); // the arrow keys and the others act on the view
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(64, 64, 64));
    setPalette(p);
}

TViewPanel::~TViewPanel() = default;

void TViewPanel::ShowGlView(TViewerScene& scene) {
    m_GlView = new TGlView(scene);
    m_GlView->Exposed = [this] {
        if (OnExposed)
            OnExposed();
    };
    QWidget* container = QWidget::createWindowContainer(m_GlView, this);
    container->setObjectName("GlView");
    container->setFocusPolicy(Qt::NoFocus); // the panel keeps the keyboard
    m_GlView->installEventFilter(this);     // its mouse events go to the navigation as the panel's
    layout()->addWidget(container);
}

void TViewPanel::ShowNotice(const QString& text) {
    m_Notice = new QLabel(text, this);
    m_Notice->setObjectName("NoticeDis");
    m_Notice->setAlignment(Qt::AlignCenter);
    m_Notice->setWordWrap(true);
    m_Notice->setStyleSheet("color: white");
    m_Notice->setAttribute(Qt::WA_TransparentForMouseEvents);
    layout()->addWidget(m_Notice);
}

QString TViewPanel::NoticeText() const {
    return m_Notice ? m_Notice->text() : QString();
}

void TViewPanel::SetAntiAlias(bool on) {
    m_AntiAlias = on;
}

void TViewPanel::BeginFrame() {
    m_Sampling = m_AntiAlias && m_GlView->BeginSampled(4);
    if (m_AntiAlias && !m_Sampling && !m_AntiAliasFailed) {
        m_AntiAliasFailed = true;
        if (OnNoAntiAlias)
            OnNoAntiAlias();
    }
}

void TViewPanel::EndFrame() {
    if (m_Sampling)
        m_GlView->Resolve();
}

bool TViewPanel::DrawWith(const std::function<bool()>& draw) {
    if (!m_GlView)
        return draw();
    if (!m_GlView->MakeCurrent())
        return false;
    BeginFrame();
    const bool drawn = draw();
    EndFrame();
    if (drawn)
        BlendOverlay();
    m_GlView->Present();
    return drawn;
}

void TViewPanel::BlendOverlay() {
    if (OverlayPicture && m_GlView)
        m_GlView->DrawOverlay(OverlayPicture(m_GlView->devicePixelRatio()));
}

QImage TViewPanel::Grab(const std::function<bool()>& draw) {
    if (!m_GlView) {
        draw();
        return grab().toImage();
    }
    if (!m_GlView->MakeCurrent())
        return {};
    BeginFrame();
    const bool drawn = draw();
    EndFrame();
    if (drawn)
        BlendOverlay();
    QImage image = m_GlView->ReadBack();
    m_GlView->Present();
    return image;
}

QSize TViewPanel::PixelSize() const {
    if (m_GlView && m_GlView->PixelSize().isValid())
        return m_GlView->PixelSize();
    return size() * devicePixelRatio();
}

void TViewPanel::ReadFrame(analysis::TVideoFrame& frame) {
    if (m_GlView && m_GlView->PixelSize().isValid()) {
        m_GlView->ReadPixels(frame);
        return;
    }
    const QImage image = grab().toImage().convertToFormat(QImage::Format_RGBA8888);
    frame.Width = image.width();
    frame.Height = image.height();
    frame.BottomUp = false;
    frame.Rgba.resize(std::size_t(frame.Width) * frame.Height * 4);
    for (int y = 0; y < frame.Height; ++y)
        std::memcpy(frame.Rgba.data() + std::size_t(y) * frame.Width * 4, image.constScanLine(y),
                    std::size_t(frame.Width) * 4);
}

TMouseState MouseStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers keys, bool dbl) {
    TMouseState m;
    m.Left = buttons & Qt::LeftButton;
    m.Right = buttons & Qt::RightButton;
    m.Middle = buttons & Qt::MiddleButton;
    m.Shift = keys & Qt::ShiftModifier;
    m.Ctrl = keys & Qt::ControlModifier;
    m.Alt = keys & Qt::AltModifier;
    m.Double = dbl;
    return m;
}

bool TViewPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_GlView) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            mousePressEvent(static_cast<QMouseEvent*>(event));
            return true;
        case QEvent::MouseButtonRelease:
            mouseReleaseEvent(static_cast<QMouseEvent*>(event));
            return true;
        case QEvent::MouseButtonDblClick:
            mouseDoubleClickEvent(static_cast<QMouseEvent*>(event));
            return true;
        case QEvent::MouseMove:
            mouseMoveEvent(static_cast<QMouseEvent*>(event));
            return true;
        case QEvent::KeyPress:
            keyPressEvent(static_cast<QKeyEvent*>(event));
            return event->isAccepted();
        case QEvent::Wheel:
            wheelEvent(static_cast<QWheelEvent*>(event));
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TViewPanel::mousePressEvent(QMouseEvent* e) {
    setFocus(Qt::MouseFocusReason);
    m_PressAt = e->position().toPoint();
    m_ClickPossible = e->buttons() == Qt::LeftButton && e->modifiers() == Qt::NoModifier;
    if (OnMouseButton)
        OnMouseButton(e->position().toPoint().x(), e->position().toPoint().y(),
                      MouseStateOf(e->buttons(), e->modifiers(), false));
}

void TViewPanel::mouseReleaseEvent(QMouseEvent* e) {
    if (OnMouseButton)
        OnMouseButton(e->position().toPoint().x(), e->position().toPoint().y(),
                      MouseStateOf(e->buttons(), e->modifiers(), false));
    // A click picks: the pointer stayed within a few pixels of the press, nothing else held.
    const QPoint at = e->position().toPoint();
    if (m_ClickPossible && e->button() == Qt::LeftButton && e->buttons() == Qt::NoButton &&
        (at - m_PressAt).manhattanLength() <= 4 && OnClick)
        OnClick(at.x(), at.y());
    m_ClickPossible = false;
}

void TViewPanel::keyPressEvent(QKeyEvent* e) {
    if (OnKey && OnKey(e->key(), e->modifiers()))
        e->accept();
    else
        e->ignore();
}

void TViewPanel::wheelEvent(QWheelEvent* e) {
    // Fine-grained wheels send parts of a notch: they add up to whole notches.
    m_WheelRest += e->angleDelta().y();
    const int notches = m_WheelRest / 120;
    m_WheelRest -= notches * 120;
    if (notches != 0 && OnWheel)
        OnWheel(notches * 120);
    e->accept();
}

void TViewPanel::mouseDoubleClickEvent(QMouseEvent* e) {
    if (OnMouseButton)
        OnMouseButton(e->position().toPoint().x(), e->position().toPoint().y(),
                      MouseStateOf(e->buttons(), e->modifiers(), true));
}

void TViewPanel::mouseMoveEvent(QMouseEvent* e) {
    if ((e->position().toPoint() - m_PressAt).manhattanLength() > 4)
        m_ClickPossible = false; // a drag, not a click
    if (OnMouseMove)
        OnMouseMove(e->position().toPoint().x(), e->position().toPoint().y(),
                    MouseStateOf(e->buttons(), e->modifiers(), false));
}

} // namespace lumora::viewer
