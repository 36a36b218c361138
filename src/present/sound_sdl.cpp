#include "present/sound_sdl.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "game/errors.h"
#include "platform/files.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#include <unistd.h>

#include "platform/sdl_platform.h"
#endif

namespace sw {

namespace {

void CheckSlot(int16_t IntIdx, const char* what) {
    if (IntIdx < 0 || IntIdx >= kWaveSlots) {
        throw RunTimeError(std::string("index out of range: ") + what + " sound slot " +
                           std::to_string(IntIdx) + " not in 0 to 10");
    }
}

// Opens the file to see that it is there, and reads what a wave file says
// of its own size: a stream only reads its file as it plays, so a tune cut
// short must be caught here, at load, like every other damaged sound.
// Returns the file's first four bytes, which say what kind of sound it is.
std::string CheckFile(const std::string& path) {
    std::ifstream f(Utf8Path(path), std::ios::binary);
    if (!f) throw RunTimeError("cannot open sound " + path + ": " + std::strerror(errno));
    unsigned char head[8] = {};
    f.read(reinterpret_cast<char*>(head), 8);
    const bool riff = f.gcount() == 8 && std::memcmp(head, "RIFF", 4) == 0;
    f.clear();
    f.seekg(0, std::ios::end);
    const long long size = f.tellg();
    const long long told =
        head[4] | head[5] << 8 | head[6] << 16 | static_cast<long long>(head[7]) << 24;
    if (riff && size < told + 8) {
        throw RunTimeError("cannot read sound " + path + ": the file is cut short (" +
                           std::to_string(size) + " of " + std::to_string(told + 8) + " bytes)");
    }
    return std::string(reinterpret_cast<const char*>(head), 4);
}

#ifdef __EMSCRIPTEN__
// The page's answer: is this tune one it is still fetching?
EM_JS(int, sw_tune_coming, (const char* path),
      { return Module.swTuneComing && Module.swTuneComing(UTF8ToString(path)) ? 1 : 0; });

// Tells the page the game waits for a tune still on its way.
EM_JS(void, sw_tune_waiting, (), {
    if (Module.swTuneWaiting) Module.swTuneWaiting();
});

SdlSound* webSound = nullptr;
#endif

}  // namespace

SdlSound::Device::~Device() {
    if (open) Mix_CloseAudio();
}

void SdlSound::Open(const char* fallback) {
    if (device_.open || silent_) return;
    // A wave file cut short is damaged, not a shorter sound.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "strict");
    SDL_SetHint(SDL_HINT_WAVE_FACT_CHUNK, "strict");
    std::string why;
    if (OpenDevice(why)) return;
    // A machine with nothing to play sound on (no device plugged in, a
    // browser without Web Audio) still plays the game, silent.
    std::fprintf(stderr, "Seven Well plays without sound: %s\n", why.c_str());
    std::fflush(stderr);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, fallback, SDL_HINT_OVERRIDE);
    silent_ = !OpenDevice(why);
}

bool SdlSound::OpenDevice(std::string& why) {
    if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        why = std::string("cannot start the sound system: ") + SDL_GetError();
        return false;
    }
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
        why = std::string("cannot open the sound device: ") + Mix_GetError();
        return false;
    }
    Mix_AllocateChannels(kWaveSlots);
    device_.open = true;
#ifdef __EMSCRIPTEN__
    webSound = this;
#endif
    return true;
}

void SdlSound::LoadSilent(int16_t IntIdx, const std::string& path) {
#ifdef __EMSCRIPTEN__
    if (IntIdx == kWaveBgm && access(path.c_str(), F_OK) != 0 && sw_tune_coming(path.c_str())) {
        silentLoaded_[IntIdx] = true;
        return;
    }
#endif
    // A wave effect is read whole, as the mixer would; a tune, or an Ogg
    // Vorbis effect (the browser's), is known by its first bytes only.
    const std::string kind = CheckFile(path);
    if (kind != "RIFF" && kind != "OggS")
        throw RunTimeError("cannot read sound " + path + ": neither a wave file nor Ogg Vorbis");
    if (IntIdx != kWaveBgm && kind == "RIFF") {
        SDL_AudioSpec format;
        Uint8* data = nullptr;
        Uint32 size = 0;
        if (!SDL_LoadWAV(path.c_str(), &format, &data, &size))
            throw RunTimeError("cannot read sound " + path + ": " + SDL_GetError());
        SDL_FreeWAV(data);
    }
    silentLoaded_[IntIdx] = true;
}

