#include "engine/script/game_screen.h"

#include "engine/screen/builtin_pictures.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "graphics/bitmap32_list.h"
#include "graphics/image32.h"

TGameScreen::TGameScreen()
    : FGameImg(std::make_unique<TImage32>()),
      FBuiltInPictures(std::make_unique<TBitmap32List>()),
      FWaitFrames(std::make_unique<TBitmap32List>())
{
    LoadBuiltInPictures(*FBuiltInPictures);
    FGameImg->SetScaleMode(smScale);
    FGameImg->Bitmap().SetResamplerClassName("TNearestResampler");
}

TGameScreen::~TGameScreen() = default;
