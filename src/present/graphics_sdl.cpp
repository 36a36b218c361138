#include "present/graphics_sdl.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string_view>
#include <thread>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

// The page's side (web/library.js): the rectangle (x, y, w, h) of the
// canvas's picture, width x height RGBA pixels at pixels.
extern "C" void sw_page_canvas(const void* pixels, int width, int height, int x, int y, int w,
                               int h);
#endif

#include "game/errors.h"
#include "platform/files.h"

namespace sw {

namespace {

// No picture of the game is larger than the screen; a generous limit.
constexpr long long kMaxPictureSide = 4096;
#ifdef __EMSCRIPTEN__
constexpr Uint32 kOpaque = 0xFF000000u;
#else
constexpr Uint32 kOpaque = 0;
#endif

std::string SdlError(const std::string& what) {
    return what + ": " + SDL_GetError();
}

SurfacePtr NewScreenSurface() {
    SurfacePtr s(SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 16, SDL_PIXELFORMAT_RGB565));
    if (!s) throw RunTimeError(SdlError("cannot create a 640 x 480 surface"));
    return s;
}

void CheckSlot(int16_t IntIdx, const char* what) {
    if (IntIdx < 0 || IntIdx >= kPicSlots) {
        throw RunTimeError(std::string("index out of range: ") + what + " picture slot " +
                           std::to_string(IntIdx) + " not in 0 to 19");
    }
}

int KeyedPixels(const SDL_Surface* s, Uint16 key) {
    int n = 0;
    for (int y = 0; y < s->h; ++y) {
        const auto* row =
            reinterpret_cast<const Uint16*>(static_cast<const Uint8*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < s->w; ++x) n += row[x] == key;
    }
    return n;
}

}  // namespace

SurfacePtr DecodeBitmap565(SDL_RWops* data, const std::string& name) {
    // Look at the header's size first: a damaged file can claim a picture
    // so large that decoding it would take all the memory there is.
    if (!data) throw RunTimeError(SdlError("cannot read picture " + name));
    std::unique_ptr<SDL_RWops, SdlFree> stream(data);
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
            throw RunTimeError("picture " + name + " claims to be " + std::to_string(w) + " x " +
                               std::to_string(h) + " pixels, more than " +
                               std::to_string(kMaxPictureSide) + " a side: the file is damaged");
        }
    }
    SurfacePtr raw(SDL_LoadBMP_RW(stream.release(), 1));
    if (!raw) throw RunTimeError(SdlError("cannot read picture " + name));
    if (raw->w <= 0 || raw->h <= 0) throw RunTimeError("picture " + name + " is empty");
    SurfacePtr converted(SDL_ConvertSurfaceFormat(raw.get(), SDL_PIXELFORMAT_RGB565, 0));
    if (!converted) throw RunTimeError(SdlError("cannot convert picture " + name));
    return converted;
}

namespace {

// A picture file's bytes, read whole.
std::string ReadPicture(const std::string& path) {
    std::ifstream file(Utf8Path(path), std::ios::binary);
    if (!file) throw RunTimeError("cannot open picture " + path + ": " + std::strerror(errno));
    std::ostringstream bytes;
    bytes << file.rdbuf();
    if (file.bad()) throw RunTimeError("cannot read picture " + path + ": " + std::strerror(errno));
    return std::move(bytes).str();
}

// How far file times may lag the clock: the coarsest clock a file system
// keeps them by (FAT's two seconds). A file changed within this of being
// read may change again under the same time.
constexpr auto kFileClockSlack = std::chrono::seconds(2);

}  // namespace

