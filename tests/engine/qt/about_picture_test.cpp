// *LOADABOUT in the real about box: the picture, shown opaque, and the box's
// client area at its size.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPixmap>

#include "base/streams.h"
#include "engine/qt/about_dlg.h"
#include "engine/qt/tideglass_form.h"
#include "graphics/bitmap32.h"
#include "support/app/window_harness.h"

TEST(AboutPicture, TheBoxTakesThePictureAndItsSize)
{
    TWindowHarness h;
    TBitmap32 picture;
    picture.SetSize(48, 24);
    picture.Clear(0xFFFF0000);
    picture.SetPixel(0, 0, 0xFF0000FF); // keyed out to transparent black
    TMemoryStream bmp;
    picture.SaveToStream(bmp);
    h.WriteBytes("about.bmp", std::string(bmp.Bytes().begin(), bmp.Bytes().end()));
    TTideglassForm& form = h.Run("*SCENE s\n*GTRANS -1 1\n*LOADABOUT about\n");
    TAboutDlg& about = form.AboutDlg();
    EXPECT_EQ(about.size(), QSize(48, 24));
    EXPECT_EQ(about.Image1->geometry(), QRect(0, 0, 48, 24));
    const QImage shown = about.Image1->pixmap().toImage();
    EXPECT_EQ(shown.pixel(47, 23), 0xFFFF0000u);
    EXPECT_EQ(shown.pixel(0, 0), 0xFF000000u);
}
