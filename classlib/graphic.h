#pragma once
// The class library's picture classes: colours, fonts, the canvas, the
// abstract graphic, bitmaps, JPEG images and the picture holder.

#include "classlib/bitmap.h"
#include "classlib/canvas.h"
#include "classlib/colors.h"
#include "classlib/font.h"
#include "classlib/graphic_base.h"
#include "classlib/jpeg_image.h"
#include "classlib/picture.h"
