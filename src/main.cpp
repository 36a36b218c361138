// Seven Well: builds the SDL platform and hands its layers to the game
// window.
#include <SDL.h>

#include <cstdio>

#include "game/form1.h"
#include "platform/sdl_platform.h"

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;  // the game takes no command line
    if (SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "Seven Well cannot start SDL: %s\n", SDL_GetError());
        return 2;
    }
    if (auto why = sw::NoDisplay()) {
        std::fprintf(stderr,
                     "Seven Well needs a display to show the game on, and there is none (%s). "
                     "Start it from a desktop session, where DISPLAY or WAYLAND_DISPLAY is set.\n",
                     why->c_str());
        SDL_Quit();
        return 2;
    }
    sw::SdlPlatform platform;
    sw::Form1 form(platform.Graphics(), platform.Sound(), platform);
    platform.Run(form);
}
