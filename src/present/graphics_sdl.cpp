#include "present/graphics_sdl.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/errors.h"

namespace sw {

namespace {

// No picture of the game is larger than the screen; a generous limit.
constexpr long long kMaxPictureSide = 4096;

SDL_Surface* NewScreenSurface() {
    SDL_Surface* s =
        SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 16, SDL_PIXELFORMAT_RGB565);
    if (!s) throw RunTimeError(std::string("cannot create a 640 x 480 surface: ") + SDL_GetError());
    return s;
}

void CheckSlot(int16_t IntIdx, const char* what) {
    if (IntIdx < 0 || IntIdx >= kPicSlots) {
        throw RunTimeError(std::string("index out of range: ") + what + " picture slot " +
                           std::to_string(IntIdx) + " not in 0 to 19");
    }
}

int KeyedPixels(SDL_Surface* s, Uint16 key) {
    int n = 0;
    for (int y = 0; y < s->h; ++y) {
        const auto* row =
            reinterpret_cast<const Uint16*>(static_cast<Uint8*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < s->w; ++x) n += row[x] == key;
    }
    return n;
}

}  // namespace

SDL_Surface* DecodeBitmap565(SDL_RWops* data, const std::string& name) {
    // Look at the header's size first: a damaged file can claim a picture
    // so large that decoding it would take all the memory there is.
    if (!data) throw RunTimeError("cannot read picture " + name + ": " + SDL_GetError());
    Uint8 head[26] = {};
    const Sint64 start = SDL_RWtell(data);
    const size_t got = SDL_RWread(data, head, 1, sizeof head);
    SDL_RWseek(data, start, RW_SEEK_SET);
    if (got >= 2 && head[0] == 'B' && head[1] == 'M') {
        // Little-endian fields read byte by byte: the header is unaligned.
        auto le = [&head](int at, int bytes) {
            long long v = 0;
            for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | head[at + i];
            return v;
        };
        const long long dib = got >= 18 ? le(14, 4) : 0;
        if (got < (dib == 12 ? 22u : 26u)) {
            SDL_RWclose(data);
            throw RunTimeError("picture " + name + " is truncated: its header is cut short");
        }
        long long w, h;
        if (dib == 12) {
            w = le(18, 2);
            h = le(20, 2);
        } else {
            w = static_cast<Sint32>(static_cast<Uint32>(le(18, 4)));
            h = static_cast<Sint32>(static_cast<Uint32>(le(22, 4)));
        }
        if (h < 0) h = -h;
        if (w > kMaxPictureSide || h > kMaxPictureSide) {
            SDL_RWclose(data);
            throw RunTimeError("picture " + name + " claims to be " + std::to_string(w) + " x " +
                               std::to_string(h) + " pixels, more than " +
                               std::to_string(kMaxPictureSide) + " a side: the file is damaged");
        }
    }
    SDL_Surface* raw = SDL_LoadBMP_RW(data, 1);
    if (!raw) throw RunTimeError("cannot read picture " + name + ": " + SDL_GetError());
    if (raw->w <= 0 || raw->h <= 0) {
        SDL_FreeSurface(raw);
        throw RunTimeError("picture " + name + " is empty");
    }
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_RGB565, 0);
    SDL_FreeSurface(raw);
    if (!converted) throw RunTimeError("cannot convert picture " + name + ": " + SDL_GetError());
    return converted;
}

SDL_Surface* LoadBitmap565(const std::string& path) {
    // Ask the file system first, so that the message says why.
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (!probe) {
        throw RunTimeError("cannot open picture " + path + ": " + std::strerror(errno));
    }
    std::fclose(probe);
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (!file) throw RunTimeError("cannot open picture " + path + ": " + SDL_GetError());
    return DecodeBitmap565(file, path);
}

SdlGraphics::SdlGraphics(IPlatform& platform)
    : plat_(platform),
      pages_{std::vector<Uint16>(kScreenW * kScreenH), std::vector<Uint16>(kScreenW * kScreenH)} {
    // The two pages are our own memory under two fixed surfaces; a flip
    // exchanges the memory, so every blit keeps the same destination and
    // SDL never has to rebuild its blit mappings.
    SurfBackBuf = SDL_CreateRGBSurfaceWithFormatFrom(pages_[0].data(), kScreenW, kScreenH, 16,
                                                     kScreenW * 2, SDL_PIXELFORMAT_RGB565);
    SurfPrimary = SDL_CreateRGBSurfaceWithFormatFrom(pages_[1].data(), kScreenW, kScreenH, 16,
                                                     kScreenW * 2, SDL_PIXELFORMAT_RGB565);
    if (!SurfBackBuf || !SurfPrimary) {
        throw RunTimeError(std::string("cannot create the screen pages: ") + SDL_GetError());
    }
}

