#include "finder/UnitPaths.h"

#include <algorithm>

#include "finder/CParameterInfoFinder.h"

namespace Brennholt::Hox {

UnitPaths::UnitPaths(const std::vector<UnitInfo>& units)
    : units_(units), visitedIn_(units.size(), 0) {
  for (size_t i = 0; i < units.size(); ++i)
    if (units[i].parentUnitId >= 0) withParentById_[units[i].id].push_back(i);
}

std::vector<std::string> UnitPaths::namesOf(int32 unitId) {
  ++walk_;
  std::vector<std::string> names;
  // Depth-first over "records carrying this id, then their parents", kept on an explicit stack
  // so that a long chain of units cannot exhaust the call stack. Names are gathered innermost
  // first and turned round at the end.
  struct Step {
    const std::vector<size_t>* records;  // the records carrying the step's id
    size_t next;                         // first of them not yet looked at
  };
  std::vector<Step> stack;
  auto push = [this, &stack](int32 id) {
    auto found = withParentById_.find(id);
    if (found != withParentById_.end()) stack.push_back({&found->second, 0});
  };
  push(unitId);
  while (!stack.empty()) {
    Step& step = stack.back();
    while (step.next < step.records->size() && visitedIn_[(*step.records)[step.next]] == walk_)
      ++step.next;
    if (step.next == step.records->size()) {
      stack.pop_back();
      continue;
    }
    size_t record = (*step.records)[step.next++];
    visitedIn_[record] = walk_;
    names.push_back(CParameterInfoFinder::lowByteText(units_[record].name, 128));
    push(units_[record].parentUnitId);
  }
  std::reverse(names.begin(), names.end());
  return names;
}

}  // namespace Brennholt::Hox
