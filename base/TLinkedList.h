// A singly linked list with head and tail. Destroying it frees its nodes only, never what its
// pointer elements point to.
#pragma once

#include <new>

#include "base/TContainer.h"

namespace Brennholt {

template <class T>
class TLinkedListIterator;

template <class T>
class TLinkedList : public TContainer<T> {
 public:
  struct Node {
    Node* next;
    T element;
  };

  TLinkedList() = default;
  ~TLinkedList() override { freeNodes(); }

  TContainer<T>* newInstance() const override { return new (std::nothrow) TLinkedList<T>; }
  bool add(const T& element) override {
    Node* node = new (std::nothrow) Node{nullptr, element};
    if (!node) return false;
    if (tail_) {
      tail_->next = node;
    } else {
      head_ = node;
    }
    tail_ = node;
    ++this->elementCount_;
    return true;
  }
  bool remove(const T& element) override {
    Node* before = nullptr;
    for (Node* node = head_; node; before = node, node = node->next) {
      if (node->element == element) {
        unlink(before, node);
        return true;
      }
    }
    return false;
  }
  bool removeAt(int32 index) override {
    if (index < 0 || index >= this->elementCount_) return false;
    Node* before = nullptr;
    Node* node = head_;
    for (int32 i = 0; i < index; ++i) {
      before = node;
      node = node->next;
    }
    unlink(before, node);
    return true;
  }
  void removeAll() override { freeNodes(); }
  T* at(int32 index) override {
    Node* node = nodeAt(index);
    return node ? &node->element : this->zeroElement();
  }
  T* lookup(const T& element) override {
    for (Node* node = head_; node; node = node->next) {
      if (node->element == element) return &node->element;
    }
    return this->zeroElement();
  }
  TIterator<T>* newIterator() const override {
    return new (std::nothrow) TLinkedListIterator<T>(this);
  }

  Node* nodeAt(int32 index) const {
    if (index < 0 || index >= this->elementCount_) return nullptr;
    Node* node = head_;
    for (int32 i = 0; i < index; ++i) node = node->next;
    return node;
  }

 private:
  void unlink(Node* before, Node* node) {
    (before ? before->next : head_) = node->next;
    if (tail_ == node) tail_ = before;
    delete node;
    --this->elementCount_;
  }
  void freeNodes() {
    while (head_) {
      Node* next = head_->next;
      delete head_;
      head_ = next;
    }
    tail_ = nullptr;
    this->elementCount_ = 0;
  }

  Node* head_ = nullptr;
  Node* tail_ = nullptr;
};

template <class T>
class TLinkedListIterator : public TIterator<T> {
 public:
  explicit TLinkedListIterator(const TLinkedList<T>* list) : list_(list) { first(); }
  bool done() const override { return !current_; }
  T* next() override {
    if (!current_) return nullptr;
    T* element = &current_->element;
    current_ = current_->next;
    ++position_;
    return element;
  }
  // The list has no back links: walks from the head.
  T* previous() override {
    if (position_ <= 0) return nullptr;
    auto* node = list_->nodeAt(--position_);
    current_ = node;
    return node ? &node->element : nullptr;
  }
  void first() override {
    current_ = list_->nodeAt(0);
    position_ = 0;
  }
  void last() override {
    current_ = nullptr;
    position_ = list_->count();
  }

 private:
  const TLinkedList<T>* list_;
  typename TLinkedList<T>::Node* current_ = nullptr;
  int32 position_ = 0;
};

}  // namespace Brennholt
