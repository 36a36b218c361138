#include "platform/message_box.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#ifndef _WIN32
#include <pthread.h>
#include <signal.h>
#include <strings.h>
#include <sys/prctl.h>
#include <unistd.h>
#endif

namespace sw {

namespace {

// Columns a UTF-8 character takes: two for the wide scripts (kana, kanji,
// full-width forms), one for everything else. Continuation bytes take none.
int Columns(unsigned char lead, const std::string& text, size_t i) {
    if ((lead & 0xC0) == 0x80) return 0;
    if (lead < 0xE0) return 1;
    // Three-byte sequences from U+1100 up hold the wide scripts.
    const unsigned cp = ((lead & 0x0F) << 12) |
                        (i + 1 < text.size() ? (text[i + 1] & 0x3F) << 6 : 0) |
                        (i + 2 < text.size() ? text[i + 2] & 0x3F : 0);
    return lead >= 0xF0 || cp >= 0x1100 ? 2 : 1;
}

std::string WrapLine(const std::string& line, int columns) {
    std::string out;
    size_t start = 0;  // of the line being filled
    size_t lastBreak = std::string::npos;
    int width = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        const int w = Columns(c, line, i);
        if (w > 0 && width + w > columns && i > start) {
            // Break at the last space or after the last '/', else right here.
            size_t cut = lastBreak != std::string::npos && lastBreak > start ? lastBreak : i;
            size_t next = cut;
            if (line[cut] == ' ') ++next;
            out.append(line, start, cut - start).push_back('\n');
            start = next;
            lastBreak = std::string::npos;
            width = 0;
            for (size_t j = start; j < i; ++j)
                width += Columns(static_cast<unsigned char>(line[j]), line, j);
        }
        width += w;
        if (c == ' ') lastBreak = i;
        if (c == '/' && i + 1 < line.size()) lastBreak = i + 1;
    }
    out.append(line, start, std::string::npos);
    return out;
}

#ifndef _WIN32
// The box's child process dies with the program, whichever way the program
// ends: SDL forks the X11 box into a child of its own, and an orphaned box
// would stay on the desktop.
volatile sig_atomic_t boxOpening = 0;
pid_t boxParent = 0;

void BoxChildDiesWithParent() {
    if (!boxOpening) return;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != boxParent) _exit(1);  // the parent is already gone
}

// The box draws its text in the locale of the environment; in plain C it
// could not show the message's Japanese at all.
class Utf8Locale {
  public:
    Utf8Locale() {
        const char* current = nullptr;
        for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
            const char* v = std::getenv(name);
            if (v && *v) {
                current = v;
                break;
            }
        }
        if (current && (strcasestr(current, "utf-8") || strcasestr(current, "utf8"))) return;
        if (const char* all = std::getenv("LC_ALL")) saved_ = all;
        setenv("LC_ALL", "C.UTF-8", 1);
        changed_ = true;
    }
    ~Utf8Locale() {
        if (!changed_) return;
        if (saved_)
            setenv("LC_ALL", saved_->c_str(), 1);
        else
            unsetenv("LC_ALL");
    }

  private:
    bool changed_ = false;
    std::optional<std::string> saved_;
};

// SDL turns SIGTERM and SIGINT into a quit event, which nobody reads while
// a box waits for its button: the plain signals are put back meanwhile.
class PlainSignals {
  public:
    PlainSignals() {
        struct sigaction plain {};
        plain.sa_handler = SIG_DFL;
        sigemptyset(&plain.sa_mask);
        sigaction(SIGTERM, &plain, &term_);
        sigaction(SIGINT, &plain, &int_);
    }
    ~PlainSignals() {
        sigaction(SIGTERM, &term_, nullptr);
        sigaction(SIGINT, &int_, nullptr);
    }

  private:
    struct sigaction term_ {
    }, int_{};
};
#endif

}  // namespace

std::string WrapForBox(const std::string& text, int columns) {
    std::string out;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        out += WrapLine(text.substr(start, end - start), columns);
        if (end == std::string::npos) return out;
        out += '\n';
        start = end + 1;
    }
}

#ifdef _WIN32
// Windows' own box: it waits in the program's own thread, shows the
// Japanese with the system's fonts, and goes when the program goes.
void ShowMessageBox(Uint32 flags, const std::string& caption, const std::string& text,
                    SDL_Window* parent) {
    SDL_ShowSimpleMessageBox(flags, caption.c_str(), WrapForBox(text, 56).c_str(), parent);
}
#else
void ShowMessageBox(Uint32 flags, const std::string& caption, const std::string& text,
                    SDL_Window* parent) {
    static const bool registered = pthread_atfork(nullptr, nullptr, BoxChildDiesWithParent) == 0;
    (void)registered;
    // About 56 columns of the box's font fit a 640 pixel wide screen.
    const std::string shown = WrapForBox(text, 56);
    Utf8Locale locale;
    PlainSignals signals;
    boxParent = getpid();
    boxOpening = 1;
    SDL_ShowSimpleMessageBox(flags, caption.c_str(), shown.c_str(), parent);
    boxOpening = 0;
}

#endif

}  // namespace sw