SdlGraphics::SdlGraphics(IPlatform& platform)
    : plat_(platform),
      pages_{std::vector<Uint16>(kScreenW * kScreenH), std::vector<Uint16>(kScreenW * kScreenH)} {
    // The two pages are our own memory under two fixed surfaces; a flip
    // exchanges the memory, so every blit keeps the same destination and
    // SDL never has to rebuild its blit mappings.
    for (int i = 0; i < 2; ++i) {
        pageSurf_[i].reset(SDL_CreateRGBSurfaceWithFormatFrom(
            pages_[i].data(), kScreenW, kScreenH, 16, kScreenW * 2, SDL_PIXELFORMAT_RGB565));
        if (!pageSurf_[i]) throw RunTimeError(SdlError("cannot create the screen pages"));
    }
    SurfBackBuf = pageSurf_[0].get();
    SurfPrimary = pageSurf_[1].get();
}

SdlGraphics::~SdlGraphics() = default;

const SdlGraphics::CacheEntry& SdlGraphics::Decoded(const std::string& path) {
    // The logo is loaded again on every tick; a file with the size and
    // the modification time it had when last decoded is taken from memory,
    // while a file that has gone or changed is read again and fails as it
    // should. Times are only as fine as the file system keeps them (a
    // whole second on some), so a file read within that long of its last
    // change is compared by content until its time is safely past.
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path file = Utf8Path(path);
    const std::uintmax_t size = fs::file_size(file, ec);
    fs::file_time_type mtime{};
    if (!ec) mtime = fs::last_write_time(file, ec);
    if (ec) throw RunTimeError("cannot open picture " + path + ": " + ec.message());
    auto it = cache_.find(path);
    const bool same = it != cache_.end() && it->second.size == size && it->second.mtime == mtime;
    if (same && !it->second.recent) return it->second;
    const std::string bytes = ReadPicture(path);
    const size_t sum = std::hash<std::string_view>{}(bytes);
    const bool recent = fs::file_time_type::clock::now() - mtime < kFileClockSlack;
    if (same && it->second.sum == sum) {
        it->second.recent = recent;
        return it->second;
    }
    SurfacePtr fresh =
        DecodeBitmap565(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), path);
    return cache_
        .insert_or_assign(path,
                          CacheEntry{size, mtime, recent, sum, std::move(fresh), ++decodings_})
        .first->second;
}

int StartDisplay() {
#if defined(__unix__) && !defined(__EMSCRIPTEN__)
    // The game reads keys, never text: Xlib need not read the locale's table
    // of compose sequences (thousands of lines, most of the display's
    // start-up under X11), unless the player named one. Programs the game
    // starts (the message box) get the environment as it was.
    const bool quiet = !SDL_WasInit(SDL_INIT_VIDEO) && std::getenv("XCOMPOSEFILE") == nullptr;
    if (quiet) setenv("XCOMPOSEFILE", "/dev/null", 1);
    const int rc = SDL_InitSubSystem(SDL_INIT_VIDEO);
    if (quiet) unsetenv("XCOMPOSEFILE");
    return rc;
#else
    return SDL_InitSubSystem(SDL_INIT_VIDEO);
#endif
}

std::string SdlGraphics::PicFile(const std::string& name) {
    return plat_.AppPath() + "pic/" + name;
}

