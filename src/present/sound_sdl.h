// The sound layer on SDL2_mixer: eleven slots, each a mixer channel of its
// own, so a slot is one voice.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <array>
#include <string>

#include "game/interfaces.h"
#include "game/state.h"

namespace sw {

class SdlSound : public ISound {
  public:
    explicit SdlSound(IPlatform& platform) : plat_(platform) {}
    ~SdlSound() override;
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    // Opens the default output device; a failure is a run-time error.
    void Open();
    bool IsOpen() const { return open_; }

    void SubWaveLoad(int16_t IntIdx, const std::string& StrFile) override;
    void SubWavePlay(int16_t IntIdx, const std::string& StrOpt) override;
    void SubWaveStop(int16_t IntIdx) override;

    bool Sounding(int16_t IntIdx) const;

    std::array<Mix_Chunk*, kWaveSlots> BufWave{};

  private:
    IPlatform& plat_;
    bool open_ = false;
};

}  // namespace sw
