#pragma once
#include <stdexcept>

namespace vell::player {

// A module image that cannot be mapped: malformed structures, a failed
// allocation. The owner treats the module as absent.
class ELoaderError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

}  // namespace vell::player