void SdlGraphics::init() {
    if (!SDL_WasInit(SDL_INIT_VIDEO) && StartDisplay() != 0) {
        throw RunTimeError(SdlError("cannot start the display"));
    }
    // Never a real mode change: a desktop-size window, the picture scaled.
    // Out of fullscreen the window can be resized, never below the picture.
#ifdef __EMSCRIPTEN__
    // In the browser the canvas holds the picture pixel for pixel; the page
    // scales it (crisp, in whole steps where it can) and goes full screen.
    constexpr Uint32 kWindowFlags = 0;
#else
    constexpr Uint32 kWindowFlags = SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_RESIZABLE;
#endif
    window_.reset(SDL_CreateWindow("Seven Well", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   kScreenW, kScreenH, kWindowFlags));
    if (!window_) throw RunTimeError(SdlError("cannot open the window"));
    SDL_SetWindowMinimumSize(window_.get(), kScreenW, kScreenH);
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    // Without graphics hardware any renderer would be emulated on the
    // processor, at many times the cost of drawing the scaled picture into
    // the window ourselves through the window system's shared images.
#ifdef __EMSCRIPTEN__
    bool emulated = true;  // a 2D canvas: no renderer needed
#else
    bool emulated = NoGraphicsDevice();
#endif
    if (!emulated) {
        renderer_.reset(SDL_CreateRenderer(window_.get(), -1, SDL_RENDERER_PRESENTVSYNC));
        if (!renderer_) renderer_.reset(SDL_CreateRenderer(window_.get(), -1, 0));
        if (!renderer_) throw RunTimeError(SdlError("cannot create a renderer"));
        SDL_RendererInfo info;
        if (SDL_GetRendererInfo(renderer_.get(), &info) == 0) {
            vsync_ = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
            emulated = EmulatedRenderer(info);
        }
    }
    if (emulated) {
        renderer_.reset();
        vsync_ = false;
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        if (!SDL_GetWindowSurface(window_.get())) {
            throw RunTimeError(SdlError("cannot draw into the window"));
        }
    } else {
        if (SDL_RenderSetLogicalSize(renderer_.get(), kScreenW, kScreenH) != 0) {
            throw RunTimeError(SdlError("cannot set the 640 x 480 picture"));
        }
        texture_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_RGB565,
                                         SDL_TEXTUREACCESS_STREAMING, kScreenW, kScreenH));
        if (!texture_) throw RunTimeError(SdlError("cannot create the screen texture"));
    }
    UpdateRefreshRate();

    // The first frame is the white backdrop.
    BackLoad("white.bmp");
    BackDraw();
    SurfFlip();
}

void SdlGraphics::UpdateRefreshRate() {
    // A flip without vertical sync waits one refresh period of the display
    // itself; the off-screen drivers of tests and tools have no display to
    // wait for.
    pace_ = std::chrono::nanoseconds(0);
#ifdef __EMSCRIPTEN__
    return;  // the browser's animation frames pace the loop
#endif
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!window_ || vsync_ || !driver || std::strcmp(driver, "dummy") == 0 ||
        std::strcmp(driver, "offscreen") == 0) {
        return;
    }
    int hz = 0;
    SDL_DisplayMode mode;
    const int display = SDL_GetWindowDisplayIndex(window_.get());
    if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0) hz = mode.refresh_rate;
    if (hz < 24 || hz > 500) hz = 60;  // unknown, or not believable
    pace_ = std::chrono::nanoseconds(1000000000LL / hz);
}

void SdlGraphics::Retire(SurfacePtr& s) {
    // A frame written down but not yet composed may still copy from it.
    if (deferred_ && s) retired_.push_back(std::move(s));
    s.reset();
}

void SdlGraphics::PicLoad(int16_t IntIdx, const std::string& PicPath, int16_t Touka) {
    CheckSlot(IntIdx, "PicLoad");
    const CacheEntry& file = Decoded(PicFile(PicPath));
    // Any nonzero Touka makes black transparent; zero keys out the one
    // saturated blue 0x00FF instead.
    const Uint16 key = Touka != 0 ? 0x0000 : 0x00FF;
    const Uint64 id = file.id * 2 + (Touka != 0);
    // The same picture with the same key again (the logo, every tick)
    // changes nothing.
    if (SurfPic[IntIdx] && picId_[IntIdx] == id) return;
    SurfacePtr pic(SDL_DuplicateSurface(file.surface.get()));
    if (!pic) throw RunTimeError(SdlError("cannot copy picture " + PicFile(PicPath)));
    SDL_SetColorKey(pic.get(), SDL_TRUE, key);
    // A picture with much transparency gets a run-length encoded twin for
    // copies of the whole picture (the full-screen frame and panels): it
    // skips transparent runs and copies opaque runs whole. Small cuts use
    // the plain surface, where RLE would have to decode its way down to the
    // cut's first row every time.
    SurfacePtr whole;
    if (KeyedPixels(pic.get(), key) * 8 >= pic->w * pic->h) {
        whole.reset(SDL_DuplicateSurface(pic.get()));
        if (!whole) throw RunTimeError(SdlError("cannot copy picture " + PicFile(PicPath)));
        SDL_SetSurfaceRLE(whole.get(), 1);
    }
    // Only a picture read whole replaces what the slot held.
    Retire(SurfPic[IntIdx]);
    Retire(SurfPicWhole[IntIdx]);
    SurfPic[IntIdx] = std::move(pic);
    SurfPicWhole[IntIdx] = std::move(whole);
    picId_[IntIdx] = id;
}

