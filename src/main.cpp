// Seven Well: builds the SDL platform and hands it to the game window.
#include <SDL.h>

#include <cstdio>

#include "game/form1.h"
#include "platform/sdl_platform.h"
#include "present/graphics_sdl.h"
#include "present/sound_sdl.h"

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;  // the game takes no command line
    if (SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "Seven Well cannot start SDL: %s\n", SDL_GetError());
        return 2;
    }
    sw::SdlPlatform platform;
    sw::SdlGraphics graphics(platform);
    sw::SdlSound sound(platform);
    platform.Attach(&graphics, &sound);
    sw::Form1 form(graphics, sound, platform);
    platform.Run(form);
}
