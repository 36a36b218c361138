// The sound layer on SDL2_mixer: eleven slots, each a mixer channel of its
// own, so a slot is one voice.
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

class SdlSound : public ISound {
  public:
    explicit SdlSound(IPlatform& platform) : plat_(platform) {}
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    // Opens the default output device; a failure is a run-time error.
    void Open();
    bool IsOpen() const { return device_.open; }

    void SubWaveLoad(int16_t IntIdx, const std::string& StrFile) override;
    void SubWavePlay(int16_t IntIdx, const std::string& StrOpt) override;
    void SubWaveStop(int16_t IntIdx) override;

    bool Sounding(int16_t IntIdx) const;

  private:
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
};

}  // namespace sw