SdlGraphics::~SdlGraphics() {
    for (SDL_Surface* s : SurfPic) SDL_FreeSurface(s);
    for (SDL_Surface* s : SurfPicWhole) SDL_FreeSurface(s);
    for (auto& [path, entry] : cache_) SDL_FreeSurface(entry.surface);
    SDL_FreeSurface(SurfBg);
    SDL_FreeSurface(SurfBackBuf);
    SDL_FreeSurface(SurfPrimary);
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
}

SDL_Surface* SdlGraphics::Decoded(const std::string& path) {
    // The logo is loaded again on every tick; a file unchanged since it was
    // last decoded (same size and time) is copied from memory, while a
    // file that has gone or changed is read again and fails as it should.
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        throw RunTimeError("cannot open picture " + path + ": " + std::strerror(errno));
    }
    auto it = cache_.find(path);
    if (it == cache_.end() || it->second.size != st.st_size || it->second.mtime != st.st_mtime) {
        SDL_Surface* fresh = LoadBitmap565(path);
        if (it != cache_.end()) SDL_FreeSurface(it->second.surface);
        cache_[path] = {static_cast<long long>(st.st_size), static_cast<long long>(st.st_mtime),
                        fresh};
        it = cache_.find(path);
    }
    SDL_Surface* copy = SDL_DuplicateSurface(it->second.surface);
    if (!copy) throw RunTimeError("cannot copy picture " + path + ": " + SDL_GetError());
    return copy;
}

std::string SdlGraphics::PicFile(const std::string& name) {
    return plat_.AppPath() + "pic/" + name;
}

void SdlGraphics::init() {
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        throw RunTimeError(std::string("cannot start the display: ") + SDL_GetError());
    }
    // Never a real mode change: a desktop-size window, the picture scaled.
    window_ = SDL_CreateWindow("Seven Well", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               kScreenW, kScreenH, SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (!window_) throw RunTimeError(std::string("cannot open the window: ") + SDL_GetError());
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    // Without graphics hardware any renderer would be emulated on the
    // processor, at many times the cost of drawing the scaled picture into
    // the window ourselves through the window system's shared images.
    bool emulated = NoGraphicsDevice();
    if (!emulated) {
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_PRESENTVSYNC);
        if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, 0);
        if (!renderer_)
            throw RunTimeError(std::string("cannot create a renderer: ") + SDL_GetError());
        SDL_RendererInfo info;
        vsync_ =
            SDL_GetRendererInfo(renderer_, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC);
        emulated = EmulatedRenderer(info);
    }
    if (emulated) {
        if (renderer_) SDL_DestroyRenderer(renderer_);
        renderer_ = nullptr;
        vsync_ = false;
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        if (!SDL_GetWindowSurface(window_)) {
            throw RunTimeError(std::string("cannot draw into the window: ") + SDL_GetError());
        }
    } else {
        if (SDL_RenderSetLogicalSize(renderer_, kScreenW, kScreenH) != 0) {
            throw RunTimeError(std::string("cannot set the 640 x 480 picture: ") + SDL_GetError());
        }
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                     kScreenW, kScreenH);
        if (!texture_) {
            throw RunTimeError(std::string("cannot create the screen texture: ") + SDL_GetError());
        }
    }

    // The first frame is the white backdrop.
    BackLoad("white.bmp");
    BackDraw();
    SurfFlip();
}

