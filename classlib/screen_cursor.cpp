#include "classlib/image_surface.h"

namespace {

TCursor GScreenCursor = crDefault;
TScreenCursorHandler GHandler = nullptr;

} // namespace

void SetScreenCursor(TCursor cursor)
{
    if (cursor == GScreenCursor)
        return;
    const TCursor previous = GScreenCursor;
    GScreenCursor = cursor;
    if (GHandler)
        GHandler(previous, cursor);
}

TCursor ScreenCursor()
{
    return GScreenCursor;
}

void SetScreenCursorHandler(TScreenCursorHandler handler)
{
    GHandler = handler;
}
