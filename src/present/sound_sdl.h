// The sound layer on SDL2_mixer: eleven slots, each a mixer channel of its
// own, so a slot is one voice. The music slot is the exception: it holds a
// stream opened on its file (SDL_mixer's music), decoded as it plays, so a
// long tune never sits whole in memory.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <array>
#include <memory>
#include <string>

#include "game/interfaces.h"
#include "game/state.h"

namespace sw {

struct ChunkFree {
    void operator()(Mix_Chunk* c) const { Mix_FreeChunk(c); }
};
using ChunkPtr = std::unique_ptr<Mix_Chunk, ChunkFree>;
struct MusicFree {
    void operator()(Mix_Music* m) const { Mix_FreeMusic(m); }
};
using MusicPtr = std::unique_ptr<Mix_Music, MusicFree>;

class SdlSound : public ISound {
  public:
    explicit SdlSound(IPlatform& platform) : plat_(platform) {}
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    // Opens the default output device. Without one the game plays on
    // silent, and says so once on stderr: the mixer plays to the fallback
    // driver (SDL's dummy one, which sounds nowhere), or, where even that
    // will not open, there is no mixer and the slots only check their
    // files. Either way a missing or damaged sound file is an error.
    void Open(const char* fallback = "dummy");
    bool IsOpen() const { return device_.open; }

    void SubWaveLoad(int16_t IntIdx, const std::string& StrFile) override;
    void SubWavePlay(int16_t IntIdx, const std::string& StrOpt) override;
    void SubWaveStop(int16_t IntIdx) override;

    bool Sounding(int16_t IntIdx) const;

#ifdef __EMSCRIPTEN__
    // The page has put a tune in the program folder that was still on its
    // way when the game loaded it: it is loaded now, and plays at once if
    // the game has asked for it meanwhile. True when the music sounds.
    bool TuneArrived();
#endif

  private:
    bool OpenDevice(std::string& why);
    void LoadSilent(int16_t IntIdx, const std::string& path);
    void LoadMusic(const std::string& path);
    void PlayMusic(int loops);

    // The open device, closed when the layer goes: after the sounds, which
    // are declared after it and so released first.
    struct Device {
        bool open = false;
        Device() = default;
        Device(const Device&) = delete;
        Device& operator=(const Device&) = delete;
        ~Device();
    };

    IPlatform& plat_;
    Device device_;
    std::array<ChunkPtr, kWaveSlots> BufWave;
    MusicPtr music_;  // the music slot's stream
    // No mixer at all: the slots that have been loaded, for the checks.
    bool silent_ = false;
    std::array<bool, kWaveSlots> silentLoaded_{};
#ifdef __EMSCRIPTEN__
    // A tune the page is still fetching: its path, and the loops of the
    // play asked for meanwhile (kNoPlay while none is).
    static constexpr int kNoPlay = -2;
    std::string coming_;
    int comingLoops_ = kNoPlay;
#endif
};

}  // namespace sw
