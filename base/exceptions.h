#pragma once
// The exception classes of the class library that the engine and its tools
// raise and catch. Messages are byte strings: English for the library's own
// errors, Shift-JIS for the engine's Japanese texts.

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    // The message as given (Shift-JIS or ASCII bytes).
    std::string Message() const { return what(); }
};

// A text that is no number, or a number out of range.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Stream failures: short reads and writes of the checked calls, bad seeks.
class EStreamError : public Exception {
public:
    using Exception::Exception;
};
class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
// A file that cannot be opened or created; the message names the file.
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// Out-of-range index into a list.
class EListError : public Exception {
public:
    using Exception::Exception;
};

// Memory could not be allocated for a size read from a file.
class EOutOfMemory : public Exception {
public:
    using Exception::Exception;
};
