#pragma once
#include "Exception.h"

namespace vell::player {

// A module image that cannot be mapped: malformed structures, a failed
// allocation. The owner treats the module as absent.
class ELoaderError : public Exception {
public:
  using Exception::Exception;
};

}  // namespace vell::player
