#pragma once
// The one exception the PNG reader and writer raise.

#include "base/exceptions.h"

class EZEBPNG : public Exception {
public:
    using Exception::Exception;
};
