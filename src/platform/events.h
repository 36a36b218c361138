// What an SDL event means to the game window: one of the eight key codes
// going up or down, or something for the window itself. Keyboard and
// gamepads end up in the same eight codes (game/keycodes.h).
#pragma once

#include <SDL.h>

#include <cstdint>
#include <map>

namespace sw {

// The keyboard key that gives one of the game's codes (SDLK_UNKNOWN for
// any other number).
SDL_Keycode KeyFor(int16_t code);

struct WindowAction {
    enum Kind {
        kNothing,
        kKeyDown,           // code went down (the game ignores it)
        kKeyUp,             // code was released: the game acts on this
        kToggleFullscreen,  // Alt+Enter
        kClose,             // the window's close command
        kRepaint,           // exposed or resized: show the page again
        kHold,              // minimised or lost the focus: stop the clock
        kResume,            // back again: go on where it stopped
    };
    Kind kind = kNothing;
    int16_t code = 0;
    bool operator==(const WindowAction&) const = default;
};

// Keeps the little state the translation needs: the Enter of Alt+Enter,
// whether the window is away, and which pad buttons and stick directions
// are held. Gamepads are opened as they are plugged in and closed as they
// go; each acts on release, once, like a key.
class EventTranslator {
  public:
    EventTranslator() = default;
    ~EventTranslator();
    EventTranslator(const EventTranslator&) = delete;
    EventTranslator& operator=(const EventTranslator&) = delete;

    WindowAction Translate(const SDL_Event& event);
    bool Held() const { return minimised_ || unfocused_; }
    int Pads() const { return static_cast<int>(pads_.size()); }

    // A stick counts as pressed past kStickPress and as let go once it is
    // back inside kStickRelease, so a stick resting near the edge does not
    // flicker between the two.
    static constexpr int kStickPress = 16000;
    static constexpr int kStickRelease = 8000;

  private:
    struct Pad {
        SDL_GameController* controller = nullptr;
        uint32_t buttons = 0;  // bit per SDL_GameControllerButton held
        int8_t stick[2] = {};  // left stick x and y: -1, 0 or +1
    };
    WindowAction Key(const SDL_KeyboardEvent& key, bool down);
    WindowAction Window(const SDL_WindowEvent& window);
    WindowAction PadButton(const SDL_ControllerButtonEvent& button, bool down);
    WindowAction PadStick(const SDL_ControllerAxisEvent& axis);
    void PadAdded(int deviceIndex);
    void PadRemoved(SDL_JoystickID id);

    bool swallowEnterUp_ = false;
    bool minimised_ = false, unfocused_ = false;
    std::map<SDL_JoystickID, Pad> pads_;
};

}  // namespace sw
