// A GL 3.3 core context without a window or X server (EGL on Mesa's surfaceless platform), with
// an offscreen framebuffer of a given size that is read back as a picture.
#pragma once

#include "platform/render/GlRenderer.h"

#include <QImage>

#include <cstdint>
#include <memory>
#include <string>

namespace lumora::render {

class HeadlessContext {
public:
    // Makes the context current on this thread with a width x height colour and depth
    // framebuffer bound; with samples above 1 it is drawn multisampled (anti-aliased) where the
    // driver can, else with one sample (Samples() tells). Throws lumora::Error saying why when
    // there is no EGL display, no GL 3.3 core context or no complete framebuffer.
    HeadlessContext(int width, int height, int samples = 1);
    ~HeadlessContext();
    HeadlessContext(const HeadlessContext&) = delete;
    HeadlessContext& operator=(const HeadlessContext&) = delete;

    // True when an EGL display can be opened at all; otherwise reason says what is missing.
    static bool EglAvailable(std::string& reason);

    // Makes the context current and binds its framebuffer.
    void MakeCurrent();
    // Leaves the context current on no thread, so another thread can make it current: a
    // context may be made on one thread while another does other work.
    void Release();
    int Width() const { return m_Width; }
    int Height() const { return m_Height; }
    // Samples per pixel of the drawing: 1 when not multisampled.
    int Samples() const { return m_Samples; }
    // Waits until everything drawn so far is finished.
    void Finish() const;
    // Waits for drawing to finish and returns the framebuffer, top row first (RGB32).
    QImage ReadImage() const;
    // Waits for drawing to finish and copies the framebuffer into rgba: Width x Height pixels of
    // 4 bytes (R, G, B, A), the bottom row first, as OpenGL reads them (no conversion, no copy
    // of rows: the cheapest read-back, for video frames).
    void ReadPixels(std::uint8_t* rgba) const;
    // Vendor, renderer and version strings of the context.
    const ContextInfo& Info() const { return m_Info; }

private:
    struct Handles;
    std::unique_ptr<Handles> m_Handles;
    int m_Width, m_Height;
    int m_Samples = 1;
    ContextInfo m_Info;
};

} // namespace lumora::render