void SdlGraphics::PicDraw(int16_t IntIdx, double MotoX, double MotoY, double SakiX, double SakiY,
                          double High, double Width) {
    CheckSlot(IntIdx, "PicDraw");
    SDL_Surface* pic = SurfPic[IntIdx].get();
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

    const SDL_Rect src{static_cast<int>(left), static_cast<int>(top), static_cast<int>(w),
                       static_cast<int>(h)};
    const SDL_Rect dst{static_cast<int>(dx), static_cast<int>(dy), static_cast<int>(w),
                       static_cast<int>(h)};
    const bool wholePicture = left == 0 && top == 0 && w == pic->w && h == pic->h;
    SDL_Surface* from = wholePicture && SurfPicWhole[IntIdx] ? SurfPicWhole[IntIdx].get() : pic;
    const Draw d{picId_[IntIdx], pic, from, src, dst};
    if (!deferred_) {
        // Drawn straight onto the back buffer, which no longer holds the
        // frame before last.
        Blit(d, nullptr);
        backFrame_.known = false;
    }
    if (frame_.known) frame_.draws.push_back(d);
}

void SdlGraphics::Blit(const Draw& d, const SDL_Rect* clip) {
    SDL_Rect src = d.src, dst = d.dst;
    SDL_Surface* from = d.from;
    if (clip) {
        SDL_Rect part;
        if (!SDL_IntersectRect(&d.dst, clip, &part)) return;
        if (part.w != dst.w || part.h != dst.h) from = d.plain;
        src = {src.x + part.x - dst.x, src.y + part.y - dst.y, part.w, part.h};
        dst = part;
    }
    SDL_BlitSurface(from, &src, SurfBackBuf, &dst);
}

void SdlGraphics::BackLoad(const std::string& PicPath) {
    const CacheEntry& file = Decoded(PicFile(PicPath));
    if (SurfBg && bgId_ == file.id) return;
    SDL_Surface* pic = file.surface.get();
    SurfacePtr bg = NewScreenSurface();
    // Any size is stretched to fill the screen.
    const int rc = (pic->w == kScreenW && pic->h == kScreenH)
                       ? SDL_BlitSurface(pic, nullptr, bg.get(), nullptr)
                       : SDL_BlitScaled(pic, nullptr, bg.get(), nullptr);
    if (rc != 0) throw RunTimeError(SdlError("cannot stretch picture " + PicFile(PicPath)));
    Retire(SurfBg);
    SurfBg = std::move(bg);
    bgId_ = file.id;
}

void SdlGraphics::BackDraw() {
    if (!SurfBg) throw RunTimeError("BackDraw: no backdrop has been loaded");
    // The backdrop covers everything drawn before it: the frame starts
    // here, and is only written down until the flip.
    frame_.known = true;
    frame_.bg = bgId_;
    frame_.bgSurf = SurfBg.get();
    frame_.draws.clear();
    deferred_ = true;
}

SDL_Surface* SdlGraphics::Composed() {
    if (deferred_) {
        Recompose(nullptr);
        deferred_ = false;
        retired_.clear();
        backFrame_.known = false;
    }
    return SurfBackBuf;
}

void SdlGraphics::Recompose(const std::vector<SDL_Rect>* areas) {
    if (!areas) {
        SDL_BlitSurface(frame_.bgSurf, nullptr, SurfBackBuf, nullptr);
        for (const Draw& d : frame_.draws) Blit(d, nullptr);
        return;
    }
    for (const SDL_Rect& a : *areas) {
        SDL_Rect src = a, dst = a;
        SDL_BlitSurface(frame_.bgSurf, &src, SurfBackBuf, &dst);
        for (const Draw& d : frame_.draws) Blit(d, &a);
    }
}

