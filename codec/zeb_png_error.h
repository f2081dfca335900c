#pragma once
// The one exception the PNG reader and writer raise.

#include "classlib/graphic_base.h"

class EZEBPNG : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;
};
