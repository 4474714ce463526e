#include "base/PValueList.h"

namespace Brennholt {

PValueEntry::PValueEntry(FUnknown* value, const char8* name) : value_(value), name_(name) {}

PValueEntry::~PValueEntry() {
  if (value_) value_->release();
}

PValueList::~PValueList() { removeAll(); }

TContainer<PValueEntry*>* PValueList::newInstance() const { return new (std::nothrow) PValueList; }

bool PValueList::addAll(const TContainer<PValueEntry*>& /*other*/) { return false; }

bool PValueList::remove(PValueEntry* const& entry) {
  if (!TLinkedList::remove(entry)) return false;
  delete entry;
  return true;
}

bool PValueList::removeAt(int32 index) {
  PValueEntry* entry = *at(index);
  if (!TLinkedList::removeAt(index)) return false;
  delete entry;
  return true;
}

void PValueList::removeAll() {
  for (Node* node = nodeAt(0); node; node = node->next) delete node->element;
  TLinkedList::removeAll();
}

}  // namespace Brennholt
