// The abstract container of the base library, used where a container is handed around by its
// interface. Elements are pointers or integers; equality is equality of the values (for
// pointers, of the addresses). A container never owns what its pointer elements point to.
#pragma once

#include <vector>

#include "base/TIterator.h"
#include "core/Types.h"

namespace Brennholt {

template <class T>
class TContainer {
 public:
  virtual ~TContainer() = default;

  // A new empty container of the same kind; the caller destroys it.
  virtual TContainer<T>* newInstance() const = 0;
  // Number of elements.
  virtual int32 total() const { return elementCount_; }
  virtual bool isEmpty() const { return elementCount_ == 0; }
  // Number of elements.
  virtual int32 count() const { return elementCount_; }
  // Appends at the end; false when memory runs out.
  virtual bool add(const T& element) = 0;
  // Appends every element of other (also when other is this container); false when memory
  // runs out on the way.
  virtual bool addAll(const TContainer<T>& other) {
    std::vector<T> elements;
    TIterator<T>* iterator = other.newIterator();
    if (!iterator) return false;
    while (!iterator->done()) elements.push_back(*iterator->next());
    delete iterator;
    for (const T& element : elements) {
      if (!add(element)) return false;
    }
    return true;
  }
  // Removes the first equal element; false when there is none.
  virtual bool remove(const T& element) = 0;
  // Removes the element at index, moving later ones down; false when out of range.
  virtual bool removeAt(int32 index) = 0;
  // Removes every element.
  virtual void removeAll() = 0;
  // Pointer to the element at index; out of range, a pointer to a zero element.
  virtual T* at(int32 index) = 0;
  // Pointer to the first equal stored element, or to a zero element.
  virtual T* lookup(const T& element) = 0;
  // True when an equal element is stored.
  virtual bool contains(const T& element) const { return occurrences(element) > 0; }
  // Number of equal elements.
  virtual int32 occurrences(const T& element) const {
    int32 found = 0;
    TIterator<T>* iterator = newIterator();
    if (!iterator) return 0;
    while (!iterator->done()) {
      if (*iterator->next() == element) ++found;
    }
    delete iterator;
    return found;
  }
  // A new iterator before the first element; the caller destroys it. Null when out of memory.
  virtual TIterator<T>* newIterator() const = 0;

 protected:
  TContainer() = default;
  TContainer(const TContainer&) = delete;
  TContainer& operator=(const TContainer&) = delete;

  // What at and lookup answer for "none": zeroed on every use, so a caller that wrote through
  // an earlier answer changes nothing.
  T* zeroElement() {
    zero_ = T();
    return &zero_;
  }

  int32 elementCount_ = 0;

 private:
  T zero_ = T();
};

}  // namespace Brennholt
