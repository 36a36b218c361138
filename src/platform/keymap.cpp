#include "platform/keymap.h"

namespace sw {

int16_t VirtualKey(SDL_Keycode key) {
    switch (key) {
        case SDLK_BACKSPACE:
            return 8;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return 13;
        case SDLK_ESCAPE:
            return 27;
        case SDLK_LEFT:
            return 37;
        case SDLK_UP:
            return 38;
        case SDLK_RIGHT:
            return 39;
        case SDLK_DOWN:
            return 40;
        case SDLK_r:
            return 82;
        default:
            return 0;
    }
}

bool IsFullscreenToggle(const SDL_KeyboardEvent& key) {
    return (key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER) &&
           (key.keysym.mod & KMOD_ALT) != 0;
}

}  // namespace sw