void SdlSound::LoadMusic(const std::string& path) {
#ifdef __EMSCRIPTEN__
    // In the browser the tunes come after the first frame: one not here
    // yet is loaded when it arrives. The old tune falls silent now.
    coming_.clear();
    if (access(path.c_str(), F_OK) != 0 && sw_tune_coming(path.c_str())) {
        music_.reset();
        coming_ = path;
        comingLoops_ = kNoPlay;
        return;
    }
#endif
    CheckFile(path);
    // Known by its content, not its name: the browser's tunes are Ogg
    // Vorbis under the game's .wav names.
    MusicPtr music(Mix_LoadMUS_RW(SDL_RWFromFile(path.c_str(), "rb"), 1));
    if (!music) throw RunTimeError("cannot read sound " + path + ": " + Mix_GetError());
    // Freeing the old stream halts it if it was playing.
    music_ = std::move(music);
}

void SdlSound::PlayMusic(int loops) {
    if (Mix_PlayMusic(music_.get(), loops) != 0) {
        throw RunTimeError("cannot play sound slot " + std::to_string(kWaveBgm) + ": " +
                           Mix_GetError());
    }
}

void SdlSound::SubWaveLoad(int16_t IntIdx, const std::string& StrFile) {
    CheckSlot(IntIdx, "SubWaveLoad");
    const std::string path = plat_.AppPath() + "sound/" + StrFile;
    if (silent_) return LoadSilent(IntIdx, path);
    if (!device_.open) throw RunTimeError("SubWaveLoad: the sound device is not open");
    if (IntIdx == kWaveBgm) {
        LoadMusic(path);
        return;
    }
    CheckFile(path);
    ChunkPtr chunk(Mix_LoadWAV(path.c_str()));
    if (!chunk) throw RunTimeError("cannot read sound " + path + ": " + Mix_GetError());
    // Whatever the slot held falls silent and goes.
    Mix_HaltChannel(IntIdx);
    BufWave[IntIdx] = std::move(chunk);
}

void SdlSound::SubWavePlay(int16_t IntIdx, const std::string& StrOpt) {
    CheckSlot(IntIdx, "SubWavePlay");
    const int loops = StrOpt == "LOOP" ? -1 : 0;
#ifdef __EMSCRIPTEN__
    if (IntIdx == kWaveBgm && !coming_.empty()) {
        comingLoops_ = loops;
        sw_tune_waiting();
        return;
    }
#endif
    const bool music = IntIdx == kWaveBgm;
    if (silent_ ? !silentLoaded_[IntIdx] : music ? !music_ : !BufWave[IntIdx])
        throw RunTimeError("SubWavePlay: sound slot " + std::to_string(IntIdx) + " is empty");
    if (silent_) return;
    // A slot still sounding goes on: no restart, no second voice.
    if (Sounding(IntIdx)) return;
    if (music) return PlayMusic(loops);
    if (Mix_PlayChannel(IntIdx, BufWave[IntIdx].get(), loops) < 0) {
        throw RunTimeError("cannot play sound slot " + std::to_string(IntIdx) + ": " +
                           Mix_GetError());
    }
}

void SdlSound::SubWaveStop(int16_t IntIdx) {
    CheckSlot(IntIdx, "SubWaveStop");
#ifdef __EMSCRIPTEN__
    if (IntIdx == kWaveBgm && !coming_.empty()) {
        comingLoops_ = kNoPlay;
        return;
    }
#endif
    const bool music = IntIdx == kWaveBgm;
    if (silent_ ? !silentLoaded_[IntIdx] : music ? !music_ : !BufWave[IntIdx])
        throw RunTimeError("SubWaveStop: sound slot " + std::to_string(IntIdx) + " is empty");
    if (silent_) return;
    // Halting also rewinds: the next play starts at the top.
    if (music)
        Mix_HaltMusic();
    else
        Mix_HaltChannel(IntIdx);
}

bool SdlSound::Sounding(int16_t IntIdx) const {
    CheckSlot(IntIdx, "Sounding");
    if (!device_.open) return false;
    return IntIdx == kWaveBgm ? music_ && Mix_PlayingMusic() != 0 : Mix_Playing(IntIdx) != 0;
}

#ifdef __EMSCRIPTEN__
bool SdlSound::TuneArrived() {
    if (coming_.empty() || access(coming_.c_str(), F_OK) != 0) return false;
    const int loops = comingLoops_;
    try {
        LoadMusic(std::string(coming_));
        if (loops != kNoPlay) PlayMusic(loops);
    } catch (const std::exception& e) {
        plat_.MsgBox(kRunTimeErrorHeading + std::string(e.what()));
        plat_.End(2);
    }
    return Sounding(kWaveBgm);
}

// Called by the page each time it has placed a tune: 1 when the music
// sounds now.
extern "C" EMSCRIPTEN_KEEPALIVE int sw_tune_arrived() {
    return webSound && webSound->TuneArrived() ? 1 : 0;
}
#endif

}  // namespace sw
