// lvdevice — the viewer's drawing device: the driver table of this machine, the device made at
// start-up with the screen depth's settings, and the device made again after "De&vices...".
#pragma once

#include "platform/render/DriverTable.h"
#include "viewer/lvsupprt.h"

#include <string>
#include <vector>

namespace lumora::viewer {

// Back clipping plane of the viewport made again after a driver switch.
constexpr float kRecreatedBackClip = 5000;

// The drivers this machine's OpenGL offers besides "Default": the one the running context stands
// for, and Mesa's software rasteriser when the context is drawn by a graphics processor and the
// rasteriser is installed (it can only be chosen when a program starts).
std::vector<render::TFoundDriver> FindDrivers(const render::ContextInfo& running);

// Which drivers a device can be made with in this run: "Default" and the running one.
struct TDriverContext {
    std::optional<render::TDriverGuid> Running;
    bool Fails = false; // no device can be made at all (tests)
};

// Device creation from the table: the device of CurrentDriver, else (silently, CurrentDriver := 0)
// the default one; BadValue when that fails too. The device has width x height pixels.
scene::Result CreateDeviceFromTable(render::TDriverTable& table, const TDriverContext& context,
                                    scene::Root& root, int width, int height,
                                    scene::DevicePtr& device);

// The settings of the screen depth (bits per pixel) on a new device: sorted transparency; 1 bit:
// 4 shades; 16 bits: 32 shades, textures of 64 colours and 32 shades, no dithering; 24 or 32:
// 256 shades, textures of 64 colours and 256 shades, no dithering; any other: no dithering.
// Then Gouraud shading on top of the device's quality.
void ApplyDepthSettings(TViewerScene& s, int bitsPerPixel);

// The device made again with the table's CurrentDriver: dithering, quality, texture quality and
// shades kept, sorted transparency, a new viewport from CameraFrame with back plane 5000. Stops
// at the first failure (the old device is gone by then).
scene::Result RecreateDevice(TViewerScene& s, render::TDriverTable& table,
                             const TDriverContext& context);

// The grid row texts of table entry index: "#", name, "Yes"/"No", "RGB"/"Mono" (the last two
// blank for an entry without identifier).
std::vector<std::string> DriverRowTexts(const render::TDriverTable& table, int index);

} // namespace lumora::viewer
