// Form1, the game window: it owns the state record and every procedure of
// the game. Each procedure is defined in the folder of its subsystem
// (board/packing.cpp defines Form1::FncBlockTume, and so on).
#pragma once

#include <cstdint>
#include <string>

#include "game/format.h"
#include "game/interfaces.h"
#include "game/state.h"

namespace sw {

class Form1 : public GameState {
  public:
    Form1(IGraphics& graphics, ISound& sound, IPlatform& platform)
        : gfx(graphics), snd(sound), plat(platform) {}

    // Window events (game/form1.cpp, input/keys.cpp).
    void Form_Load();
    [[noreturn]] void Form_Unload(int16_t& Cancel);
    void Form_KeyDown(int16_t KeyCode, int16_t Shift);
    void Form_KeyUp(int16_t KeyCode, int16_t Shift);
    void Timer1_Timer();
    void Timer2_Timer();

    // Board and pair (board/board.cpp).
    void SubCls();
    void SubBlockCls();
    // Landing and packing (board/landing.cpp, board/packing.cpp).
    int16_t FncBlockTyakuti();
    int16_t FncBlockTume();
    // Match search (board/search.cpp).
    int16_t FncBlockDelSearch();
    void SubVesk(const std::string& XY, int16_t x, int16_t y);
    // Deletion, blink and scoring (board/deletion.cpp).
    void SubBlockDelAni(int16_t IntFlg);
    int16_t SubBlockDel();
    void SubDelAniAfter();

    // Play screen (present/play_screen.cpp).
    void SubBlockDraw();
    void SubAniSub(int16_t MainFlg);

    // Score file (records/score_file.cpp).
    void SubScoreRead();
    void SubScoreWrite();
    std::string ScoreFilePath();

    // Closing the window: the platform runs Form_Unload at once, and that
    // ends the program.
    [[noreturn]] void CloseWindow();

  private:
    // The scenes of the tick (game/play_scenes.cpp, game/front_scenes.cpp).
    void SceneFall();
    void SceneSearch();
    void SceneBlink(int16_t scene);
    void SceneGameOver();
    void SceneLogo();
    void SceneTitle();
    void SceneOptions();
    void SceneReady();
    // Keys by scene (input/keys.cpp).
    void KeyTitle(int16_t KeyCode);
    void KeyOptions(int16_t KeyCode);
    void KeyPlay(int16_t KeyCode);
    // Small shared drawing steps.
    void DrawWell();
    void DrawSmallDigits(const std::string& text, int x, int y);

  public:
    IGraphics& gfx;
    ISound& snd;
    IPlatform& plat;
};

// Falling step in pixels per tick for a level.
int16_t FallStep(int32_t LngLevel);

}  // namespace sw
