// Seven Well in a browser: the program folder /sevenwell/ holds pic/ and
// sound/ from the site's data, and score.ini as a link into /persist, the
// folder the page keeps in the browser's storage. Then the same platform
// and game window as on the desktop.
#include <SDL.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "game/errors.h"
#include "game/form1.h"
#include "platform/sdl_platform.h"
#include "records/score_file.h"

int main() {
    if (SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "Seven Well cannot start SDL: %s\n", SDL_GetError());
        return 2;
    }
    // Both live for the whole visit: the browser's loop outlives main.
    static sw::SdlPlatform platform(sw::PlatformOptions{.appPath = "/sevenwell/"});
    static sw::Form1 form(platform.Graphics(), platform.Sound(), platform);
    try {
        // A first visit starts with two lines of nine zeros, placed the same
        // all-or-nothing way as every later write.
        if (access("/persist/score.ini", F_OK) != 0)
            sw::WriteFileAtomically("/persist/score.ini", sw::ScoreText(0, 0));
        if (symlink("/persist/score.ini", "/sevenwell/score.ini") != 0 && errno != EEXIST) {
            throw sw::RunTimeError(std::string("cannot link /sevenwell/score.ini: ") +
                                   std::strerror(errno));
        }
    } catch (const std::exception& e) {
        platform.ReportRunTimeError(e.what());
    }
    platform.Run(form);
}
