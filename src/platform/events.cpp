#include "platform/events.h"

#include "game/keycodes.h"

namespace sw {

namespace {

// The keyboard's keys for the game's codes; where two keys give one code,
// the first is the one the page's buttons stand for.
constexpr struct {
    SDL_Keycode key;
    int16_t code;
} kKeys[] = {
    {SDLK_BACKSPACE, kKeyBack}, {SDLK_RETURN, kKeyEnter}, {SDLK_KP_ENTER, kKeyEnter},
    {SDLK_ESCAPE, kKeyEscape},  {SDLK_LEFT, kKeyLeft},    {SDLK_UP, kKeyUp},
    {SDLK_RIGHT, kKeyRight},    {SDLK_DOWN, kKeyDown},    {SDLK_r, kKeyR},
};

int16_t KeyCode(SDL_Keycode key) {
    for (const auto& k : kKeys)
        if (k.key == key) return k.code;
    return 0;
}

// The pad's buttons, laid out as a player expects: A confirms, B goes back,
// Y restarts, Back (Select) quits.
int16_t PadCode(int button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return kKeyLeft;
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return kKeyUp;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return kKeyRight;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return kKeyDown;
        case SDL_CONTROLLER_BUTTON_A:
            return kKeyEnter;
        case SDL_CONTROLLER_BUTTON_B:
            return kKeyBack;
        case SDL_CONTROLLER_BUTTON_Y:
            return kKeyR;
        case SDL_CONTROLLER_BUTTON_BACK:
            return kKeyEscape;
        default:
            return 0;
    }
}

WindowAction Up(int16_t code) {
    return code ? WindowAction{WindowAction::kKeyUp, code} : WindowAction{};
}

}  // namespace

SDL_Keycode KeyFor(int16_t code) {
    for (const auto& k : kKeys)
        if (k.code == code) return k.key;
    return SDLK_UNKNOWN;
}

EventTranslator::~EventTranslator() {
    for (auto& [id, pad] : pads_) SDL_GameControllerClose(pad.controller);
}

WindowAction EventTranslator::Translate(const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT:
            return {WindowAction::kClose};
        case SDL_WINDOWEVENT:
            return Window(event.window);
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            return Key(event.key, event.type == SDL_KEYDOWN);
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            return PadButton(event.cbutton, event.type == SDL_CONTROLLERBUTTONDOWN);
        case SDL_CONTROLLERAXISMOTION:
            return PadStick(event.caxis);
        case SDL_CONTROLLERDEVICEADDED:
            PadAdded(event.cdevice.which);
            return {};
        case SDL_CONTROLLERDEVICEREMOVED:
            PadRemoved(event.cdevice.which);
            return {};
        default:
            return {};
    }
}

WindowAction EventTranslator::Key(const SDL_KeyboardEvent& key, bool down) {
    const int16_t code = KeyCode(key.keysym.sym);
    if (down) {
        if (key.repeat) return {};
        if (code == kKeyEnter && (key.keysym.mod & KMOD_ALT)) {
            // Alt+Enter belongs to the window: switch at once, and keep the
            // release of that Enter from the game, whichever key is let go
            // first.
            swallowEnterUp_ = true;
            return {WindowAction::kToggleFullscreen};
        }
        if (Held() || !code) return {};
        return {WindowAction::kKeyDown, code};
    }
    if (code == kKeyEnter && swallowEnterUp_) {
        swallowEnterUp_ = false;
        return {};
    }
    return Held() ? WindowAction{} : Up(code);
}

WindowAction EventTranslator::Window(const SDL_WindowEvent& window) {
    const bool wasHeld = Held();
    switch (window.event) {
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_HIDDEN:
            minimised_ = true;
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_SHOWN:
            minimised_ = false;
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            unfocused_ = true;
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            unfocused_ = false;
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            return {WindowAction::kRepaint};
        default:
            break;
    }
    if (Held() != wasHeld) return {Held() ? WindowAction::kHold : WindowAction::kResume};
    return {};
}

WindowAction EventTranslator::PadButton(const SDL_ControllerButtonEvent& button, bool down) {
    auto pad = pads_.find(button.which);
    const int16_t code = PadCode(button.button);
    if (pad == pads_.end() || !code) return {};
    const uint32_t bit = 1u << button.button;
    uint32_t& held = pad->second.buttons;
    if (down) {
        held |= bit;
        return {};
    }
    // Only a release of a button seen going down counts, and only once.
    if (!(held & bit)) return {};
    held &= ~bit;
    return Held() ? WindowAction{} : Up(code);
}

WindowAction EventTranslator::PadStick(const SDL_ControllerAxisEvent& axis) {
    auto pad = pads_.find(axis.which);
    if (pad == pads_.end()) return {};
    int index;
    int16_t minus, plus;
    if (axis.axis == SDL_CONTROLLER_AXIS_LEFTX) {
        index = 0, minus = kKeyLeft, plus = kKeyRight;
    } else if (axis.axis == SDL_CONTROLLER_AXIS_LEFTY) {
        index = 1, minus = kKeyUp, plus = kKeyDown;
    } else {
        return {};
    }
    int8_t& dir = pad->second.stick[index];
    const int v = axis.value;
    int16_t released = 0;
    if ((dir < 0 && v > -kStickRelease) || (dir > 0 && v < kStickRelease)) {
        released = dir < 0 ? minus : plus;
        dir = 0;
    }
    if (dir == 0) dir = v <= -kStickPress ? -1 : v >= kStickPress ? 1 : 0;
    return Held() ? WindowAction{} : Up(released);
}

void EventTranslator::PadAdded(int deviceIndex) {
    SDL_GameController* c = SDL_GameControllerOpen(deviceIndex);
    if (!c) return;  // a pad SDL cannot use is simply not there
    const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c));
    if (pads_.count(id)) {
        SDL_GameControllerClose(c);  // already open: this only added a reference
        return;
    }
    pads_[id].controller = c;
}

void EventTranslator::PadRemoved(SDL_JoystickID id) {
    auto pad = pads_.find(id);
    if (pad == pads_.end()) return;
    SDL_GameControllerClose(pad->second.controller);
    pads_.erase(pad);
}

}  // namespace sw
