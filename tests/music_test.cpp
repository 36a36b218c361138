// The music slot on the dummy audio driver: a stream on its file that
// plays, loops, stops and rewinds like the other slots, beside an effect.
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "doubles.h"
#include "present/sound_sdl.h"
#include "wav_write.h"

namespace fs = std::filesystem;

TEST(Music, StreamedSlotLoopsStopsRewindsAndRefusesDamagedTunes) {
    swtest::FakePlatform plat;
    sw::SdlSound snd{plat};
    const fs::path dir = plat.dir / "sound";
    fs::create_directories(dir);
    for (const char* name : {"bgm01.wav", "bgm02.wav", "on.wav"})  // 0.2 s each
        ASSERT_TRUE(
            sw::WriteWav16((dir / name).string(), std::vector<int16_t>(17640, 99), 2, 44100));
    snd.Open();
    snd.SubWaveLoad(2, "on.wav");
    snd.SubWaveLoad(7, "bgm01.wav");
    snd.SubWavePlay(7, "LOOP");
    snd.SubWavePlay(2, "NON_LOOP");
    EXPECT_TRUE(snd.Sounding(7) && snd.Sounding(2)) << "an effect mixes over the music";
    SDL_Delay(500);
    EXPECT_TRUE(snd.Sounding(7)) << "the loop goes round";
    EXPECT_FALSE(snd.Sounding(2));
    snd.SubWaveStop(7);
    EXPECT_FALSE(snd.Sounding(7));
    snd.SubWavePlay(7, "NON_LOOP");
    SDL_Delay(60);
    snd.SubWavePlay(7, "NON_LOOP");  // still sounding: goes on, no restart
    EXPECT_GT(Mix_GetMusicPosition(nullptr), 0.04) << "the stop rewound it, a play did not";
    snd.SubWaveLoad(7, "bgm02.wav");
    EXPECT_FALSE(snd.Sounding(7)) << "a new tune silences the old and waits for its play";
    snd.SubWavePlay(7, "Loop");
    SDL_Delay(400);
    EXPECT_FALSE(snd.Sounding(7)) << "only LOOP loops";
    fs::resize_file(dir / "bgm01.wav", 9000);
    std::ofstream(dir / "bgm03.wav");
    for (const char* name : {"bgm01.wav", "bgm03.wav", "bgm04.wav"}) {
        try {
            snd.SubWaveLoad(7, name);
            ADD_FAILURE() << name << " was accepted";
        } catch (const sw::RunTimeError& e) {
            EXPECT_NE(std::string(e.what()).find((dir / name).string()), std::string::npos);
        }
    }
    snd.SubWavePlay(7, "LOOP");
    EXPECT_TRUE(snd.Sounding(7)) << "a refused tune leaves the last one loaded";
}
