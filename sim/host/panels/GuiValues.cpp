#include "sim/host/panels/GuiValues.h"
#include "sim/host/HostState.h"

#include <algorithm>
#include <climits>
#include <new>

#include "sim/host/kit/HostText.h"
#include "sim/host/kit/NoThrow.h"

namespace QentSim {

using namespace Brennholt;
using namespace Brennholt::Hox;

namespace {

// Answered only by the host's own values, with the value itself and no reference: lets the
// host's windows read what the interfaces do not offer (a menu's entries).
constexpr FUID kHostValueIid = FUID::fromDashed("6B1F3E02-94C7-4E0A-9D55-0C8A71E2B3F4");

thread_local int notificationDepth = 0;

// The number at the start of a text (blanks before it skipped); 0 when there is none.
int32 leadingNumber(const std::u16string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  long long n = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    n = std::min<long long>(n * 10 + (text[i] - u'0'), 1LL << 32);
  }
  n = negative ? -n : n;
  return static_cast<int32>(std::clamp<long long>(n, INT32_MIN, INT32_MAX));
}

}  // namespace

GuiValue::GuiValue(Kind kind, Connection connection)
    : kind_(kind), connection_(std::move(connection)) {
  switch (kind) {
    case Kind::kBool:
      minimum_ = 0;
      maximum_ = 1;
      break;
    case Kind::kInt:
      minimum_ = INT32_MIN;
      maximum_ = INT32_MAX;
      break;
    case Kind::kString:
      minimum_ = maximum_ = 0;
      break;
    case Kind::kList:
      minimum_ = maximum_ = -1;
      value_ = -1;
      break;
  }
}

GuiValue* GuiValue::of(IGuiValue* value) noexcept {
  if (value == nullptr) return nullptr;
  void* self = nullptr;
  if (value->queryInterface(kHostValueIid.bytes(), &self) != kResultOk) return nullptr;
  return static_cast<GuiValue*>(self);
}

tresult GuiValue::queryInterface(const TUID iid, void** object) noexcept {
  if (object == nullptr) return kInvalidArgument;
  *object = nullptr;
  if (kHostValueIid.matches(iid)) {
    *object = this;
    return kResultOk;
  }
  if (kind_ != Kind::kList && IListValue::iid.matches(iid)) return kNoInterface;
  return HostObject::queryInterface(iid, object);
}

tresult GuiValue::setOwner(IPlugController* owner, int32 tag) noexcept {
  owner_ = owner;
  tag_ = tag;
  return kResultOk;
}

void GuiValue::notifyOwner() noexcept {
  if (owner_ == nullptr) return;
  if (notificationDepth >= kMaxNotificationDepth) {
    HostState* s = connection_ ? connection_->state : nullptr;
    if (s != nullptr) {
      answerSafely(false, [&] {
        s->report.panelProblems.push_back(
            "notifications nested deeper than " + std::to_string(kMaxNotificationDepth) +
            " levels: the change of the value tagged " + std::to_string(tag_) + " was not told");
        return true;
      });
    }
    return;
  }
  // The owner may release the last reference to this value from inside its handler.
  IPtr<IGuiValue> keep = IPtr<IGuiValue>::share(this);
  ++notificationDepth;
  owner_->valueChanged(this, tag_);
  --notificationDepth;
  if (connection_ && connection_->state) connection_->state->touch();
}

tresult GuiValue::setValue(int32 value, int32 notify) noexcept {
  switch (kind_) {
    case Kind::kString:
      break;  // a text has no number; the owner is still told when asked
    case Kind::kList:
      value_ = std::clamp<int32>(value, -1, count() - 1);
      break;
    default:
      value_ = std::clamp(value, minimum_, maximum_);
  }
  if (notify) notifyOwner();
  return kResultOk;
}