bool SdlGraphics::Differences(const Frame& a, const Frame& b, std::vector<SDL_Rect>& out) {
    // Where two frames over the same backdrop may differ. The draws found
    // in both, in the same order, put the same pixels wherever no other
    // draw touches: only the rectangles of the draws left over can differ.
    // Matching walks both lists together, and past an inserted or removed
    // draw looks a little ahead for the next pair.
    out.clear();
    if (!a.known || !b.known || a.bg != b.bg) return false;
    constexpr size_t kAhead = 24;
    const std::vector<Draw>&da = a.draws, &db = b.draws;
    size_t i = 0, j = 0;
    auto add = [&out](const SDL_Rect& r) {
        SDL_Rect m = r;
        // Overlapping areas become one, so no pixel is composed twice.
        for (size_t k = 0; k < out.size();) {
            if (SDL_HasIntersection(&m, &out[k])) {
                SDL_UnionRect(&m, &out[k], &m);
                out[k] = out.back();
                out.pop_back();
                k = 0;
            } else {
                ++k;
            }
        }
        out.push_back(m);
    };
    while (i < da.size() && j < db.size()) {
        if (da[i] == db[j]) {
            ++i;
            ++j;
            continue;
        }
        size_t skipA = kAhead, skipB = kAhead;
        for (size_t k = 1; k < kAhead && i + k < da.size(); ++k)
            if (da[i + k] == db[j]) {
                skipA = k;
                break;
            }
        for (size_t k = 1; k < kAhead && j + k < db.size(); ++k)
            if (db[j + k] == da[i]) {
                skipB = k;
                break;
            }
        if (skipA < kAhead && skipA <= skipB) {
            while (skipA-- > 0) add(da[i++].dst);
        } else if (skipB < kAhead) {
            while (skipB-- > 0) add(db[j++].dst);
        } else {
            add(da[i++].dst);
            add(db[j++].dst);
        }
    }
    while (i < da.size()) add(da[i++].dst);
    while (j < db.size()) add(db[j++].dst);
    return true;
}

void SdlGraphics::SurfFlip() {
    // Only the areas where this frame's draws differ from those of the
    // frame the back buffer holds (the one before last) are composed.
    if (deferred_) {
        const bool alike = incremental && Differences(backFrame_, frame_, areas_);
        Recompose(alike ? &areas_ : nullptr);
        deferred_ = false;
    }
    retired_.clear();
    const bool seen = incremental && window_ && Differences(shownFrame_, frame_, shownAreas_);
    // Page flip: the composed frame goes on screen and the old front
    // buffer, still holding the previous frame, becomes the back buffer.
    std::swap(SurfBackBuf->pixels, SurfPrimary->pixels);
    std::swap(backFrame_, shownFrame_);
    std::swap(shownFrame_, frame_);
    frame_.known = false;
    frame_.draws.clear();
    if (!window_) return;
    if (pace_.count() > 0) {
        // A synchronised flip shows the frame at the display's next
        // refresh: without vertical sync, wait until one refresh period has
        // passed since the previous flip, so a drawing tick lasts at least
        // that long on every machine.
        const auto due = lastFlip_ + pace_;
        auto now = std::chrono::steady_clock::now();
        if (now < due) {
            std::this_thread::sleep_until(due);
            now = due;
        }
        lastFlip_ = now;
    }
    Present(seen ? &shownAreas_ : nullptr);
}

void SdlGraphics::Present(const std::vector<SDL_Rect>* areas) {
    // Every flip reaches the screen; only the areas that can have changed
    // since the frame on screen send pixels.
    if (!presented_) areas = nullptr;
    if (renderer_) {
        PresentWithRenderer(areas);
    } else {
        PresentToWindowSurface(areas);
    }
    presented_ = true;
}

