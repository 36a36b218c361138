// The game's message boxes: readable on any desktop, never holding the
// program hostage.
#pragma once

#include <SDL.h>

#include <string>

namespace sw {

// Breaks text into lines of at most columns, at spaces where it can (and
// after a '/' in a long path), so a long message stays inside a 640 x 480
// screen. A wide (East Asian) character counts as two columns.
std::string WrapForBox(const std::string& text, int columns);

// Shows a modal box with an OK button and waits for it. While it is open,
// SIGTERM and SIGINT end the program as they would without a box, and the
// box's own process (SDL's X11 box runs in a child) goes with the program
// however it ends. The text is shown in a UTF-8 locale, so its Japanese
// reaches the screen as glyphs when the locale of the session is plain C.
void ShowMessageBox(Uint32 flags, const std::string& caption, const std::string& text,
                    SDL_Window* parent);

}  // namespace sw
