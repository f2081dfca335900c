#pragma once
// A Width x Height map of signed 32-bit values in one array.

#include <vector>

#include "graphics/notifiable.h"

class TIntegerMap : public TCustomMap {
public:
    std::string ClassName() const override { return "TIntegerMap"; }

    bool Empty() const override { return FBits.empty(); }
    int32_t* ValPtr(int32_t x, int32_t y) { return FBits.data() + x + int64_t(y) * FWidth; }
    int32_t Value(int32_t x, int32_t y) const { return FBits[size_t(x + int64_t(y) * FWidth)]; }
    void SetValue(int32_t x, int32_t y, int32_t value) { *ValPtr(x, y) = value; }

protected:
    // Values keep their place in array order; new ones are 0.
    void ChangeSize(int32_t& width, int32_t& height, int32_t newWidth, int32_t newHeight) override;

private:
    std::vector<int32_t> FBits;
};
