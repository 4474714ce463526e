// The names of the units that enclose a parameter, from the unit records one controller gave.
// The records are indexed once, so that every walk costs the length of its path and not the
// number of records: a plug-in with a long chain of units and many parameters in it stays linear.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "sdk/ComponentInterfaces.h"

namespace Brennholt::Hox {

class UnitPaths {
 public:
  // The records are borrowed and must stay unchanged while this object is used.
  explicit UnitPaths(const std::vector<UnitInfo>& units);

  // Names of the units enclosing unit `unitId`, outermost first. The root unit (no parent)
  // contributes nothing; every record carrying the id contributes, in record order, each
  // followed by its own enclosing units; a record is visited at most once per walk, so a unit
  // that is its own ancestor cannot make the walk run forever.
  std::vector<std::string> namesOf(int32 unitId);

 private:
  const std::vector<UnitInfo>& units_;
  // Indices of the records with a parent that carry each id, in record order.
  std::unordered_map<int32, std::vector<size_t>> withParentById_;
  // Number of the walk that last visited each record; a new walk needs no clearing.
  std::vector<unsigned> visitedIn_;
  unsigned walk_ = 0;
};

}  // namespace Brennholt::Hox
