// A list of named, reference-counted values (the setup panel's GUI values). The list owns its
// entries; an entry holds one reference to its value.
#pragma once

#include "base/String.h"
#include "base/TLinkedList.h"
#include "core/FUnknown.h"

namespace Brennholt {

class PValueEntry {
 public:
  // Takes over one reference to value that the caller holds (null is allowed).
  PValueEntry(FUnknown* value, const char8* name);
  // Releases the value and the name.
  ~PValueEntry();
  PValueEntry(const PValueEntry&) = delete;
  PValueEntry& operator=(const PValueEntry&) = delete;

  FUnknown* value() const { return value_; }
  const String& name() const { return name_; }

 private:
  FUnknown* value_;
  String name_;
};

class PValueList : public TLinkedList<PValueEntry*> {
 public:
  PValueList() = default;
  // Destroys every entry, then empties the list.
  ~PValueList() override;

  TContainer<PValueEntry*>* newInstance() const override;
  // The list owns an entry once add answered true.
  // Entries have one owner: they are never shared with another list, so this adds nothing.
  bool addAll(const TContainer<PValueEntry*>& other) override;
  // Removing an entry destroys it.
  bool remove(PValueEntry* const& entry) override;
  bool removeAt(int32 index) override;
  void removeAll() override;
};

}  // namespace Brennholt
