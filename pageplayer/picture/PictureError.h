#pragma once
#include "base/Exception.h"

namespace pageplayer {

// Why a picture was not decoded; the text goes to the log beside the page.
class EPictureError : public Exception {
public:
  using Exception::Exception;
};

}  // namespace pageplayer
