#include "testkit/fake_host_window.h"

#include "graphics/bitmap32.h"

void TFakeHostWindow::SetClientSize(int width, int height)
{
    Width = width;
    Height = height;
}

void TFakeHostWindow::SetAboutPicture(const TBitmap32& picture)
{
    AboutWidth = picture.Width();
    AboutHeight = picture.Height();
    AboutCorner = picture.Empty() ? 0 : picture.Pixel(0, 0);
}

void TFakeHostWindow::EnterFullScreen(int width, int height)
{
    FullScreen = true;
    FullScreenWidth = width;
    FullScreenHeight = height;
}