void SdlGraphics::PicLoad(int16_t IntIdx, const std::string& PicPath, int16_t Touka) {
    CheckSlot(IntIdx, "PicLoad");
    SDL_Surface* pic = Decoded(PicFile(PicPath));
    // Any nonzero Touka makes black transparent; zero keys out the one
    // saturated blue 0x00FF instead.
    const Uint16 key = Touka != 0 ? 0x0000 : 0x00FF;
    SDL_SetColorKey(pic, SDL_TRUE, key);
    // A picture with much transparency gets a run-length encoded twin for
    // copies of the whole picture (the full-screen frame and panels): it
    // skips transparent runs and copies opaque runs whole. Small cuts use
    // the plain surface, where RLE would have to decode its way down to the
    // cut's first row every time.
    SDL_Surface* whole = nullptr;
    if (KeyedPixels(pic, key) * 8 >= pic->w * pic->h) {
        whole = SDL_DuplicateSurface(pic);
        if (!whole) {
            SDL_FreeSurface(pic);
            throw RunTimeError("cannot copy picture " + PicFile(PicPath) + ": " + SDL_GetError());
        }
        SDL_SetSurfaceRLE(whole, 1);
    }
    SDL_FreeSurface(SurfPic[IntIdx]);
    SDL_FreeSurface(SurfPicWhole[IntIdx]);
    SurfPic[IntIdx] = pic;
    SurfPicWhole[IntIdx] = whole;
    PicKey[IntIdx] = key;
}

void SdlGraphics::PicDraw(int16_t IntIdx, double MotoX, double MotoY, double SakiX, double SakiY,
                          double High, double Width) {
    CheckSlot(IntIdx, "PicDraw");
    SDL_Surface* pic = SurfPic[IntIdx];
    if (!pic) throw RunTimeError("PicDraw: picture slot " + std::to_string(IntIdx) + " is empty");

    // Corners rounded half to even, as the old blitter's rectangles were.
    const long left = std::lrint(MotoX), top = std::lrint(MotoY);
    const long right = std::lrint(MotoX + Width), bottom = std::lrint(MotoY + High);
    const long dx = std::lrint(SakiX), dy = std::lrint(SakiY);
    const long w = right - left, h = bottom - top;

    // A rectangle that does not lie wholly inside the picture and the
    // screen draws nothing at all; SDL would clip it instead.
    if (w <= 0 || h <= 0) return;
    if (left < 0 || top < 0 || right > pic->w || bottom > pic->h) return;
    if (dx < 0 || dy < 0 || dx + w > kScreenW || dy + h > kScreenH) return;

    SDL_Rect src{static_cast<int>(left), static_cast<int>(top), static_cast<int>(w),
                 static_cast<int>(h)};
    SDL_Rect dst{static_cast<int>(dx), static_cast<int>(dy), static_cast<int>(w),
                 static_cast<int>(h)};
    const bool wholePicture = left == 0 && top == 0 && w == pic->w && h == pic->h;
    SDL_Surface* from = wholePicture && SurfPicWhole[IntIdx] ? SurfPicWhole[IntIdx] : pic;
    SDL_BlitSurface(from, &src, SurfBackBuf, &dst);
}

void SdlGraphics::BackLoad(const std::string& PicPath) {
    SDL_Surface* pic = Decoded(PicFile(PicPath));
    SDL_Surface* bg = nullptr;
    try {
        bg = NewScreenSurface();
    } catch (...) {
        SDL_FreeSurface(pic);
        throw;
    }
    // Any size is stretched to fill the screen.
    const int rc = (pic->w == kScreenW && pic->h == kScreenH)
                       ? SDL_BlitSurface(pic, nullptr, bg, nullptr)
                       : SDL_BlitScaled(pic, nullptr, bg, nullptr);
    SDL_FreeSurface(pic);
    if (rc != 0) {
        SDL_FreeSurface(bg);
        throw RunTimeError("cannot stretch picture " + PicFile(PicPath) + ": " + SDL_GetError());
    }
    SDL_FreeSurface(SurfBg);
    SurfBg = bg;
}

void SdlGraphics::BackDraw() {
    if (!SurfBg) throw RunTimeError("BackDraw: no backdrop has been loaded");
    SDL_BlitSurface(SurfBg, nullptr, SurfBackBuf, nullptr);
}

void SdlGraphics::UpdateScale() {
    int w = 0, h = 0;
    if (SDL_GetRendererOutputSize(renderer_, &w, &h) != 0) return;
    if (w == scaleW_ && h == scaleH_) return;
    scaleW_ = w;
    scaleH_ = h;
    // Whole-number scaling keeps the pixels square and sharp once 2x fits;
    // below that the picture is letterboxed at the largest size that fits.
    const bool whole = w >= 2 * kScreenW && h >= 2 * kScreenH;
    SDL_RenderSetIntegerScale(renderer_, whole ? SDL_TRUE : SDL_FALSE);
    SDL_RenderSetLogicalSize(renderer_, kScreenW, kScreenH);
}

