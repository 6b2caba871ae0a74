#include "viewer/lvdevice.h"

#include <cstring>
#include <filesystem>

namespace lumora::viewer {

using namespace scene;

namespace {

// Where Debian's Mesa keeps its software rasteriser.
bool SoftwareRasteriserInstalled() {
    std::error_code error;
    for (const char* path : {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
                             "/usr/lib/aarch64-linux-gnu/dri/swrast_dri.so",
                             "/usr/lib/dri/swrast_dri.so", "/usr/lib64/dri/swrast_dri.so"})
        if (std::filesystem::exists(path, error))
            return true;
    return false;
}

} // namespace

std::vector<render::TFoundDriver> FindDrivers(const render::ContextInfo& running) {
    std::vector<render::TFoundDriver> found{render::DescribeContext(running)};
    if (found.front().Entry.Hardware && SoftwareRasteriserInstalled())
        found.push_back(render::DescribeContext({"Mesa", "llvmpipe", running.Version}));
    return found;
}

Result CreateDeviceFromTable(render::TDriverTable& table, const TDriverContext& context, Root& root,
                             int width, int height, DevicePtr& device) {
    if (context.Fails)
        return Result::BadValue;
    const int current = table.CurrentDriver;
    const bool known = current >= 0 && current < int(table.Entries.size());
    const auto& id = known ? table.Entries[current].Identifier : std::nullopt;
    // A driver other than the running one cannot draw in this process.
    const bool usable = !id || (context.Running && std::memcmp(&*id, &*context.Running,
                                                               sizeof(render::TDriverGuid)) == 0);
    if (!known || !usable)
        table.CurrentDriver = 0;
    return root.CreateDevice(width, height, device);
}

void ApplyDepthSettings(TViewerScene& s, int bitsPerPixel) {
    Device& device = *s.Device;
    device.SetRenderMode(3);
    switch (bitsPerPixel) {
    case 1:
        device.SetShades(4);
        s.RMRoot.SetDefaultTextureShades(4);
        break;
    case 16:
        device.SetShades(32);
        s.RMRoot.SetDefaultTextureColors(64);
        s.RMRoot.SetDefaultTextureShades(32);
        device.SetDither(false);
        break;
    case 24:
    case 32:
        device.SetShades(256);
        s.RMRoot.SetDefaultTextureColors(64);
        s.RMRoot.SetDefaultTextureShades(256);
        device.SetDither(false);
        break;
    default:
        device.SetDither(false);
    }
    device.SetQuality(device.GetQuality() | kShadeGouraud);
}

Result RecreateDevice(TViewerScene& s, render::TDriverTable& table, const TDriverContext& context) {
    if (!s.Device || !s.CameraFrame)
        return Result::BadObject;
    const DevicePtr old = s.Device;
    const int width = old->GetWidth(), height = old->GetHeight();
    s.Viewport.reset();
    s.Device.reset();
    Result result = CreateDeviceFromTable(table, context, s.RMRoot, width, height, s.Device);
    if (!Succeeded(result))
        return result;
    s.Device->SetRenderMode(3);
    s.Device->SetDither(old->GetDither());
    s.Device->SetQuality(old->GetQuality());
    s.Device->SetTextureQuality(old->GetTextureQuality());
    s.Device->SetShades(old->GetShades());
    s.Device->AddTrianglesDrawn(old->GetTrianglesDrawn()); // the rates go on counting
    result = s.RMRoot.CreateViewport(s.Device, s.CameraFrame, 0, 0, width, height, s.Viewport);
    if (Succeeded(result))
        s.Viewport->SetBack(kRecreatedBackClip);
    return result;
}

std::vector<std::string> DriverRowTexts(const render::TDriverTable& table, int index) {
    if (index < 0 || index >= int(table.Entries.size()))
        return {"", "", "", ""};
    const render::TDriverEntry& e = table.Entries[index];
    const bool id = e.Identifier.has_value();
    return {std::to_string(index + 1), e.Name, id ? (e.Hardware ? "Yes" : "No") : "",
            id ? (e.RGB ? "RGB" : "Mono") : ""};
}

} // namespace lumora::viewer
