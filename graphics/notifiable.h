#pragma once
// The base classes under TBitmap32: change notification with update
// counting, a lock for callers on other threads, and a sized map.

#include <atomic>
#include <cstdint>
#include <mutex>

#include "base/classes.h"
#include "base/exceptions.h"

// The class library's failed assertion (a programming error in the caller).
class EAssertionFailed : public Exception {
public:
    using Exception::Exception;
};

class TNotifiablePersistent : public TPersistent {
public:
    std::string ClassName() const override { return "TNotifiablePersistent"; }

    // OnChange(this) when the update count is 0.
    virtual void Changed();
    virtual void BeginUpdate();
    // Does not notify: callers call Changed after it. Raises EAssertionFailed
    // "Unpaired TThreadPersistent.EndUpdate" when there is no BeginUpdate.
    virtual void EndUpdate();

    int32_t UpdateCount() const { return FUpdateCount; }

    TNotifyEvent OnChange;

protected:
    int32_t FUpdateCount = 0;
};

class TThreadPersistent : public TNotifiablePersistent {
public:
    std::string ClassName() const override { return "TThreadPersistent"; }

    void Lock();
    void Unlock();
    int32_t LockCount() const { return FLockCount.load(); }

private:
    std::recursive_mutex FLock;
    std::atomic<int32_t> FLockCount{0};
};

class TCustomMap : public TThreadPersistent {
public:
    std::string ClassName() const override { return "TCustomMap"; }

    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    void SetWidth(int32_t value) { SetSize(value, FHeight); }
    void SetHeight(int32_t value) { SetSize(FWidth, value); }

    // Negative sizes become 0. Only a different size runs ChangeSize, Changed
    // and Resized; the answer tells whether it did.
    virtual bool SetSize(int32_t newWidth, int32_t newHeight);
    // SetSize(0, 0).
    virtual void Delete();
    virtual bool Empty() const;
    // OnResize(this).
    virtual void Resized();

    TNotifyEvent OnResize;

protected:
    virtual void ChangeSize(int32_t& width, int32_t& height, int32_t newWidth, int32_t newHeight);

    int32_t FWidth = 0;
    int32_t FHeight = 0;
};