void SdlGraphics::SurfFlip() {
    // Page flip: the composed frame goes on screen and the old front
    // buffer, still holding the previous frame, becomes the back buffer.
    std::swap(SurfBackBuf->pixels, SurfPrimary->pixels);
    if (!window_) return;

    // The window shows what the front page holds. A frame equal to the one
    // on screen needs no new present (menus stand still), and without
    // vertical sync presents are paced to about the display's rate, as a
    // synchronised flip would be; the next frame catches up.
    const Uint64 now = SDL_GetTicks64();
    const bool same = std::memcmp(SurfPrimary->pixels, shown_.data(), shown_.size() * 2) == 0;
    if (presented_ && (same || (!vsync_ && now - lastPresent_ < 16))) return;
    if (!renderer_) {
        PresentToWindowSurface(!presented_);
        std::memcpy(shown_.data(), SurfPrimary->pixels, shown_.size() * 2);
        presented_ = true;
        lastPresent_ = now;
        return;
    }
    std::memcpy(shown_.data(), SurfPrimary->pixels, shown_.size() * 2);
    presented_ = true;
    lastPresent_ = now;
    UpdateScale();
    if (SDL_UpdateTexture(texture_, nullptr, SurfPrimary->pixels, SurfPrimary->pitch) != 0 ||
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255) != 0 || SDL_RenderClear(renderer_) != 0 ||
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr) != 0) {
        throw RunTimeError(std::string("cannot show the frame: ") + SDL_GetError());
    }
    SDL_RenderPresent(renderer_);
}

bool SdlGraphics::NoGraphicsDevice() {
#ifdef __linux__
    // The dummy video driver has no renderer worth the name either.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::strcmp(driver, "x11") != 0 && std::strcmp(driver, "wayland") != 0)
        return false;
    return access("/dev/dri", F_OK) != 0 && access("/dev/nvidia0", F_OK) != 0;
#else
    return false;
#endif
}

bool SdlGraphics::EmulatedRenderer(const SDL_RendererInfo& info) {
    if (info.flags & SDL_RENDERER_SOFTWARE) return true;
    if (std::strncmp(info.name, "opengl", 6) != 0) return false;
    // Mesa's processor-only drivers name themselves in GL_RENDERER.
    using GetString = const unsigned char* (*)(unsigned int);
    auto glGetString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    if (!glGetString) return false;
    const unsigned char* name = glGetString(0x1F01);  // GL_RENDERER
    if (!name) return false;
    const std::string renderer(reinterpret_cast<const char*>(name));
    return renderer.find("llvmpipe") != std::string::npos ||
           renderer.find("softpipe") != std::string::npos ||
           renderer.find("Software Rasterizer") != std::string::npos;
}

