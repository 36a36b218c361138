// The music slot on the dummy audio driver: a stream on its file that
// plays, loops, stops and rewinds like the other slots, beside an effect.
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include "doubles.h"
#include "present/sound_sdl.h"
#include "wav_write.h"

TEST(Music, StreamedSlotLoopsStopsRewindsAndRefusesACutTune) {
    swtest::FakePlatform plat;
    sw::SdlSound snd{plat};
    const auto dir = plat.dir / "sound";
    std::filesystem::create_directories(dir);
    const std::vector<int16_t> pcm(17640, 99);  // 0.2 s
    for (const char* name : {"bgm01.wav", "bgm02.wav", "on.wav"})
        ASSERT_TRUE(sw::WriteWav16((dir / name).string(), pcm, 2, 44100));
    snd.Open();
    snd.SubWaveLoad(2, "on.wav");
    snd.SubWaveLoad(7, "bgm01.wav");
    snd.SubWavePlay(7, "LOOP");
    snd.SubWavePlay(2, "NON_LOOP");
    EXPECT_TRUE(snd.Sounding(7) && snd.Sounding(2)) << "an effect mixes over the music";
    SDL_Delay(500);
    EXPECT_TRUE(snd.Sounding(7) && !snd.Sounding(2)) << "the loop goes round";
    snd.SubWaveStop(7);
    EXPECT_FALSE(snd.Sounding(7));
    snd.SubWavePlay(7, "NON_LOOP");
    SDL_Delay(60);
    snd.SubWavePlay(7, "NON_LOOP");  // still sounding: goes on, no restart
    EXPECT_GT(Mix_GetMusicPosition(nullptr), 0.04) << "the stop rewound it, a play did not";
    snd.SubWaveLoad(7, "bgm02.wav");
    EXPECT_FALSE(snd.Sounding(7)) << "a new tune silences the old and waits for its play";
    std::filesystem::resize_file(dir / "bgm01.wav", 9000);
    try {
        snd.SubWaveLoad(7, "bgm01.wav");
        ADD_FAILURE() << "a tune cut short was accepted";
    } catch (const sw::RunTimeError& e) {
        EXPECT_NE(std::string(e.what()).find((dir / "bgm01.wav").generic_string()),
                  std::string::npos);
    }
    snd.SubWavePlay(7, "LOOP");
    EXPECT_TRUE(snd.Sounding(7)) << "a refused tune leaves the last one loaded";
}
