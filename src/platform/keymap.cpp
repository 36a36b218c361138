#include "platform/keymap.h"

#include "game/keycodes.h"

namespace sw {

int16_t VirtualKey(SDL_Keycode key) {
    switch (key) {
        case SDLK_BACKSPACE:
            return kKeyBack;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return kKeyEnter;
        case SDLK_ESCAPE:
            return kKeyEscape;
        case SDLK_LEFT:
            return kKeyLeft;
        case SDLK_UP:
            return kKeyUp;
        case SDLK_RIGHT:
            return kKeyRight;
        case SDLK_DOWN:
            return kKeyDown;
        case SDLK_r:
            return kKeyR;
        default:
            return 0;
    }
}

bool IsFullscreenToggle(const SDL_KeyboardEvent& key) {
    return (key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER) &&
           (key.keysym.mod & KMOD_ALT) != 0;
}

}  // namespace sw