bool SdlGraphics::PresentWithRenderer(const std::vector<SDL_Rect>* areas) {
    int w = 0, h = 0;
    const bool windowed = !Fullscreen();
    if (SDL_GetRendererOutputSize(renderer_.get(), &w, &h) == 0 &&
        (w != scaleW_ || h != scaleH_ || windowed != scaleWindowed_)) {
        scaleW_ = w;
        scaleH_ = h;
        scaleWindowed_ = windowed;
        box_ = PictureBox(w, h, windowed);
        const bool whole = box_.w % kScreenW == 0 && box_.h % kScreenH == 0;
        SDL_RenderSetIntegerScale(renderer_.get(), whole ? SDL_TRUE : SDL_FALSE);
        SDL_RenderSetLogicalSize(renderer_.get(), kScreenW, kScreenH);
    }
    const auto* pixels = static_cast<const Uint8*>(SurfPrimary->pixels);
    const int pitch = SurfPrimary->pitch;
    bool failed = false;
    if (!areas) {
        failed = SDL_UpdateTexture(texture_.get(), nullptr, pixels, pitch) != 0;
    } else {
        for (const SDL_Rect& r : *areas)
            failed |=
                SDL_UpdateTexture(texture_.get(), &r, pixels + r.y * pitch + r.x * 2, pitch) != 0;
    }
    if (failed) throw RunTimeError(SdlError("cannot show the frame"));
    // The renderer's back buffer is undefined after a present: draw it all.
    if (SDL_SetRenderDrawColor(renderer_.get(), 0, 0, 0, 255) != 0 ||
        SDL_RenderClear(renderer_.get()) != 0 ||
        SDL_RenderCopy(renderer_.get(), texture_.get(), nullptr, nullptr) != 0) {
        throw RunTimeError(SdlError("cannot show the frame"));
    }
    SDL_RenderPresent(renderer_.get());
    return !areas || !areas->empty();
}

