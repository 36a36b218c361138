// replay: runs the game with no window (SDL's dummy video and audio) from a
// script, for tests and bug reports.
//
//   replay [--seed N] [--dir PROGRAM_FOLDER] [--calls] [SCRIPT]   (script
//   from stdin when no file is given)
//
// Without --dir the run uses the built game's pictures and sounds and a
// copy of its score.ini in a scratch folder, so a game over in a replay
// never touches the records; --dir runs in the folder given, score.ini
// and all.
//
// With --calls nothing is drawn or played: the game's picture and sound
// calls are printed instead, one a line (a run of the same call once, with
// "xN"), draws and flips only while "draw on" holds; the run starts from a
// score.ini of zeros and the record is not printed at the end. The tests
// compare such printouts with the ones recorded in tests/calls/.
//
// Script lines:
//   key NAME [N]      release a key N times: left right up down enter
//                     back esc r (or a number, the key code itself)
//   tick N            N ticks of the game timer
//   clock N           N ticks of the one-second clock
//   set FIELD VALUE   set a field of the record (IntScene, LngLevel, ...)
//   well              the next 13 lines are the well, top row first,
//                     '.' empty, '1' to '7' a block
//   row Y CELLS       row Y of the well (0 the top, 12 the bottom)
//   dump              print the record as name=value lines
//   show FIELD ...    print those fields on one line: FIELD=VALUE ...
//   draw on|off       with --calls, print the draws and flips from now on
//   png FILE          write the frame on screen as a PNG
//   # ...             a comment
// At the end the record is printed; if the game ended, "ended=STATUS".
#include <SDL.h>

#include <cstdlib>
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
#include "scratch.h"

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
              << "\nusage: replay [--seed N] [--dir PROGRAM_FOLDER] [--calls] [SCRIPT]\n";
    return 2;
}

// The game's picture and sound calls as text on standard output.
class CallPrinter : public sw::IGraphics, public sw::ISound {
  public:
    explicit CallPrinter(sw::IPlatform& plat) : plat_(plat) {}
    ~CallPrinter() override { Flush(); }
    void init() override { Print("init"); }
    void PicLoad(int16_t i, const std::string& path, int16_t touka) override {
        Print("PicLoad", i, path, touka);
    }
    void PicDraw(int16_t i, double mx, double my, double sx, double sy, double h,
                 double w) override {
        if (draws) Print("PicDraw", i, mx, my, sx, sy, h, w);
    }
    void BackLoad(const std::string& path) override { Print("BackLoad", path); }
    void BackDraw() override {
        if (draws) Print("BackDraw");
    }
    void SurfFlip() override {
        if (draws) Print("SurfFlip");
    }
    [[noreturn]] void EndIt() override {
        Print("EndIt");
        plat_.End(0);
        std::abort();  // not reached: the platform ends the program
    }
    void SubWaveLoad(int16_t i, const std::string& file) override { Print("SubWaveLoad", i, file); }
    void SubWavePlay(int16_t i, const std::string& how) override { Print("SubWavePlay", i, how); }
    void SubWaveStop(int16_t i) override { Print("SubWaveStop", i); }

    // Prints the run of calls held back; before any other output.
    void Flush() {
        if (count_ > 1) last_ += " x" + std::to_string(count_);
        if (count_ > 0) std::cout << last_ << "\n";
        count_ = 0;
    }
    bool draws = false;

  private:
    template <typename... Args>
    void Print(const char* name, const Args&... args) {
        std::ostringstream line;
        line << name;
        ((line << ' ' << args), ...);
        if (count_ > 0 && line.str() == last_) {
            ++count_;
            return;
        }
        Flush();
        last_ = line.str();
        count_ = 1;
    }
    sw::IPlatform& plat_;
    std::string last_;
    int count_ = 0;
};

// A scratch program folder: the built game's pic/ and sound/ linked in,
// and a copy of its score.ini. Removed again when the run is over.
class ScratchFolder {
  public:
    ScratchFolder(const std::filesystem::path& game, bool zeros) {
        namespace fs = std::filesystem;
        dir_ = sw::MakeScratchFolder("sevenwell-replay-");
        // Linked where the system lets anyone link (not Windows), else copied.
        for (const char* sub : {"pic", "sound"}) {
            std::error_code refused;
            if (fs::exists(game / sub))
                fs::create_directory_symlink(fs::absolute(game / sub), dir_ / sub, refused);
            if (refused) fs::copy(game / sub, dir_ / sub, fs::copy_options::recursive);
        }
        if (zeros)
            std::ofstream(dir_ / "score.ini", std::ios::binary) << "000000000\r\n000000000\r\n";
        else if (fs::exists(game / "score.ini"))
            fs::copy_file(game / "score.ini", dir_ / "score.ini");
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
    bool calls = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seed" && i + 1 < argc) {
            options.seed = static_cast<uint32_t>(std::stoul(argv[++i]));
        } else if (a == "--dir" && i + 1 < argc) {
            options.appPath = argv[++i];
        } else if (a == "--calls") {
            calls = true;
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
            scratch.emplace(game, calls);
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
        std::optional<CallPrinter> printer;
        if (calls) printer.emplace(platform);
        sw::Form1 form(calls ? static_cast<sw::IGraphics&>(*printer) : graphics,
                       calls ? static_cast<sw::ISound&>(*printer) : platform.Sound(), platform);
        auto record = [&] { return calls ? std::string() : sw::DumpRecord(form); };
        int lineNo = 0;
        try {
            form.Form_Load();
            std::string line;
            while (std::getline(script, line)) {
                ++lineNo;
                std::istringstream ls(line);
                std::string cmd;
                if (!(ls >> cmd) || cmd[0] == '#') continue;
                if (printer) printer->Flush();
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
                } else if (cmd == "row") {
                    int y = -1;
                    std::string cells;
                    ls >> y >> cells;
                    if (y < 0 || y >= sw::kRows || !sw::SetWellRow(form, y, cells)) {
                        std::cerr << "replay: line " << lineNo << ": bad row\n";
                        status = 2;
                        break;
                    }
                } else if (cmd == "dump") {
                    std::cout << sw::DumpRecord(form) << "--\n";
                } else if (cmd == "show") {
                    const std::string dump = "\n" + sw::DumpRecord(form);
                    std::string shown;
                    for (std::string field; ls >> field;) {
                        const size_t at = dump.find("\n" + field + "=");
                        const size_t end = dump.find('\n', at + 1);
                        shown += (shown.empty() ? "" : " ") +
                                 (at == std::string::npos ? field + "?"
                                                          : dump.substr(at + 1, end - at - 1));
                    }
                    std::cout << shown << "\n";
                } else if (cmd == "draw" && printer) {
                    std::string on;
                    ls >> on;
                    printer->draws = on == "on";
                } else if (cmd == "png" && !calls) {
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
            if (printer) printer->Flush();
            std::cout << record();
        } catch (const sw::ProgramEnded& e) {
            if (printer) printer->Flush();
            std::cout << record() << "ended=" << e.status << "\n";
        } catch (const sw::RunTimeError& e) {
            if (printer) printer->Flush();
            std::cout << record();
            std::cerr << "run-time error: " << e.what() << "\n";
            status = 3;
        }
    }
    SDL_Quit();
    return status;
}
