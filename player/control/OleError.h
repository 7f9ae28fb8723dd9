// The exceptions of the host control's COM calls.
#pragma once
#include <windows.h>

#include <string>

#include "Exception.h"

namespace vell::player {

// A COM call answered with a failure code. The message is the platform's
// text for the code, or the object's own error description when it left one.
class EOleSysError : public Exception {
public:
  EOleSysError(const std::string& message, HRESULT errorCode) : Exception(message), errorCode_(errorCode) {}
  HRESULT ErrorCode() const { return errorCode_; }

private:
  HRESULT errorCode_;
};

// The object does not offer an interface that the caller needs.
class EIntfCastError : public Exception {
public:
  using Exception::Exception;
};

// Raises EOleSysError for a failure code; the message comes from the error
// information the failing object left on this thread, else from the platform.
void OleCheck(HRESULT result);
// The platform's text for a code, without its line break.
std::string SystemErrorText(HRESULT result);

}  // namespace vell::player
