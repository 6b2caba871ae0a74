#include "platform/gui/SdlJoystick.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lumora::platform {

int JoystickScale(int sdlAxis) {
    return std::clamp(int(std::lround(sdlAxis * 1000.0 / 32767.0)), -1000, 1000);
}

std::unique_ptr<TSdlJoystick> TSdlJoystick::InitJoystick(UiServices& ui) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1"); // the window's own handlers stay
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
        ui.Warning(std::string("The joystick service could not start: ") + SDL_GetError());
        return nullptr;
    }
    SDL_JoystickEventState(SDL_IGNORE); // polled: no events pile up unread
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_Joystick* device = SDL_JoystickOpen(i))
            return std::unique_ptr<TSdlJoystick>(new TSdlJoystick(device));
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    return nullptr;
}

TSdlJoystick::TSdlJoystick(SDL_Joystick* device) : m_Device(device) {}

TSdlJoystick::~TSdlJoystick() {
    if (m_Device)
        SDL_JoystickClose(m_Device);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

std::string TSdlJoystick::Name() const {
    const char* name = m_Device ? SDL_JoystickName(m_Device) : nullptr;
    return name ? name : "";
}

bool TSdlJoystick::Reopen() {
    const SDL_JoystickGUID kind = SDL_JoystickGetGUID(m_Device);
    SDL_JoystickClose(m_Device);
    m_Device = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        const SDL_JoystickGUID other = SDL_JoystickGetDeviceGUID(i);
        if (std::memcmp(&kind, &other, sizeof kind) != 0)
            continue;
        if ((m_Device = SDL_JoystickOpen(i)) != nullptr) {
            SDL_JoystickUpdate();
            return true;
        }
    }
    return false;
}

std::optional<TJoystickReading> TSdlJoystick::ReadJoystick() {
    if (!m_Device) {
        m_Error = "The joystick was lost and could not be opened again";
        return std::nullopt;
    }
    SDL_JoystickUpdate();
    if (!SDL_JoystickGetAttached(m_Device) && !Reopen()) {
        const char* why = SDL_GetError();
        m_Error = std::string("The joystick was lost and could not be opened again") +
                  (why && *why ? std::string(": ") + why : std::string());
        return std::nullopt;
    }
    TJoystickReading r;
    const int axes = SDL_JoystickNumAxes(m_Device);
    int* const axis[] = {&r.X, &r.Y, &r.Z};
    for (int i = 0; i < 3 && i < axes; ++i)
        *axis[i] = JoystickScale(SDL_JoystickGetAxis(m_Device, i));
    const int buttons = SDL_JoystickNumButtons(m_Device);
    bool* const button[] = {&r.B1, &r.B2, &r.B3, &r.B4};
    for (int i = 0; i < 4 && i < buttons; ++i)
        *button[i] = SDL_JoystickGetButton(m_Device, i) != 0;
    return r;
}

} // namespace lumora::platform
