#include "platform/input_method.h"

namespace ime {

bool GetOpenStatus(QWidget* /*widget*/)
{
    return false;
}

void SetOpenStatus(QWidget* /*widget*/, bool /*open*/)
{
}

} // namespace ime
