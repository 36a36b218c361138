// The keyboard: every action happens when a key is let go.
#include "game/form1.h"
#include "game/keycodes.h"

namespace sw {

void Form1::Form_KeyDown(int16_t KeyCode, int16_t Shift) {
    (void)KeyCode;
    (void)Shift;
}

void Form1::Form_KeyUp(int16_t KeyCode, int16_t Shift) {
    (void)Shift;  // Shift and Ctrl change nothing
    if (KeyCode == kKeyEscape) CloseWindow();
    switch (IntScene) {
        case kSceneTitle:
            KeyTitle(KeyCode);
            break;
        case kSceneOptions:
            KeyOptions(KeyCode);
            break;
        case kSceneFall:
            KeyPlay(KeyCode);
            break;
        default:
            break;  // logo, ready, search, blink and game over take no keys
    }
}

void Form1::KeyTitle(int16_t KeyCode) {
    switch (KeyCode) {
        case kKeyUp:
            IntCursor = IntCursor <= 0 ? int16_t{2} : static_cast<int16_t>(IntCursor - 1);
            snd.SubWavePlay(kWaveSelect, "NON_LOOP");
            break;
        case kKeyDown:
            IntCursor = IntCursor >= 2 ? int16_t{0} : static_cast<int16_t>(IntCursor + 1);
            snd.SubWavePlay(kWaveSelect, "NON_LOOP");
            break;
        case kKeyEnter:
            if (IntCursor == 0) {
                IntScene = kSceneReady;
                gfx.BackLoad(BgFile(IntBgNo));
                snd.SubWavePlay(kWaveBgm, "LOOP");
                snd.SubWavePlay(kWaveEnter, "NON_LOOP");
            } else if (IntCursor == 1) {
                IntScene = kSceneOptions;
                gfx.BackLoad("white.bmp");
                gfx.PicLoad(kPicConf, "conf.bmp", kTrue);
                gfx.PicLoad(kPicPreview, BgFile(IntBgNo), kTrue);
                IntCursor = 0;
                snd.SubWavePlay(kWaveEnter, "NON_LOOP");
            } else if (IntCursor == 2) {
                CloseWindow();
            }
            break;
        default:
            break;
    }
}

void Form1::KeyOptions(int16_t KeyCode) {
    switch (KeyCode) {
        case kKeyUp:
            IntCursor = IntCursor <= 0 ? int16_t{4} : static_cast<int16_t>(IntCursor - 1);
            snd.SubWaveStop(kWaveBgm);
            snd.SubWavePlay(kWaveSelect, "NON_LOOP");
            return;
        case kKeyDown:
            IntCursor = IntCursor >= 4 ? int16_t{0} : static_cast<int16_t>(IntCursor + 1);
            snd.SubWaveStop(kWaveBgm);
            snd.SubWavePlay(kWaveSelect, "NON_LOOP");
            return;
        case kKeyBack:
            IntScene = kSceneTitle;
            IntCursor = 0;
            snd.SubWavePlay(kWaveEnter, "NON_LOOP");
            return;
        case kKeyEnter:
            if (IntCursor == 4) snd.SubWavePlay(kWaveEnter, "NON_LOOP");
            return;
        case kKeyLeft:
        case kKeyRight:
            break;
        default:
            return;
    }

    const bool right = KeyCode == kKeyRight;
    switch (IntCursor) {
        case 0:  // starting level, 1 to 10 without wrapping
            if (right) {
                if (LngLevel >= 10) return;
                LngLevel = LngLevel + 1;
            } else {
                if (LngLevel <= 1) return;
                LngLevel = LngLevel - 1;
            }
            snd.SubWavePlay(kWaveEnter, "NON_LOOP");
            break;
        case 1:  // sevens effect on or off
            FlgSevenOff = FlgSevenOff == 0 ? int16_t{1} : int16_t{0};
            snd.SubWavePlay(kWaveEnter, "NON_LOOP");
            break;
        case 2:  // the tune, 1 to kTunes, previewed at once
            if (right) {
                IntBgmNo = IntBgmNo >= kTunes ? int16_t{1} : static_cast<int16_t>(IntBgmNo + 1);
            } else {
                IntBgmNo = IntBgmNo <= 1 ? kTunes : static_cast<int16_t>(IntBgmNo - 1);
            }
            snd.SubWaveLoad(kWaveBgm, BgmFile(IntBgmNo));
            snd.SubWavePlay(kWaveBgm, "LOOP");
            break;
        case 3:  // the play background, 1 to kBackgrounds, previewed behind the panel
            if (right) {
                IntBgNo = IntBgNo >= kBackgrounds ? int16_t{1} : static_cast<int16_t>(IntBgNo + 1);
            } else {
                IntBgNo = IntBgNo <= 1 ? kBackgrounds : static_cast<int16_t>(IntBgNo - 1);
            }
            snd.SubWavePlay(kWaveEnter, "NON_LOOP");
            gfx.PicLoad(kPicPreview, BgFile(IntBgNo), 0);
            break;
        default:
            break;
    }
}

void Form1::KeyPlay(int16_t KeyCode) {
    if (KeyCode == kKeyR) {
        // Restart from the ready count, keeping the level.
        IntScene = kSceneReady;
        gfx.BackLoad(BgFile(IntBgNo));
        snd.SubWavePlay(kWaveBgm, "LOOP");
        SubCls();
    }
    if (FlgPair != kTrue) return;

    int c[2], r[2];
    for (int i = 0; i < 2; ++i) {
        c[i] = IntPairX(i) / 32;
        r[i] = IntPairY(i) / 32;
    }

    switch (KeyCode) {
        case kKeyUp: {
            const int16_t no = IntPairNo(0);
            IntPairNo(0) = IntPairNo(1);
            IntPairNo(1) = no;
            snd.SubWavePlay(kWaveOn, "NON_LOOP");
            break;
        }
        case kKeyDown: {
            // Each block drops onto the top of its own column; columns are
            // packed, so scanning from the top finds the right row.
            int16_t land[2];
            for (int i = 0; i < 2; ++i) {
                int y = 0;
                while (y <= 12 && StrBlock(c[i], y) == "") ++y;
                land[i] = static_cast<int16_t>(y - 1);
            }
            IntFallCnt = 32;
            for (int i = 0; i < 2; ++i) IntPairY(i) = Int16(land[i] * 32, "IntPairY");
            FlgPair = kFalse;
            snd.SubWavePlay(kWaveOn, "NON_LOOP");
            break;
        }
        case kKeyRight: {
            if (c[1] >= 6) break;
            const bool free =
                r[1] == 12 ? StrBlock(c[1] + 1, 12) == ""
                           : StrBlock(c[1] + 1, r[1]) == "" && StrBlock(c[1] + 1, r[1] + 1) == "";
            if (free) {
                IntPairX(0) = static_cast<int16_t>(IntPairX(0) + 32);
                IntPairX(1) = static_cast<int16_t>(IntPairX(1) + 32);
            }
            break;
        }
        case kKeyLeft: {
            if (c[0] <= 0) break;
            const bool free =
                r[0] == 12 ? StrBlock(c[0] - 1, 12) == ""
                           : StrBlock(c[0] - 1, r[0]) == "" && StrBlock(c[0] - 1, r[0] + 1) == "";
            if (free) {
                IntPairX(0) = static_cast<int16_t>(IntPairX(0) - 32);
                IntPairX(1) = static_cast<int16_t>(IntPairX(1) - 32);
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace sw
