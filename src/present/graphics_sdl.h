// The graphics layer on SDL2: a 640 x 480 RGB565 back buffer, a backdrop
// and twenty picture slots, shown in a desktop-size fullscreen window.
#pragma once

#include <SDL.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "game/interfaces.h"
#include "game/state.h"

namespace sw {

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

    // Alt+Enter: between fullscreen and a window of a whole multiple of
    // 640 x 480 that fits the desktop.
    void ToggleFullscreen();
    bool HasWindow() const { return window_ != nullptr; }
    Uint32 WindowId() const { return window_ ? SDL_GetWindowID(window_) : 0; }
    SDL_Window* Window() const { return window_; }

    // The frame being composed, and the one on screen.
    SDL_Surface* SurfBackBuf = nullptr;
    SDL_Surface* SurfPrimary = nullptr;
    SDL_Surface* SurfBg = nullptr;
    std::array<SDL_Surface*, kPicSlots> SurfPic{};
    std::array<SDL_Surface*, kPicSlots> SurfPicWhole{};  // RLE twins for whole copies
    // Colour key of each slot, compared on the 16-bit pixel value.
    std::array<Uint16, kPicSlots> PicKey{};

    // Shows the page on screen again (after an expose or a resize).
    void Repaint();

  private:
    struct CacheEntry {
        long long size, mtime;
        SDL_Surface* surface;
    };
    std::string PicFile(const std::string& name);
    SDL_Surface* Decoded(const std::string& path);
    void UpdateScale();
    static bool EmulatedRenderer(const SDL_RendererInfo& info);
    static bool NoGraphicsDevice();
    void PresentToWindowSurface(bool full);

    IPlatform& plat_;
    std::vector<Uint16> pages_[2];
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int scaleW_ = 0, scaleH_ = 0;
    bool vsync_ = false, presented_ = false;
    Uint64 lastPresent_ = 0;
    std::vector<Uint16> shown_ = std::vector<Uint16>(kScreenW * kScreenH);
    std::map<std::string, CacheEntry> cache_;
    std::vector<Uint32> lut_;  // RGB565 to the window surface's format
    Uint32 lutFormat_ = 0;
    std::vector<SDL_Rect> dirty_;
};

// Reads a bitmap file and converts it to RGB565 once. A missing, unreadable
// or malformed file is a run-time error naming it.
SDL_Surface* LoadBitmap565(const std::string& path);
// The same from any stream (closed here); name is used in messages.
SDL_Surface* DecodeBitmap565(SDL_RWops* data, const std::string& name);

}  // namespace sw
