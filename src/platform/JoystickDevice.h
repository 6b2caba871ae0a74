// The joystick as the viewer's steering reads it, whatever reads the device: three axes from
// -1000 to 1000 and four buttons, read once per drawn frame.
#pragma once

#include <optional>
#include <string>

namespace lumora::platform {

struct TJoystickReading {
    int X = 0, Y = 0, Z = 0; // -1000 (left, forward) to 1000 (right, back); 0 centred
    bool B1 = false, B2 = false, B3 = false, B4 = false;
};

class TJoystickDevice {
public:
    virtual ~TJoystickDevice() = default;
    // The state now (`ReadJoystick`). A device that was lost is opened again once, without a
    // message; nothing when that fails or the device cannot be read, with the reason in
    // LastError().
    virtual std::optional<TJoystickReading> ReadJoystick() = 0;
    virtual std::string LastError() const = 0;
};

} // namespace lumora::platform
