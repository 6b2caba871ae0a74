// SdlJoystick — the joystick through SDL's joystick API, polled once per frame: the first
// attached joystick that opens, its first three axes scaled to -1000..1000 and its first four
// buttons (missing ones read as centred and released).
#pragma once

#include "platform/JoystickDevice.h"
#include "platform/UiServices.h"

#include <memory>
#include <string>

struct _SDL_Joystick;

namespace lumora::platform {

class TSdlJoystick : public TJoystickDevice {
public:
    // `InitJoystick`: the first attached joystick that opens, or nothing when none does (no
    // message). When SDL's joystick service itself cannot start, ui shows why and nothing is
    // returned.
    static std::unique_ptr<TSdlJoystick> InitJoystick(UiServices& ui);
    ~TSdlJoystick() override;
    TSdlJoystick(const TSdlJoystick&) = delete;
    TSdlJoystick& operator=(const TSdlJoystick&) = delete;

    std::optional<TJoystickReading> ReadJoystick() override;
    std::string LastError() const override { return m_Error; }
    // The device's name as SDL gives it.
    std::string Name() const;

private:
    explicit TSdlJoystick(_SDL_Joystick* device);
    // Opens the lost device again (the first attached joystick of the same kind); false when
    // none opens.
    bool Reopen();

    _SDL_Joystick* m_Device;
    std::string m_Error;
};

// An axis value of SDL (-32768..32767) on the joystick scale -1000..1000.
int JoystickScale(int sdlAxis);

} // namespace lumora::platform