std::string GuiValue::shown() const {
  switch (kind_) {
    case Kind::kBool:
      return value_ > 0 ? "on" : "off";
    case Kind::kInt:
      return std::to_string(value_);
    case Kind::kString:
      return toUtf8(text_.c_str(), text_.size());
    case Kind::kList:
      if (value_ < 0 || value_ >= static_cast<int32>(entries_.size())) return {};
      return toUtf8(entries_[static_cast<std::size_t>(value_)].c_str(),
                    entries_[static_cast<std::size_t>(value_)].size());
  }
  return {};
}

std::vector<std::string> GuiValue::entries() const {
  std::vector<std::string> out;
  for (const std::u16string& entry : entries_) out.push_back(toUtf8(entry.c_str(), entry.size()));
  return out;
}

tresult GuiValue::getText(char16* text, int32 capacity) noexcept {
  if (text == nullptr || capacity < 1) return kInvalidArgument;
  text[0] = 0;
  return answerSafely(kOutOfMemory, [&] { return writeUtf16(shown(), text, capacity, capacity); });
}

tresult GuiValue::setText(const char16* text, int32 notify) noexcept {
  if (text == nullptr) return kInvalidArgument;
  const tresult result = answerSafely(kOutOfMemory, [&]() -> tresult {
    std::u16string value(text);
    if (kind_ == Kind::kString) {
      text_ = std::move(value);
    } else if (kind_ == Kind::kList) {
      value_ = std::clamp<int32>(leadingNumber(value), -1, count() - 1);
    } else {
      value_ = std::clamp(leadingNumber(value), minimum_, maximum_);
    }
    return kResultOk;
  });
  if (result == kResultOk && notify) notifyOwner();
  return result;
}

tresult GuiValue::setRange(int32 minimum, int32 maximum) noexcept {
  if (kind_ != Kind::kInt && kind_ != Kind::kBool) return kResultFalse;
  if (minimum > maximum) return kInvalidArgument;
  minimum_ = minimum;
  maximum_ = maximum;
  value_ = std::clamp(value_, minimum_, maximum_);
  default_ = std::clamp(default_, minimum_, maximum_);
  return kResultOk;
}

tresult GuiValue::setDefault(int32 value) noexcept {
  default_ =
      kind_ == Kind::kInt || kind_ == Kind::kBool ? std::clamp(value, minimum_, maximum_) : value;
  return kResultOk;
}

tresult GuiValue::clear() noexcept {
  entries_.clear();
  value_ = -1;
  return kResultOk;
}

tresult GuiValue::append(const char16* entry) noexcept {
  if (entry == nullptr) return kInvalidArgument;
  return answerSafely(kOutOfMemory, [&] {
    entries_.emplace_back(entry);
    return kResultOk;
  });
}

tresult GuiValue::setAttributes(int32 flags) noexcept {
  attributes_ = flags;
  return kResultOk;
}

bool createGuiValue(const Connection& connection,
                    const TUID classId, const TUID iid, void** object, tresult* result) noexcept {
  GuiValue::Kind kind;
  if (kBoolValueClass.matches(classId)) {
    kind = GuiValue::Kind::kBool;
  } else if (kIntValueClass.matches(classId)) {
    kind = GuiValue::Kind::kInt;
  } else if (kStringValueClass.matches(classId)) {
    kind = GuiValue::Kind::kString;
  } else if (kListValueClass.matches(classId)) {
    kind = GuiValue::Kind::kList;
  } else {
    return false;
  }
  if (!connection || connection->state == nullptr) {
    *result = kNoInterface;  // the run has ended
    return true;
  }
  auto* made = new (std::nothrow) GuiValue(kind, connection);
  if (made == nullptr) {
    *result = kOutOfMemory;
    return true;
  }
  // The caller's reference is the one queryInterface adds; the first one goes.
  *result = kHostValueIid.matches(iid) ? kNoInterface : made->queryInterface(iid, object);
  made->release();
  return true;
}

}  // namespace QentSim
