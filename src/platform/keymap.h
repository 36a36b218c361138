// SDL key events to the eight key codes the game knows.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace sw {

// The game's code for a key (game/keycodes.h), or 0 for a key the
// game does not use. Modifiers play no part.
int16_t VirtualKey(SDL_Keycode key);

// Alt+Enter belongs to the window, not to the game.
bool IsFullscreenToggle(const SDL_KeyboardEvent& key);

}  // namespace sw
