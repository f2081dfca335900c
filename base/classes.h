#pragma once
// The root classes of the class library: objects with a class name, and
// persistent objects that copy themselves into one another through
// Assign/AssignTo.

#include <functional>
#include <string>

class TObject {
public:
    virtual ~TObject() = default;
    virtual std::string ClassName() const { return "TObject"; }
};

using TNotifyEvent = std::function<void(TObject* sender)>;

class TPersistent : public TObject {
public:
    std::string ClassName() const override { return "TPersistent"; }

    // Copies `source` into this object. The root form asks the source to
    // assign itself (AssignTo); a nil source or a pair that knows no way
    // raises EConvertError("Cannot assign a <source class> to a <class>").
    virtual void Assign(const TPersistent* source);
    // Copies this object into `dest`; the root form raises the same error.
    virtual void AssignTo(TPersistent* dest) const;

protected:
    [[noreturn]] void AssignError(const TPersistent* source) const;
};
