#include "graphics/notifiable.h"

void TNotifiablePersistent::Changed()
{
    if (FUpdateCount == 0 && OnChange)
        OnChange(this);
}

void TNotifiablePersistent::BeginUpdate()
{
    ++FUpdateCount;
}

void TNotifiablePersistent::EndUpdate()
{
    if (FUpdateCount <= 0)
        throw EAssertionFailed("Unpaired TThreadPersistent.EndUpdate");
    --FUpdateCount;
}

void TThreadPersistent::Lock()
{
    FLockCount.fetch_add(1);
    FLock.lock();
}

void TThreadPersistent::Unlock()
{
    FLock.unlock();
    FLockCount.fetch_sub(1);
}

bool TCustomMap::SetSize(int32_t newWidth, int32_t newHeight)
{
    if (newWidth < 0)
        newWidth = 0;
    if (newHeight < 0)
        newHeight = 0;
    if (newWidth == FWidth && newHeight == FHeight)
        return false;
    ChangeSize(FWidth, FHeight, newWidth, newHeight);
    Changed();
    Resized();
    return true;
}

void TCustomMap::Delete()
{
    SetSize(0, 0);
}

bool TCustomMap::Empty() const
{
    return FWidth == 0 || FHeight == 0;
}

void TCustomMap::Resized()
{
    if (OnResize)
        OnResize(this);
}

void TCustomMap::ChangeSize(int32_t& width, int32_t& height, int32_t newWidth, int32_t newHeight)
{
    width = newWidth;
    height = newHeight;
}
