// replay: runs the game with no window (SDL's dummy video and audio) from a
// script, for tests and bug reports.
//
//   replay [--seed N] [--dir PROGRAM_FOLDER] [SCRIPT]   (script from stdin
//   when no file is given)
//
// Without --dir the run uses the built game's pictures and sounds and a
// copy of its score.ini in a scratch folder, so a game over in a replay
// never touches the records; --dir runs in the folder given, score.ini
// and all.
//
// Script lines:
//   key NAME [N]      release a key N times: left right up down enter
//                     back esc r (or a number, the key code itself)
//   tick N            N ticks of the game timer
//   clock N           N ticks of the one-second clock
//   set FIELD VALUE   set a field of the record (IntScene, LngLevel, ...)
//   well              the next 13 lines are the well, top row first,
//                     '.' empty, '1' to '7' a block
//   dump              print the record as name=value lines
//   png FILE          write the frame on screen as a PNG
//   # ...             a comment
// At the end the record is printed; if the game ended, "ended=STATUS".
#include <SDL.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>

#include "game/dump.h"
#include "game/form1.h"
#include "game/keycodes.h"
#include "platform/sdl_platform.h"
#include "png_write.h"

namespace {

int16_t KeyCode(const std::string& name) {
    static const std::map<std::string, int16_t> keys{
        {"back", sw::kKeyBack}, {"enter", sw::kKeyEnter}, {"esc", sw::kKeyEscape},
        {"left", sw::kKeyLeft}, {"up", sw::kKeyUp},       {"right", sw::kKeyRight},
        {"down", sw::kKeyDown}, {"r", sw::kKeyR}};
    if (auto it = keys.find(name); it != keys.end()) return it->second;
    return static_cast<int16_t>(std::stoi(name));
}

int Usage(const std::string& why) {
    std::cerr << "replay: " << why
              << "\nusage: replay [--seed N] [--dir PROGRAM_FOLDER] [SCRIPT]\n";
    return 2;
}

// A scratch program folder: the built game's pic/ and sound/ linked in,
// and a copy of its score.ini. Removed again when the run is over.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::filesystem::path& game) {
        namespace fs = std::filesystem;
        std::string tmpl = (fs::temp_directory_path() / "sevenwell-replay-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("cannot make a scratch folder");
        dir_ = tmpl;
        for (const char* sub : {"pic", "sound"}) {
            if (fs::exists(game / sub))
                fs::create_directory_symlink(fs::absolute(game / sub), dir_ / sub);
        }
        if (fs::exists(game / "score.ini")) fs::copy_file(game / "score.ini", dir_ / "score.ini");
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);  // links are removed, not followed
    }
    std::string Path() const { return dir_.string() + "/"; }

  private:
    std::filesystem::path dir_;
};

}  // namespace

int main(int argc, char** argv) {
    sw::PlatformOptions options;
    options.seed = 1;
    options.throwOnEnd = true;
    std::string scriptPath;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seed" && i + 1 < argc) {
            options.seed = static_cast<uint32_t>(std::stoul(argv[++i]));
        } else if (a == "--dir" && i + 1 < argc) {
            options.appPath = argv[++i];
        } else if (!a.empty() && a[0] != '-' && scriptPath.empty()) {
            scriptPath = a;
        } else {
            return Usage("unknown argument " + a);
        }
    }
    std::optional<ScratchFolder> scratch;
    if (!options.appPath) {
        char* base = SDL_GetBasePath();
        const std::string game = std::string(base ? base : "./") + "../game/";
        SDL_free(base);
        try {
            scratch.emplace(game);
        } catch (const std::exception& e) {
            std::cerr << "replay: " << e.what() << "\n";
            return 1;
        }
        options.appPath = scratch->Path();
    }

    std::ifstream file;
    if (!scriptPath.empty()) {
        file.open(scriptPath);
        if (!file) return Usage("cannot open " + scriptPath);
    }
    std::istream& script = scriptPath.empty() ? std::cin : file;

    SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        std::cerr << "replay: cannot start SDL: " << SDL_GetError() << "\n";
        return 1;
    }

    int status = 0;
    {
        sw::SdlPlatform platform(options);
        sw::SdlGraphics& graphics = platform.Graphics();
        sw::Form1 form(graphics, platform.Sound(), platform);
        int lineNo = 0;
        try {
            form.Form_Load();
            std::string line;
            while (std::getline(script, line)) {
                ++lineNo;
                std::istringstream ls(line);
                std::string cmd;
                if (!(ls >> cmd) || cmd[0] == '#') continue;
                if (cmd == "key") {
                    std::string name;
                    int n = 1;
                    ls >> name >> n;
                    for (int i = 0; i < n; ++i) form.Form_KeyUp(KeyCode(name), 0);
                } else if (cmd == "tick") {
                    int n = 1;
                    ls >> n;
                    for (int i = 0; i < n; ++i) form.Timer1_Timer();
                } else if (cmd == "clock") {
                    int n = 1;
                    ls >> n;
                    for (int i = 0; i < n; ++i) form.Timer2_Timer();
                } else if (cmd == "set") {
                    std::string field, value;
                    ls >> field >> value;
                    if (!sw::SetField(form, field, value)) {
                        std::cerr << "replay: line " << lineNo << ": cannot set " << field << "\n";
                        status = 2;
                        break;
                    }
                } else if (cmd == "well") {
                    for (int y = 0; y < sw::kRows; ++y) {
                        std::string row;
                        std::getline(script, row);
                        ++lineNo;
                        if (!sw::SetWellRow(form, y, row)) {
                            std::cerr << "replay: line " << lineNo << ": bad well row '" << row
                                      << "'\n";
                            status = 2;
                            break;
                        }
                    }
                    if (status) break;
                } else if (cmd == "dump") {
                    std::cout << sw::DumpRecord(form) << "--\n";
                } else if (cmd == "png") {
                    std::string out;
                    ls >> out;
                    SDL_Surface* shown = graphics.SurfPrimary;
                    if (!sw::WritePng565(out, shown->pixels, shown->w, shown->h, shown->pitch)) {
                        std::cerr << "replay: cannot write " << out << "\n";
                        status = 1;
                        break;
                    }
                } else {
                    std::cerr << "replay: line " << lineNo << ": unknown command " << cmd << "\n";
                    status = 2;
                    break;
                }
            }
            std::cout << sw::DumpRecord(form);
        } catch (const sw::ProgramEnded& e) {
            std::cout << sw::DumpRecord(form) << "ended=" << e.status << "\n";
        } catch (const sw::RunTimeError& e) {
            std::cout << sw::DumpRecord(form);
            std::cerr << "run-time error: " << e.what() << "\n";
            status = 3;
        }
    }
    SDL_Quit();
    return status;
}
