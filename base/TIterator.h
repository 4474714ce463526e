// The iterator interface of the base library's containers. An iterator stands between two
// elements; it starts before the first. Changing the container invalidates its iterators.
#pragma once

namespace Brennholt {

template <class T>
class TIterator {
 public:
  virtual ~TIterator() = default;
  // True when no element is left after the position.
  virtual bool done() const = 0;
  // Pointer to the element after the position, moving past it; null when done.
  virtual T* next() = 0;
  // Pointer to the element before the position, moving back over it; null at the start.
  virtual T* previous() = 0;
  // Moves before the first element.
  virtual void first() = 0;
  // Moves after the last element.
  virtual void last() = 0;
};

}  // namespace Brennholt
