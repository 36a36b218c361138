// The graphics layer on SDL2: a 640 x 480 RGB565 back buffer, a backdrop
// and twenty picture slots, shown in a desktop-size fullscreen window.
#pragma once

#include <SDL.h>

#include <array>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "game/interfaces.h"
#include "game/state.h"
#include "present/scaler.h"

namespace sw {

// SDL objects owned: each freed by SDL's own function when its owner goes.
struct SdlFree {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
    void operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
    void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
    void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
    void operator()(SDL_RWops* rw) const { SDL_RWclose(rw); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SdlFree>;
using TexturePtr = std::unique_ptr<SDL_Texture, SdlFree>;
using RendererPtr = std::unique_ptr<SDL_Renderer, SdlFree>;
using WindowPtr = std::unique_ptr<SDL_Window, SdlFree>;

// Starts SDL's display, counted as SDL_InitSubSystem counts it, and
// returns what that returns.
int StartDisplay();

class SdlGraphics : public IGraphics {
  public:
    explicit SdlGraphics(IPlatform& platform);
    ~SdlGraphics() override;
    SdlGraphics(const SdlGraphics&) = delete;
    SdlGraphics& operator=(const SdlGraphics&) = delete;

    void init() override;
    void PicLoad(int16_t IntIdx, const std::string& PicPath, int16_t Touka) override;
    void PicDraw(int16_t IntIdx, double MotoX, double MotoY, double SakiX, double SakiY,
                 double High, double Width) override;
    void BackLoad(const std::string& PicPath) override;
    void BackDraw() override;
    void SurfFlip() override;
    [[noreturn]] void EndIt() override;

    // Alt+Enter: between fullscreen and a resizable window, which opens at
    // the largest whole multiple of 640 x 480 that fits the desktop.
    void ToggleFullscreen();
    bool HasWindow() const { return window_ != nullptr; }
    bool Fullscreen() const;
    Uint32 WindowId() const { return window_ ? SDL_GetWindowID(window_.get()) : 0; }
    SDL_Window* Window() const { return window_.get(); }
    // Where the picture lies in the window, in window pixels.
    Box PictureInWindow() const;
    // The wait of a flip without vertical sync (0: flips do not wait).
    std::chrono::nanoseconds FlipPeriod() const { return pace_; }

    // The frame being composed, and the one on screen: two fixed surfaces
    // over our own memory (not owners; the layer keeps them to the end).
    // The back buffer is brought up to date at each flip; Composed() shows
    // the frame drawn so far before then.
    SDL_Surface* SurfBackBuf = nullptr;
    SDL_Surface* SurfPrimary = nullptr;
    SDL_Surface* Composed();
    // Off: every frame is composed whole, as the frame before last is
    // never trusted (for comparing the two ways).
    bool incremental = true;

    // Shows the page on screen again (after an expose or a resize).
    void Repaint();

  private:
    struct CacheEntry {
        std::uintmax_t size;
        std::filesystem::file_time_type mtime;
        bool recent;  // changed within the file clock's step of being read
        size_t sum;   // of the content
        SurfacePtr surface;
        Uint64 id;  // one for each decoding: equal ids, equal pixels
    };
    // One rectangle copy of a frame; equal draws put equal pixels.
    struct Draw {
        Uint64 pic;  // the picture's decoding and colour key
        SDL_Surface* plain;
        SDL_Surface* from;  // the plain picture, or its twin for a whole copy
        SDL_Rect src, dst;
        bool operator==(const Draw& o) const {
            return pic == o.pic && std::memcmp(&src, &o.src, sizeof src) == 0 &&
                   std::memcmp(&dst, &o.dst, sizeof dst) == 0;
        }
    };
    // What a page shows: the backdrop, then the draws in order. Not known
    // when the frame was drawn over an older one without a backdrop.
    struct Frame {
        bool known = false;
        Uint64 bg = 0;
        SDL_Surface* bgSurf = nullptr;
        std::vector<Draw> draws;
    };
    std::string PicFile(const std::string& name);
    const CacheEntry& Decoded(const std::string& path);
    void Blit(const Draw& d, const SDL_Rect* clip);
    void Retire(SurfacePtr& s);
    void Recompose(const std::vector<SDL_Rect>* areas);
    static bool Differences(const Frame& a, const Frame& b, std::vector<SDL_Rect>& out);
    void Present(const std::vector<SDL_Rect>* areas);
    bool PresentToWindowSurface(const std::vector<SDL_Rect>* areas);
    bool PresentWithRenderer(const std::vector<SDL_Rect>* areas);
    void UpdateRefreshRate();
    static bool EmulatedRenderer(const SDL_RendererInfo& info);
    static bool NoGraphicsDevice();

    IPlatform& plat_;
    std::vector<Uint16> pages_[2];
    SurfacePtr pageSurf_[2];
    SurfacePtr SurfBg;
    Uint64 bgId_ = 0;
    std::array<SurfacePtr, kPicSlots> SurfPic;
    std::array<SurfacePtr, kPicSlots> SurfPicWhole;  // RLE twins for whole copies
    std::array<Uint64, kPicSlots> picId_{};          // decoding and key of each slot
    std::map<std::string, CacheEntry> cache_;
    Uint64 decodings_ = 0;

    // The frame being drawn, the one on screen and the one the back buffer
    // holds (the frame before last). Until the flip a frame that began with
    // the backdrop is only written down (deferred); pictures replaced
    // meanwhile are kept here until then.
    Frame frame_, shownFrame_, backFrame_;
    bool deferred_ = false;
    std::vector<SurfacePtr> retired_;
    std::vector<SDL_Rect> areas_, shownAreas_;

    // Declared in this order so the texture goes before its renderer and
    // the renderer before its window.
    WindowPtr window_;
    RendererPtr renderer_;
    TexturePtr texture_;
    // The window size and mode the picture was last laid out for.
    int scaleW_ = 0, scaleH_ = 0;
    bool scaleWindowed_ = false;
    int refusedW_ = 0, refusedH_ = 0;  // a size below the minimum, last sent back
    Box box_{};
    bool vsync_ = false, presented_ = false;
    std::chrono::nanoseconds pace_{0};
    std::chrono::steady_clock::time_point lastFlip_{};

    // The window-surface path: every RGB565 value in the window's format,
    // and the table scaler with its rectangles.
    std::vector<Uint32> lut_;
    Uint32 lutFormat_ = 0;
    Scaler scaler_;
    std::vector<Box> boxes_;
    std::vector<SDL_Rect> dirty_;
};

// Reads a bitmap from a stream (closed here) and converts it to RGB565
// once. A malformed picture is a run-time error naming it (name).
SurfacePtr DecodeBitmap565(SDL_RWops* data, const std::string& name);

}  // namespace sw