bool SdlGraphics::PresentToWindowSurface(const std::vector<SDL_Rect>* areas) {
    SDL_Surface* ws = SDL_GetWindowSurface(window_.get());
    if (!ws) throw RunTimeError(SdlError("cannot draw into the window"));
    const int bytes = ws->format->BytesPerPixel;
    const bool windowed = !Fullscreen();
    if (ws->w != scaleW_ || ws->h != scaleH_ || windowed != scaleWindowed_ ||
        ws->format->format != lutFormat_) {
        areas = nullptr;
        scaleW_ = ws->w;
        scaleH_ = ws->h;
        scaleWindowed_ = windowed;
        scaler_.Plan(ws->w, ws->h, windowed);
        box_ = scaler_.Picture();
        if (ws->format->format != lutFormat_) {
            // Every RGB565 value mapped once to the window's pixel format
            // (in the browser with an opaque alpha byte, as the canvas's
            // image data wants it).
            lut_.resize(65536);
            for (Uint32 v = 0; v < 65536; ++v) {
                const Uint8 r = static_cast<Uint8>(((v >> 11) & 31) * 255 / 31);
                const Uint8 g = static_cast<Uint8>(((v >> 5) & 63) * 255 / 63);
                const Uint8 b = static_cast<Uint8>((v & 31) * 255 / 31);
                lut_[v] = SDL_MapRGB(ws->format, r, g, b) | kOpaque;
            }
            lutFormat_ = ws->format->format;
        }
    }
    if (bytes != 2 && bytes != 4) {
        // Palette and three-byte windows are left to SDL's own blitter.
        SDL_Rect dst{box_.x, box_.y, box_.w, box_.h};
        if ((!areas && SDL_FillRect(ws, nullptr, SDL_MapRGB(ws->format, 0, 0, 0)) != 0) ||
            SDL_BlitScaled(SurfPrimary, nullptr, ws, &dst) != 0 ||
            SDL_UpdateWindowSurface(window_.get()) != 0) {
            throw RunTimeError(SdlError("cannot show the frame"));
        }
        return true;
    }

    // The table scaler writes only the areas that changed since the frame
    // on screen, and only those go to the window: a falling pair touches a
    // few percent of the picture.
    const auto* frame = static_cast<const Uint16*>(SurfPrimary->pixels);
    if (SDL_MUSTLOCK(ws)) SDL_LockSurface(ws);
    if (!areas) {
        scaler_.Copy(frame, nullptr, lut_.data(), ws->pixels, ws->pitch, bytes, boxes_);
    } else {
        boxes_.clear();
        for (const SDL_Rect& r : *areas)
            scaler_.CopyArea(frame, {r.x, r.y, r.w, r.h}, lut_.data(), ws->pixels, ws->pitch, bytes,
                             boxes_);
    }
    if (SDL_MUSTLOCK(ws)) SDL_UnlockSurface(ws);
#ifdef __EMSCRIPTEN__
    // The page's canvas takes only the changed rectangles; a frame with
    // nothing changed sends nothing at all.
    if (ws->pitch == ws->w * 4) {
        for (const Box& b : boxes_) sw_page_canvas(ws->pixels, ws->w, ws->h, b.x, b.y, b.w, b.h);
        return !boxes_.empty();
    }
#endif
    dirty_.clear();
    for (const Box& b : boxes_) dirty_.push_back({b.x, b.y, b.w, b.h});
    const int rc = !areas ? SDL_UpdateWindowSurface(window_.get())
                          : SDL_UpdateWindowSurfaceRects(window_.get(), dirty_.data(),
                                                         static_cast<int>(dirty_.size()));
    if (rc != 0) throw RunTimeError(SdlError("cannot show the frame"));
    return true;
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

bool SdlGraphics::Fullscreen() const {
    return window_ && (SDL_GetWindowFlags(window_.get()) & SDL_WINDOW_FULLSCREEN) != 0;
}

Box SdlGraphics::PictureInWindow() const {
    return box_;
}

void SdlGraphics::Repaint() {
    // The window was exposed or resized: show the page on screen again,
    // laid out afresh.
    if (!window_) return;
    // A window manager may let a program's resize go below the window's
    // minimum: ask once for the minimum back. One that insists gets the
    // picture shrunk to fit.
    int w = 0, h = 0;
    SDL_GetWindowSize(window_.get(), &w, &h);
    if (!Fullscreen() && (w < kScreenW || h < kScreenH) && (w != refusedW_ || h != refusedH_)) {
        refusedW_ = w;
        refusedH_ = h;
        SDL_SetWindowSize(window_.get(), std::max(w, kScreenW), std::max(h, kScreenH));
    }
    scaleW_ = scaleH_ = 0;
    Present(nullptr);
}

void SdlGraphics::ToggleFullscreen() {
    if (!window_) return;
#ifdef __EMSCRIPTEN__
    EM_ASM(Module.swToggleFullscreen && Module.swToggleFullscreen());
    return;
#endif
    scaleW_ = scaleH_ = 0;
    if (!Fullscreen()) {
        SDL_SetWindowFullscreen(window_.get(), SDL_WINDOW_FULLSCREEN_DESKTOP);
        UpdateRefreshRate();
        return;
    }
    SDL_SetWindowFullscreen(window_.get(), 0);
    SDL_Rect usable{0, 0, kScreenW, kScreenH};
    SDL_GetDisplayUsableBounds(SDL_GetWindowDisplayIndex(window_.get()), &usable);
    int k = 1;
    // Leave room for the window's title bar and frame.
    constexpr int kDecoration = 64;
    while ((k + 1) * kScreenW <= usable.w && (k + 1) * kScreenH + kDecoration <= usable.h) ++k;
    SDL_SetWindowSize(window_.get(), k * kScreenW, k * kScreenH);
    SDL_SetWindowPosition(window_.get(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    UpdateRefreshRate();
}

void SdlGraphics::EndIt() {
    if (window_) SDL_SetWindowFullscreen(window_.get(), 0);
    SDL_ShowCursor(SDL_ENABLE);
    plat_.End(0);
    std::abort();  // not reached: the platform ends the program
}

}  // namespace sw
