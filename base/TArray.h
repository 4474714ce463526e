// Arrays of the base library: a contiguous buffer that grows by a fixed step.
#pragma once

#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

#include "base/TContainer.h"

namespace Brennholt {

template <class T>
class TArrayBase : public TContainer<T> {
  static_assert(std::is_trivially_copyable_v<T>, "arrays hold pointers or integers");

 public:
  ~TArrayBase() override { std::free(buffer_); }

  bool add(const T& element) override {
    if (this->elementCount_ == capacity_ && !grow()) return false;
    buffer_[this->elementCount_++] = element;
    return true;
  }
  bool remove(const T& element) override { return removeAt(indexOf(element)); }
  bool removeAt(int32 index) override {
    if (index < 0 || index >= this->elementCount_) return false;
    std::memmove(buffer_ + index, buffer_ + index + 1,
                 static_cast<size_t>(this->elementCount_ - index - 1) * sizeof(T));
    --this->elementCount_;
    return true;
  }
  // Removes the first `count` elements (all of them when there are fewer) with one move, where
  // removing them one at a time would move the rest once per element.
  void removeFirst(int32 count) {
    if (count <= 0) return;
    if (count >= this->elementCount_) {
      this->elementCount_ = 0;
      return;
    }
    std::memmove(buffer_, buffer_ + count,
                 static_cast<size_t>(this->elementCount_ - count) * sizeof(T));
    this->elementCount_ -= count;
  }
  // Keeps the buffer for the elements to come.
  void removeAll() override { this->elementCount_ = 0; }
  T* at(int32 index) override {
    if (index < 0 || index >= this->elementCount_) return this->zeroElement();
    return buffer_ + index;
  }
  T* lookup(const T& element) override {
    int32 index = indexOf(element);
    return index < 0 ? this->zeroElement() : buffer_ + index;
  }
  // Where add would put element: the end, for an array that is not sorted.
  virtual int32 insertPosition(const T& /*element*/) const { return this->elementCount_; }
  // Index of the first equal element, or -1.
  virtual int32 indexOf(const T& element) const {
    for (int32 i = 0; i < this->elementCount_; ++i) {
      if (buffer_[i] == element) return i;
    }
    return -1;
  }

  int32 capacity() const { return capacity_; }
  int32 growthStep() const { return growthStep_; }
  // The element at index; only for indices below count.
  const T& operator[](int32 index) const { return buffer_[index]; }

 protected:
  explicit TArrayBase(int32 growthStep) : growthStep_(growthStep > 0 ? growthStep : 1) {}

 private:
  bool grow() {
    if (capacity_ > 0x3FFFFFFF - growthStep_) return false;
    int32 capacity = capacity_ + growthStep_;
    void* buffer = std::realloc(buffer_, static_cast<size_t>(capacity) * sizeof(T));
    if (!buffer) return false;
    buffer_ = static_cast<T*>(buffer);
    capacity_ = capacity;
    return true;
  }

  T* buffer_ = nullptr;
  int32 capacity_ = 0;
  int32 growthStep_;
};

template <class T>
class TArrayIterator : public TIterator<T> {
 public:
  explicit TArrayIterator(const TArrayBase<T>* array) : array_(array) {}
  bool done() const override { return position_ >= array_->count(); }
  T* next() override {
    if (done()) return nullptr;
    return const_cast<T*>(&(*array_)[position_++]);
  }
  T* previous() override {
    if (position_ <= 0) return nullptr;
    if (position_ > array_->count()) position_ = array_->count();
    return const_cast<T*>(&(*array_)[--position_]);
  }
  void first() override { position_ = 0; }
  void last() override { position_ = array_->count(); }

 private:
  const TArrayBase<T>* array_;
  int32 position_ = 0;
};

template <class T>
class TArray : public TArrayBase<T> {
 public:
  explicit TArray(int32 growthStep = 10) : TArrayBase<T>(growthStep) {}

  TContainer<T>* newInstance() const override { return new (std::nothrow) TArray<T>(10); }
  TIterator<T>* newIterator() const override { return new (std::nothrow) TArrayIterator<T>(this); }
};

}  // namespace Brennholt
