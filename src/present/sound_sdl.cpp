#include "present/sound_sdl.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "game/errors.h"

namespace sw {

namespace {

void CheckSlot(int16_t IntIdx, const char* what) {
    if (IntIdx < 0 || IntIdx >= kWaveSlots) {
        throw RunTimeError(std::string("index out of range: ") + what + " sound slot " +
                           std::to_string(IntIdx) + " not in 0 to 10");
    }
}

}  // namespace

SdlSound::Device::~Device() {
    if (open) Mix_CloseAudio();
}

void SdlSound::Open() {
    if (device_.open) return;
    if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        throw RunTimeError(std::string("cannot start the sound system: ") + SDL_GetError());
    }
    // A wave file cut short is damaged, not a shorter sound.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "strict");
    SDL_SetHint(SDL_HINT_WAVE_FACT_CHUNK, "strict");
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
        throw RunTimeError(std::string("cannot open the sound device: ") + Mix_GetError());
    }
    Mix_AllocateChannels(kWaveSlots);
    device_.open = true;
}

void SdlSound::SubWaveLoad(int16_t IntIdx, const std::string& StrFile) {
    CheckSlot(IntIdx, "SubWaveLoad");
    if (!device_.open) throw RunTimeError("SubWaveLoad: the sound device is not open");
    const std::string path = plat_.AppPath() + "sound/" + StrFile;
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (!probe) throw RunTimeError("cannot open sound " + path + ": " + std::strerror(errno));
    std::fclose(probe);
    ChunkPtr chunk(Mix_LoadWAV(path.c_str()));
    if (!chunk) throw RunTimeError("cannot read sound " + path + ": " + Mix_GetError());
    // Whatever the slot held falls silent and goes.
    Mix_HaltChannel(IntIdx);
    BufWave[IntIdx] = std::move(chunk);
}

void SdlSound::SubWavePlay(int16_t IntIdx, const std::string& StrOpt) {
    CheckSlot(IntIdx, "SubWavePlay");
    if (!BufWave[IntIdx])
        throw RunTimeError("SubWavePlay: sound slot " + std::to_string(IntIdx) + " is empty");
    // A slot still sounding goes on: no restart, no second voice.
    if (Mix_Playing(IntIdx)) return;
    const int loops = StrOpt == "LOOP" ? -1 : 0;
    if (Mix_PlayChannel(IntIdx, BufWave[IntIdx].get(), loops) < 0) {
        throw RunTimeError("cannot play sound slot " + std::to_string(IntIdx) + ": " +
                           Mix_GetError());
    }
}

void SdlSound::SubWaveStop(int16_t IntIdx) {
    CheckSlot(IntIdx, "SubWaveStop");
    if (!BufWave[IntIdx])
        throw RunTimeError("SubWaveStop: sound slot " + std::to_string(IntIdx) + " is empty");
    // Halting a channel also rewinds it: the next play starts at the top.
    Mix_HaltChannel(IntIdx);
}

bool SdlSound::Sounding(int16_t IntIdx) const {
    CheckSlot(IntIdx, "Sounding");
    return device_.open && Mix_Playing(IntIdx) != 0;
}

}  // namespace sw
