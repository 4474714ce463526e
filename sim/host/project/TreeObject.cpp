#include "sim/host/project/TreeObject.h"

#include <algorithm>
#include <cstring>

#include "sim/host/kit/HostText.h"

namespace QentSim {

using namespace Brennholt;
using namespace Brennholt::Hox;

namespace {

template <class T>
tresult handOut(T* object, IHostObject** out) noexcept {
  if (out == nullptr) return kInvalidArgument;
  *out = object;
  if (object == nullptr) return kResultFalse;
  object->addRef();
  return kResultOk;
}

template <class List>
TreeObject* at(const List& list, int32 index) noexcept {
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return nullptr;
  return list[static_cast<std::size_t>(index)].get();
}

}  // namespace

IPtr<TreeObject> TreeObject::make(std::shared_ptr<DependencyRegistry> registry, std::string name,
                                  std::string title, Role role) {
  IPtr<TreeObject> object = IPtr<TreeObject>::adopt(
      new TreeObject(std::move(registry), std::move(name), std::move(title), role));
  object->registry_->enter(object.get());
  return object;
}

TreeObject::TreeObject(std::shared_ptr<DependencyRegistry> registry, std::string name,
                       std::string title, Role role)
    : registry_(std::move(registry)),
      name_(std::move(name)),
      title_(std::move(title)),
      role_(role) {}

TreeObject::~TreeObject() {
  for (auto& [key, value] : members_) value->setOwner(nullptr);
  for (auto& [id, value] : parameters_) value->setOwner(nullptr);
  registry_->leave(this);
}

bool TreeObject::answers(const TUID iid) const {
  if (IHostTrack::iid.matches(iid)) return role_ == Role::kTrack;
  if (IHostInstrument::iid.matches(iid))
    return role_ == Role::kInstrument || role_ == Role::kRackEntry;
  if (IHostParameterList::iid.matches(iid))
    return role_ == Role::kInstrument || !parameters_.empty() || !subObjects_.empty();
  if (IHostPluginList::iid.matches(iid)) return hasPluginList_;
  if (IHostProject::iid.matches(iid)) return role_ == Role::kProject;
  return true;
}

tresult TreeObject::queryInterface(const TUID iid, void** object) noexcept {
  if (iid != nullptr && !answers(iid)) {
    if (object != nullptr) *object = nullptr;
    return kNoInterface;
  }
  return HostObject::queryInterface(iid, object);
}

// ---- IHostObject ----

tresult TreeObject::getTitle(char16* text, int32 capacity) noexcept {
  const tresult written = writeUtf16(title_, text, capacity, TreeValue::kMaxText);
  return written == kResultOk && title_.empty() ? kResultFalse : written;
}

int32 TreeObject::childCount() noexcept { return static_cast<int32>(children_.size()); }

tresult TreeObject::getChild(int32 index, IHostObject** child) noexcept {
  return handOut(at(children_, index), child);
}

tresult TreeObject::getMember(const char* key, IHostValue** value) noexcept {
  if (value == nullptr) return kInvalidArgument;
  *value = nullptr;
  if (key == nullptr) return kInvalidArgument;
  TreeValue* found = member(key);
  if (found == nullptr) return kResultFalse;
  found->addRef();
  *value = found;
  return kResultOk;
}

tresult TreeObject::getTagTitle(int32 tag, char16* text, int32 capacity) noexcept {
  if (text == nullptr || capacity < 1) return kInvalidArgument;
  text[0] = 0;
  if (program_) {
    const int32 program = program_->intValue();
    if (program < 0 || static_cast<std::size_t>(program) >= programTitles_.size())
      return kResultFalse;
    const auto& titles = programTitles_[static_cast<std::size_t>(program)];
    auto found = titles.find(tag);
    if (found == titles.end()) return kResultFalse;
    return writeUtf16(found->second, text, capacity, TreeValue::kMaxText);
  }
  auto titled = [&](const IPtr<TreeValue>& value) {
    return value->tag() == tag && !value->shownTitle().empty();
  };
  for (const auto& [key, value] : members_) {
    if (titled(value)) return writeUtf16(value->shownTitle(), text, capacity, TreeValue::kMaxText);
  }
  for (const auto& [id, value] : parameters_) {
    if (titled(value)) return writeUtf16(value->shownTitle(), text, capacity, TreeValue::kMaxText);
  }
  return kResultFalse;
}

tresult TreeObject::isClass(const char* word) noexcept {
  if (word == nullptr) return kInvalidArgument;
  return role_ == Role::kTrack && std::strcmp(word, "track") == 0 ? kResultOk : kResultFalse;
}

// ---- IHostParameterList ----

int32 TreeObject::parameterCount() noexcept { return static_cast<int32>(parameters_.size()); }

int32 TreeObject::parameterId(int32 index) noexcept {
  if (index < 0 || static_cast<std::size_t>(index) >= parameters_.size()) return -1;
  return parameters_[static_cast<std::size_t>(index)].first;
}

tresult TreeObject::getParameter(int32 id, IHostValue** value) noexcept {
  if (value == nullptr) return kInvalidArgument;
  *value = parameter(id);
  if (*value == nullptr) return kResultFalse;
  (*value)->addRef();
  return kResultOk;
}

tresult TreeObject::getParameterTitle(int32 id, char16* text, int32 capacity) noexcept {
  if (text == nullptr || capacity < 1) return kInvalidArgument;
  text[0] = 0;
  TreeValue* found = parameter(id);
  if (found == nullptr || found->shownTitle().empty()) return kResultFalse;
  return writeUtf16(found->shownTitle(), text, capacity, TreeValue::kMaxText);
}

int32 TreeObject::subObjectCount() noexcept { return static_cast<int32>(subObjects_.size()); }

tresult TreeObject::getSubObject(int32 index, IHostObject** object) noexcept {
  return handOut(at(subObjects_, index), object);
}

// ---- IHostPluginList ----

int32 TreeObject::pluginCount() noexcept { return static_cast<int32>(plugins_.size()); }

tresult TreeObject::getPlugin(int32 index, IHostObject** plugin) noexcept {
  return handOut(at(plugins_, index), plugin);
}

// ---- IHostTrack ----

tresult TreeObject::isMarkedSelected() noexcept { return selected_ ? kResultOk : kResultFalse; }

tresult TreeObject::getChannel(IHostObject** channel) noexcept {
  return handOut(channel_.get(), channel);
}

// ---- IHostInstrument ----

tresult TreeObject::isConnectedTo(IHostObject* channel) noexcept {
  if (channel == nullptr) return kInvalidArgument;
  const TreeObject* instrument = this;
  if (role_ == Role::kRackEntry) {
    instrument = children_.empty() ? nullptr : children_.front().get();
    if (instrument == nullptr) return kResultFalse;
  }
  for (const TreeObject* connected : instrument->connected_) {
    if (static_cast<const IHostObject*>(connected) == channel) return kResultOk;
  }
  return kResultFalse;
}

// ---- IHostProject ----

tresult TreeObject::getTrackList(IHostObject** tracks) noexcept {
  return handOut(tracks_.get(), tracks);
}

// ---- TreeItem ----

void TreeObject::heldItems(std::vector<TreeItem*>* out) const {
  for (const auto& child : children_) out->push_back(child.get());
  for (const auto& [key, value] : members_) out->push_back(value.get());
  for (const auto& [id, value] : parameters_) out->push_back(value.get());
  for (const auto& object : subObjects_) out->push_back(object.get());
  for (const auto& plugin : plugins_) out->push_back(plugin.get());
  if (channel_) out->push_back(channel_.get());
  if (root_) out->push_back(root_.get());
  if (tracks_) out->push_back(tracks_.get());
  if (program_) out->push_back(program_.get());
}

// ---- the host's side ----

void TreeObject::addChild(IPtr<TreeObject> child) { children_.push_back(std::move(child)); }

bool TreeObject::removeChild(const TreeObject* child) {
  auto found = std::find_if(children_.begin(), children_.end(),
                            [child](const IPtr<TreeObject>& c) { return c.get() == child; });
  if (found == children_.end()) return false;
  children_.erase(found);
  return true;
}

void TreeObject::addMember(const std::string& key, IPtr<TreeValue> value) {
  value->setOwner(this);
  members_.emplace_back(key, std::move(value));
}

TreeValue* TreeObject::member(std::string_view key) const {
  for (const auto& [name, value] : members_) {
    if (name == key) return value.get();
  }
  return nullptr;
}

void TreeObject::addParameter(int32 id, IPtr<TreeValue> value) {
  value->setOwner(this);
  parameters_.emplace_back(id, std::move(value));
}

TreeValue* TreeObject::parameter(int32 id) const {
  for (const auto& [key, value] : parameters_) {
    if (key == id) return value.get();
  }
  return nullptr;
}

void TreeObject::addSubObject(IPtr<TreeObject> object) {
  subObjects_.push_back(object);
  children_.push_back(std::move(object));
}

void TreeObject::addPlugin(IPtr<TreeObject> plugin) {
  hasPluginList_ = true;
  plugins_.push_back(std::move(plugin));
}

void TreeObject::connect(const TreeObject* channel) {
  if (!isConnected(channel)) connected_.push_back(channel);
}

void TreeObject::disconnect(const TreeObject* channel) {
  connected_.erase(std::remove(connected_.begin(), connected_.end(), channel), connected_.end());
}

bool TreeObject::isConnected(const TreeObject* channel) const {
  return std::find(connected_.begin(), connected_.end(), channel) != connected_.end();
}

void TreeObject::setProjectParts(IPtr<TreeObject> root, IPtr<TreeObject> tracks) {
  root_ = std::move(root);
  tracks_ = std::move(tracks);
}

void TreeObject::setProgramTitles(IPtr<TreeValue> program,
                                  std::vector<std::map<int32, std::string>> programs) {
  program_ = std::move(program);
  programTitles_ = std::move(programs);
}

void TreeObject::collect(std::vector<TreeItem*>* out, bool instrumentsToo) const {
  std::unordered_set<const TreeObject*> seen;
  collectInto(out, &seen, instrumentsToo);
}

void TreeObject::collectInto(std::vector<TreeItem*>* out,
                             std::unordered_set<const TreeObject*>* seen,
                             bool instrumentsToo) const {
  // An instrument sits in the rack and in slots: it is collected once.
  if (!seen->insert(this).second) return;
  out->push_back(const_cast<TreeObject*>(this));
  for (const auto& [key, value] : members_) out->push_back(value.get());
  for (const auto& [id, value] : parameters_) out->push_back(value.get());
  // program_ is a member of the instrument above, which collects it.
  auto below = [&](const IPtr<TreeObject>& object) {
    if (instrumentsToo || object->role_ != Role::kInstrument)
      object->collectInto(out, seen, instrumentsToo);
  };
  for (const auto& child : children_) below(child);
  for (const auto& plugin : plugins_) below(plugin);
  if (channel_) below(channel_);
  if (root_) below(root_);
  if (tracks_) below(tracks_);
}

}  // namespace QentSim