void SdlGraphics::PresentToWindowSurface(bool full) {
    SDL_Surface* ws = SDL_GetWindowSurface(window_);
    if (!ws) throw RunTimeError(std::string("cannot draw into the window: ") + SDL_GetError());
    const int k = std::min(ws->w / kScreenW, ws->h / kScreenH);
    if (ws->w != scaleW_ || ws->h != scaleH_ || ws->format->format != lutFormat_) {
        full = true;
        scaleW_ = ws->w;
        scaleH_ = ws->h;
        SDL_FillRect(ws, nullptr, SDL_MapRGB(ws->format, 0, 0, 0));  // the letterbox
        if (ws->format->BytesPerPixel == 4) {
            // Every RGB565 value mapped once to the window's pixel format.
            lut_.resize(65536);
            for (Uint32 v = 0; v < 65536; ++v) {
                const Uint8 r = static_cast<Uint8>(((v >> 11) & 31) * 255 / 31);
                const Uint8 g = static_cast<Uint8>(((v >> 5) & 63) * 255 / 63);
                const Uint8 b = static_cast<Uint8>((v & 31) * 255 / 31);
                lut_[v] = SDL_MapRGB(ws->format, r, g, b);
            }
            lutFormat_ = ws->format->format;
        }
    }
    if (k < 2 || ws->format->BytesPerPixel != 4) {
        // Smaller windows: the largest picture that fits, letterboxed.
        const double scale =
            std::min(static_cast<double>(ws->w) / kScreenW, static_cast<double>(ws->h) / kScreenH);
        SDL_Rect dst{0, 0, static_cast<int>(kScreenW * scale), static_cast<int>(kScreenH * scale)};
        dst.x = (ws->w - dst.w) / 2;
        dst.y = (ws->h - dst.h) / 2;
        if (SDL_BlitScaled(SurfPrimary, nullptr, ws, &dst) != 0 ||
            SDL_UpdateWindowSurface(window_) != 0) {
            throw RunTimeError(std::string("cannot show the frame: ") + SDL_GetError());
        }
        return;
    }

    // Whole-number scaling by hand, each pixel k x k, and only the bands of
    // rows that changed since the frame on screen are sent to the window:
    // a falling pair touches a few percent of the picture.
    constexpr int kBand = 8;
    const int x0 = (ws->w - kScreenW * k) / 2, y0 = (ws->h - kScreenH * k) / 2;
    const auto* cur = static_cast<const Uint16*>(SurfPrimary->pixels);
    std::vector<SDL_Rect>& rects = dirty_;
    rects.clear();
    if (SDL_MUSTLOCK(ws)) SDL_LockSurface(ws);
    for (int band = 0; band < kScreenH; band += kBand) {
        int lo = 0, hi = kScreenW - 1;
        if (!full) {
            lo = kScreenW;
            hi = -1;
            for (int y = band; y < band + kBand; ++y) {
                const Uint16* a = cur + y * kScreenW;
                const Uint16* b = shown_.data() + y * kScreenW;
                if (std::memcmp(a, b, kScreenW * 2) == 0) continue;
                int l = 0, h = kScreenW - 1;
                while (a[l] == b[l]) ++l;
                while (a[h] == b[h]) --h;
                lo = std::min(lo, l);
                hi = std::max(hi, h);
            }
            if (hi < lo) continue;
        }
        for (int y = band; y < band + kBand; ++y) {
            const Uint16* src = cur + y * kScreenW;
            auto* first = reinterpret_cast<Uint32*>(static_cast<Uint8*>(ws->pixels) +
                                                    (y0 + y * k) * ws->pitch) +
                          x0 + lo * k;
            Uint32* out = first;
            for (int x = lo; x <= hi; ++x) {
                const Uint32 c = lut_[src[x]];
                for (int i = 0; i < k; ++i) *out++ = c;
            }
            for (int i = 1; i < k; ++i) {
                std::memcpy(reinterpret_cast<Uint8*>(first) + i * ws->pitch, first,
                            static_cast<size_t>(hi - lo + 1) * k * 4);
            }
        }
        rects.push_back({x0 + lo * k, y0 + band * k, (hi - lo + 1) * k, kBand * k});
    }
    if (SDL_MUSTLOCK(ws)) SDL_UnlockSurface(ws);
    const int rc =
        full ? SDL_UpdateWindowSurface(window_)
             : SDL_UpdateWindowSurfaceRects(window_, rects.data(), static_cast<int>(rects.size()));
    if (rc != 0) throw RunTimeError(std::string("cannot show the frame: ") + SDL_GetError());
}

void SdlGraphics::Repaint() {
    // The window was exposed or resized: show the page on screen again.
    presented_ = false;
    scaleW_ = scaleH_ = 0;
    std::swap(SurfBackBuf->pixels, SurfPrimary->pixels);
    SurfFlip();
}

void SdlGraphics::ToggleFullscreen() {
    if (!window_) return;
    const bool full = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    if (!full) {
        SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
        return;
    }
    SDL_SetWindowFullscreen(window_, 0);
    SDL_Rect usable{0, 0, kScreenW, kScreenH};
    SDL_GetDisplayUsableBounds(SDL_GetWindowDisplayIndex(window_), &usable);
    int k = 1;
    // Leave room for the window's title bar and frame.
    constexpr int kDecoration = 64;
    while ((k + 1) * kScreenW <= usable.w && (k + 1) * kScreenH + kDecoration <= usable.h) ++k;
    SDL_SetWindowSize(window_, k * kScreenW, k * kScreenH);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    presented_ = false;
    scaleW_ = scaleH_ = 0;
}

void SdlGraphics::EndIt() {
    if (window_) SDL_SetWindowFullscreen(window_, 0);
    SDL_ShowCursor(SDL_ENABLE);
    plat_.End(0);
    std::abort();  // not reached: the platform ends the program
}

}  // namespace sw
