// A small host object tree for the knob tests: objects with children, members, tag titles,
// parameter and plug-in lists, instrument connections, tracks and a project; values with a
// parameter side; and a kernel that hands out the tree's roots and a dependency service, plus
// whatever other service a test offers.
//
// The tree owns every object. Reference counting is counted in one number across all of them
// and never destroys anything, so a test can check that the code under test gave back every
// reference it took.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sdk/host/HostKernel.h"
#include "sdk/host/HostObjects.h"

namespace Brennholt::Test {

inline bool sameIid(const TUID a, const FUID& b) { return std::memcmp(a, b.bytes(), 16) == 0; }

inline void copyText(const std::u16string& text, char16* buffer, int32 capacity) {
  if (!buffer || capacity <= 0) return;
  const auto n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(capacity - 1));
  std::copy_n(text.begin(), n, buffer);
  buffer[n] = 0;
}

inline std::u16string widen(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

class FakeObject;

class FakeValue final : public Hox::IHostValue, public Hox::IHostParameter {
 public:
  explicit FakeValue(int& references) : references_(references) {}

  FakeObject* owner = nullptr;
  int32 tagNumber = 0;
  bool hasParameterSide = true;
  double plain = 0, minimum = 0, maximum = 1;
  std::optional<double> standard;
  int32 kind = 0;
  // The display text: `format` of the plain value when set, else `text` when not empty, else
  // "%.2f".
  std::function<std::u16string(double)> format;
  std::u16string text;
  bool acceptsText = true;
  // What the code under test did.
  int editsOpened = 0, editsClosed = 0;
  int writes = 0;
  std::vector<std::u16string> textsSet;

  // IHostValue
  tresult getOwner(Hox::IHostObject** object) noexcept override;
  int32 tag() noexcept override { return tagNumber; }
  int32 intValue() noexcept override { return static_cast<int32>(plain); }
  int32 intMinimum() noexcept override { return static_cast<int32>(minimum); }
  int32 intMaximum() noexcept override { return static_cast<int32>(maximum); }
  tresult setIntValue(int32 value, int32) noexcept override {
    ++writes;
    plain = std::clamp<double>(value, minimum, maximum);
    return kResultOk;
  }
  tresult getText(char16* buffer, int32 capacity) noexcept override {
    copyText(displayText(), buffer, capacity);
    return kResultOk;
  }

  // IHostParameter
  double plainValue() noexcept override { return plain; }
  double plainMinimum() noexcept override { return minimum; }
  double plainMaximum() noexcept override { return maximum; }
  tresult setPlainValue(double value, int32) noexcept override {
    ++writes;
    plain = std::clamp(value, minimum, maximum);
    return kResultOk;
  }
  tresult getNormalized(double* value) noexcept override {
    if (maximum == minimum) return kResultFalse;
    *value = (plain - minimum) / (maximum - minimum);
    return kResultOk;
  }
  tresult setNormalized(double value, int32 notify) noexcept override {
    return setPlainValue(minimum + value * (maximum - minimum), notify);
  }
  tresult getDefault(double* value) noexcept override {
    if (!standard) return kResultFalse;
    *value = *standard;
    return kResultOk;
  }
  int32 kindCode() noexcept override { return kind; }
  tresult edit(int32 open) noexcept override {
    ++(open ? editsOpened : editsClosed);
    return kResultOk;
  }
  tresult setFromText(const char16* value, int32) noexcept override {
    textsSet.emplace_back(value);
    if (!acceptsText) return kResultFalse;
    std::string narrow(textsSet.back().begin(), textsSet.back().end());
    ++writes;
    plain = std::clamp(std::strtod(narrow.c_str(), nullptr), minimum, maximum);
    return kResultOk;
  }

  // FUnknown
  tresult queryInterface(const TUID iid, void** object) noexcept override {
    *object = nullptr;
    if (sameIid(iid, FUnknown::iid) || sameIid(iid, Hox::IHostValue::iid)) {
      *object = static_cast<Hox::IHostValue*>(this);
    } else if (hasParameterSide && sameIid(iid, Hox::IHostParameter::iid)) {
      *object = static_cast<Hox::IHostParameter*>(this);
    } else {
      return kNoInterface;
    }
    ++references_;
    return kResultOk;
  }
  uint32 addRef() noexcept override { return static_cast<uint32>(++references_); }
  uint32 release() noexcept override { return static_cast<uint32>(--references_); }

  std::u16string displayText() const {
    if (format) return format(plain);
    if (!text.empty()) return text;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", plain);
    return widen(buffer);
  }

 private:
  int& references_;
};

class FakeObject final : public Hox::IHostObject,
                         public Hox::IHostParameterList,
                         public Hox::IHostPluginList,
                         public Hox::IHostInstrument,
                         public Hox::IHostTrack,
                         public Hox::IHostProject {
 public:
  struct Parameter {
    int32 id;
    FakeValue* value;
    std::u16string title;
  };

  FakeObject(int& references, std::string name)
      : objectName(std::move(name)), references_(references) {}

  std::string objectName;
  std::u16string title;
  std::vector<FakeObject*> children;  // a null entry is a child the host cannot give
  std::map<std::string, FakeValue*> members;
  std::map<int32, std::u16string> tagTitles;
  // Answered interfaces beyond IHostObject.
  bool hasParameterList = false, hasPluginList = false, isInstrument = false;
  std::vector<Parameter> parameters;
  std::vector<FakeObject*> subObjects;
  std::vector<FakeObject*> plugins;
  std::vector<const Hox::IHostObject*> connectedTo;
  // A track (class "track"): selected or not, and its mixer channel (null for a folder).
  bool isTrack = false, selected = false;
  FakeObject* channel = nullptr;
  // A project: its top-level track list.
  FakeObject* trackList = nullptr;

  // IHostObject
  const char* name() noexcept override { return objectName.c_str(); }
  tresult getTitle(char16* text, int32 capacity) noexcept override {
    copyText(title, text, capacity);
    return kResultOk;
  }
  int32 childCount() noexcept override { return static_cast<int32>(children.size()); }
  tresult getChild(int32 index, Hox::IHostObject** child) noexcept override {
    return hand(index >= 0 && index < childCount() ? children[index] : nullptr, child);
  }
  tresult getMember(const char* key, Hox::IHostValue** value) noexcept override {
    auto it = members.find(key);
    *value = nullptr;
    if (it == members.end()) return kResultFalse;
    *value = it->second;
    ++references_;
    return kResultOk;
  }
  tresult getTagTitle(int32 tag, char16* text, int32 capacity) noexcept override {
    auto it = tagTitles.find(tag);
    copyText(it == tagTitles.end() ? u"" : it->second, text, capacity);
    return it == tagTitles.end() ? kResultFalse : kResultOk;
  }
  tresult isClass(const char* word) noexcept override {
    return isTrack && std::string_view(word) == "track" ? kResultOk : kResultFalse;
  }

  // IHostParameterList
  int32 parameterCount() noexcept override { return static_cast<int32>(parameters.size()); }
  int32 parameterId(int32 index) noexcept override { return parameters.at(index).id; }
  tresult getParameter(int32 id, Hox::IHostValue** value) noexcept override {
    *value = nullptr;
    for (auto& p : parameters) {
      if (p.id != id) continue;
      *value = p.value;
      ++references_;
      return kResultOk;
    }
    return kResultFalse;
  }
  tresult getParameterTitle(int32 id, char16* text, int32 capacity) noexcept override {
    for (auto& p : parameters) {
      if (p.id == id) {
        copyText(p.title, text, capacity);
        return kResultOk;
      }
    }
    return kResultFalse;
  }
  int32 subObjectCount() noexcept override { return static_cast<int32>(subObjects.size()); }
  tresult getSubObject(int32 index, Hox::IHostObject** object) noexcept override {
    return hand(index >= 0 && index < subObjectCount() ? subObjects[index] : nullptr, object);
  }

  // IHostPluginList
  int32 pluginCount() noexcept override { return static_cast<int32>(plugins.size()); }
  tresult getPlugin(int32 index, Hox::IHostObject** plugin) noexcept override {
    return hand(index >= 0 && index < pluginCount() ? plugins[index] : nullptr, plugin);
  }

  // IHostInstrument
  tresult isConnectedTo(Hox::IHostObject* channel) noexcept override {
    for (auto* c : connectedTo) {
      if (c == channel) return kResultOk;
    }
    return kResultFalse;
  }

  // IHostTrack
  int32 selectedState() noexcept override { return selected ? 1 : 0; }
  tresult isMarkedSelected() noexcept override { return kResultFalse; }
  tresult getChannel(Hox::IHostObject** out) noexcept override { return hand(channel, out); }

  // IHostProject
  tresult getTrackList(Hox::IHostObject** tracks) noexcept override {
    return hand(trackList, tracks);
  }
  tresult isReady() noexcept override { return kResultOk; }

  // FUnknown
  tresult queryInterface(const TUID iid, void** object) noexcept override {
    *object = nullptr;
    if (sameIid(iid, FUnknown::iid) || sameIid(iid, Hox::IHostObject::iid)) {
      *object = static_cast<Hox::IHostObject*>(this);
    } else if (hasParameterList && sameIid(iid, Hox::IHostParameterList::iid)) {
      *object = static_cast<Hox::IHostParameterList*>(this);
    } else if (hasPluginList && sameIid(iid, Hox::IHostPluginList::iid)) {
      *object = static_cast<Hox::IHostPluginList*>(this);
    } else if (isInstrument && sameIid(iid, Hox::IHostInstrument::iid)) {
      *object = static_cast<Hox::IHostInstrument*>(this);
    } else if (isTrack && sameIid(iid, Hox::IHostTrack::iid)) {
      *object = static_cast<Hox::IHostTrack*>(this);
    } else if (trackList && sameIid(iid, Hox::IHostProject::iid)) {
      *object = static_cast<Hox::IHostProject*>(this);
    } else {
      return kNoInterface;
    }
    ++references_;
    return kResultOk;
  }
  uint32 addRef() noexcept override { return static_cast<uint32>(++references_); }
  uint32 release() noexcept override { return static_cast<uint32>(--references_); }

 private:
  tresult hand(FakeObject* object, Hox::IHostObject** out) {
    *out = object;
    if (!object) return kResultFalse;
    ++references_;
    return kResultOk;
  }

  int& references_;
};

inline tresult FakeValue::getOwner(Hox::IHostObject** object) noexcept {
  *object = owner;
  if (!owner) return kResultFalse;
  ++references_;
  return kResultOk;
}

// The kernel: the object tree service (root and instrument list), a dependency service that
// keeps its registrations, and services a test offers by identifier.
class FakeTree final : public Hox::IHostKernel {
  // Declared first: the roots below are made from them.
  std::deque<std::unique_ptr<FakeObject>> objects_;
  std::deque<std::unique_ptr<FakeValue>> values_;

 public:
  int references = 0;  // held by the code under test, across everything here
  FakeObject* const root = object("");
  FakeObject* const instruments = object("");

  FakeObject* object(std::string name, FakeObject* parent = nullptr) {
    objects_.push_back(std::make_unique<FakeObject>(references, std::move(name)));
    if (parent) parent->children.push_back(objects_.back().get());
    return objects_.back().get();
  }
  FakeValue* value(FakeObject* owner = nullptr, const std::string& key = {}) {
    values_.push_back(std::make_unique<FakeValue>(references));
    FakeValue* v = values_.back().get();
    v->owner = owner;
    if (owner && !key.empty()) owner->members[key] = v;
    return v;
  }
  // A service the kernel hands out for `iid`; it must count into `references`.
  void offer(const FUID& iid, FUnknown* service) { offered_.emplace_back(iid, service); }

  // Registered dependents per watched object.
  std::multimap<FUnknown*, Hox::IDependent*> dependents;

  tresult getService(const TUID iid, void** service) noexcept override {
    *service = nullptr;
    if (sameIid(iid, Hox::IObjectTreeService::iid)) {
      *service = static_cast<Hox::IObjectTreeService*>(&tree_);
    } else if (sameIid(iid, Hox::IDependencyService::iid)) {
      *service = static_cast<Hox::IDependencyService*>(&dependencies_);
    } else {
      for (auto& [id, offered] : offered_) {
        if (sameIid(iid, id)) *service = offered;
      }
      if (!*service) return kNoInterface;
    }
    ++references;
    return kResultOk;
  }
  tresult queryInterface(const TUID, void** object) noexcept override {
    *object = nullptr;
    return kNoInterface;
  }
  uint32 addRef() noexcept override { return static_cast<uint32>(++references); }
  uint32 release() noexcept override { return static_cast<uint32>(--references); }

 private:
  class Tree final : public Hox::IObjectTreeService {
   public:
    explicit Tree(FakeTree& t) : t_(t) {}
    tresult getRoot(Hox::IHostObject** root) noexcept override { return hand(t_.root, root); }
    tresult getInstrumentList(Hox::IHostObject** list) noexcept override {
      return hand(t_.instruments, list);
    }
    tresult queryInterface(const TUID, void** object) noexcept override {
      *object = nullptr;
      return kNoInterface;
    }
    uint32 addRef() noexcept override { return static_cast<uint32>(++t_.references); }
    uint32 release() noexcept override { return static_cast<uint32>(--t_.references); }

   private:
    tresult hand(FakeObject* object, Hox::IHostObject** out) {
      *out = object;
      ++t_.references;
      return kResultOk;
    }
    FakeTree& t_;
  };
  class Dependencies final : public Hox::IDependencyService {
   public:
    explicit Dependencies(FakeTree& t) : t_(t) {}
    tresult addDependent(FUnknown* object, Hox::IDependent* dependent) noexcept override {
      t_.dependents.emplace(object, dependent);
      return kResultOk;
    }
    tresult removeDependent(FUnknown* object, Hox::IDependent* dependent) noexcept override {
      auto [first, last] = t_.dependents.equal_range(object);
      for (auto it = first; it != last; ++it) {
        if (it->second == dependent) {
          t_.dependents.erase(it);
          return kResultOk;
        }
      }
      return kResultFalse;
    }
    tresult queryInterface(const TUID, void** object) noexcept override {
      *object = nullptr;
      return kNoInterface;
    }
    uint32 addRef() noexcept override { return static_cast<uint32>(++t_.references); }
    uint32 release() noexcept override { return static_cast<uint32>(--t_.references); }

   private:
    FakeTree& t_;
  };

  std::vector<std::pair<FUID, FUnknown*>> offered_;
  Tree tree_{*this};
  Dependencies dependencies_{*this};
};

}  // namespace Brennholt::Test
