#include "base/classes.h"
#include "base/exceptions.h"

#include <gtest/gtest.h>

namespace {

class TThing : public TPersistent {
public:
    std::string ClassName() const override { return "TThing"; }
};

TEST(Persistent, AssignWithoutARouteRaisesConversionError)
{
    TThing a, b;
    try {
        a.Assign(&b);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TThing to a TThing");
    }
    try {
        a.Assign(nullptr);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a nil to a TThing");
    }
}

} // namespace
