#pragma once
#include <string>
#include <vector>

namespace vell::player {

// One import made by name: where the module's import address table received it.
struct TImportedFunction {
  std::string LibraryName;   // file name only, without any directory part
  std::string FunctionName;
  void** Slot;
};

class TImportedFunctions {
public:
  void Add(const std::string& libraryName, const std::string& functionName, void** slot);
  const std::vector<TImportedFunction>& Items() const { return items_; }

private:
  std::vector<TImportedFunction> items_;
};

}  // namespace vell::player
