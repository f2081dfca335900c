#include "engine/screen/builtin_pictures.h"

#include "base/streams.h"
#include "graphics/bitmap32.h"
#include "graphics/bitmap32_list.h"

std::span<const uint8_t> BuiltInPictureData(int index)
{
    switch (index) {
    case biWaitFrame0: return BuiltInWaitFrame0Data;
    case biWaitFrame1: return BuiltInWaitFrame1Data;
    case biMsgSkin: return BuiltInMsgSkinData;
    case biUpMark: return BuiltInUpMarkData;
    case biDownMark: return BuiltInDownMarkData;
    default: return {};
    }
}

TDrawMode BuiltInPictureDrawMode(int index)
{
    return index == biMsgSkin ? dmOpaque : dmBlend;
}

void LoadBuiltInPicture(int index, TBitmap32& bitmap)
{
    const std::span<const uint8_t> data = BuiltInPictureData(index);
    TMemoryStream stream(data.data(), data.size());
    bitmap.ReadData(stream);
    bitmap.SetDrawMode(BuiltInPictureDrawMode(index));
    bitmap.SetResamplerClassName("TNearestResampler");
}

void LoadBuiltInPictures(TBitmap32List& list)
{
    for (int i = 0; i < BuiltInPictureCount; ++i) {
        if (list.Bitmaps().Count() <= i)
            list.Bitmaps().Add();
        LoadBuiltInPicture(i, list.Bitmap(i));
    }
}
