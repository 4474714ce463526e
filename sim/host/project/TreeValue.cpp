#include "sim/host/project/TreeValue.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <new>

#include "sim/host/kit/HostText.h"
#include "sim/host/project/TreeObject.h"

namespace QentSim {

using namespace Brennholt;
using namespace Brennholt::Hox;

namespace {

int32 toInt(double value) {
  if (!(value > static_cast<double>(INT32_MIN))) return INT32_MIN;
  if (!(value < static_cast<double>(INT32_MAX))) return INT32_MAX;
  return static_cast<int32>(std::lround(value));
}

}  // namespace

IPtr<TreeValue> TreeValue::make(std::shared_ptr<DependencyRegistry> registry,
                                std::shared_ptr<const HostLanguage> language, ValueSpec spec,
                                int32 tag) {
  IPtr<TreeValue> value = IPtr<TreeValue>::adopt(
      new TreeValue(std::move(registry), std::move(language), std::move(spec), tag));
  value->registry_->enter(value.get());
  return value;
}

TreeValue::TreeValue(std::shared_ptr<DependencyRegistry> registry,
                     std::shared_ptr<const HostLanguage> language, ValueSpec spec, int32 tag)
    : registry_(std::move(registry)),
      language_(std::move(language)),
      spec_(std::move(spec)),
      tag_(tag),
      value_(spec_.clamp(spec_.value)),
      text_(spec_.text) {}

TreeValue::~TreeValue() { registry_->leave(this); }

tresult TreeValue::queryInterface(const TUID iid, void** object) noexcept {
  if (spec_.textOnly && IHostParameter::iid.matches(iid)) {
    if (object != nullptr) *object = nullptr;
    return kNoInterface;
  }
  return HostObject::queryInterface(iid, object);
}

tresult TreeValue::getOwner(IHostObject** owner) noexcept {
  if (owner == nullptr) return kInvalidArgument;
  *owner = owner_;
  if (owner_ == nullptr) return kResultFalse;
  owner_->addRef();
  return kResultOk;
}

int32 TreeValue::intValue() noexcept { return spec_.textOnly ? 0 : toInt(value_); }
int32 TreeValue::intMinimum() noexcept { return spec_.textOnly ? 0 : toInt(spec_.minimum); }
int32 TreeValue::intMaximum() noexcept { return spec_.textOnly ? 0 : toInt(spec_.maximum); }

tresult TreeValue::setIntValue(int32 value, int32 notify) noexcept {
  if (spec_.textOnly) return kResultFalse;
  store(static_cast<double>(value), notify != 0);
  if (observer_ != nullptr) observer_->moduleWrote(*this);
  return kResultOk;
}

std::string_view TreeValue::shownText(char* out, std::size_t size) const noexcept {
  if (spec_.textOnly) return text_;
  if (spec_.localizedTexts && language_) {
    if (const std::string* text = spec_.textAt(value_)) return language_->show(*text);
  }
  spec_.formatPlain(value_, out, size);
  return out;
}

tresult TreeValue::getText(char16* text, int32 capacity) noexcept {
  char buffer[kMaxText + 1];
  return writeUtf16(shownText(buffer, sizeof buffer), text, capacity, kMaxText);
}

std::string TreeValue::text() const {
  char buffer[kMaxText + 1];
  return std::string(shownText(buffer, sizeof buffer));
}

std::string_view TreeValue::shownTitle() const noexcept {
  if (spec_.localizedTitle && language_) return language_->show(spec_.title);
  return spec_.title;
}

bool TreeValue::store(double plain, bool notify) noexcept {
  const double next = spec_.clamp(plain);
  if (next == value_) return false;
  value_ = next;
  if (notify) registry_->notify(this, IDependent::kChanged);
  return true;
}

tresult TreeValue::setPlainValue(double value, int32 notify) noexcept {
  if (std::isnan(value)) return kInvalidArgument;
  store(value, notify != 0);
  if (observer_ != nullptr) observer_->moduleWrote(*this);
  return kResultOk;
}

tresult TreeValue::getNormalized(double* value) noexcept {
  if (value == nullptr) return kInvalidArgument;
  const double range = spec_.maximum - spec_.minimum;
  if (!(range > 0)) {
    *value = 0;
    return kResultFalse;
  }
  *value = (value_ - spec_.minimum) / range;
  return kResultOk;
}

tresult TreeValue::setNormalized(double value, int32 notify) noexcept {
  const double range = spec_.maximum - spec_.minimum;
  if (std::isnan(value)) return kInvalidArgument;
  if (!(range > 0)) return kResultFalse;
  store(spec_.minimum + std::clamp(value, 0.0, 1.0) * range, notify != 0);
  if (observer_ != nullptr) observer_->moduleWrote(*this);
  return kResultOk;
}

tresult TreeValue::getDefault(double* value) noexcept {
  if (value == nullptr) return kInvalidArgument;
  if (!spec_.defaultValue) return kResultFalse;
  *value = *spec_.defaultValue;
  return kResultOk;
}

tresult TreeValue::edit(int32 open) noexcept {
  if (open != 0 && open != 1) return kInvalidArgument;
  if ((open == 1) == editOpen_) return kResultFalse;  // opened twice, or closed without opening
  editOpen_ = open == 1;
  if (!editOpen_) ++completedEdits_;
  return kResultOk;
}

tresult TreeValue::setFromText(const char16* text, int32 notify) noexcept {
  if (text == nullptr) return kInvalidArgument;
  try {
    double plain = 0;
    if (!plainFor(toUtf8(text, kMaxText), &plain)) return kResultFalse;
    store(plain, notify != 0);
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
  if (observer_ != nullptr) observer_->moduleWrote(*this);
  return kResultOk;
}

bool TreeValue::plainFor(std::string_view text, double* plain) const {
  // The host's own words are understood as the host shows them too.
  if (spec_.localizedTexts && language_) {
    for (const auto& [at, entry] : spec_.texts) {
      if (language_->show(entry) == text) {
        *plain = spec_.clamp(at);
        return true;
      }
    }
  }
  return spec_.plainFromText(text, plain);
}

bool TreeValue::setPlain(double plain) {
  if (spec_.textOnly || std::isnan(plain)) return false;
  store(plain, true);
  return true;
}

bool TreeValue::setText(const std::string& text) {
  if (spec_.textOnly) {
    if (text != text_) {
      text_ = text;
      registry_->notify(this, IDependent::kChanged);
    }
    return true;
  }
  double plain = 0;
  if (!plainFor(text, &plain)) return false;
  store(plain, true);
  return true;
}

}  // namespace QentSim
