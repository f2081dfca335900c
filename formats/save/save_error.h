#pragma once
// The one error a save file raises when it cannot be read: its message is
// the text the player sees, and Reason() says what was wrong for the log and
// the tests.

#include "base/exceptions.h"

#include <string>

class ESaveFormatError : public Exception {
public:
    // The message is "セーブデータの形式が異なっています" in Shift-JIS.
    explicit ESaveFormatError(std::string reason);
    const std::string& Reason() const { return FReason; }

private:
    std::string FReason;
};
