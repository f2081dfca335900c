#pragma once
// The class library's picture classes: colours, fonts, the canvas, the
// abstract graphic, bitmaps, JPEG images and the picture holder.

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/colors.h"
#include "platform/font.h"
#include "platform/graphic_base.h"
#include "platform/jpeg_image.h"
#include "platform/picture.h"
