// The values of the host's windows, made for the module through the host context's
// create-instance operation: switches (BoolValue), numbers (IntValue), texts (StringValue) and
// menus (ListValue). Each answers IGuiValue and IValueAttributes, a menu IListValue too.
//
// Setting a value with notification calls its owner's valueChanged at once, changed or not, and
// the owner may set further values from inside that call. A handler that keeps setting values
// in a circle would overflow the host's stack, so notifications nested deeper than
// kMaxNotificationDepth are dropped and reported among the window problems. [host thread]
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sdk/host/PanelServices.h"
#include "sim/host/kit/HostObject.h"
#include "sim/host/kit/Connection.h"

namespace QentSim {

class GuiValue final : public HostObject<Brennholt::Hox::IGuiValue, Brennholt::Hox::IListValue,
                                         Brennholt::Hox::IValueAttributes> {
 public:
  enum class Kind { kBool, kInt, kString, kList };
  static constexpr int kMaxNotificationDepth = 64;

  GuiValue(Kind kind, Connection connection);

  // The host's own value behind an IGuiValue the module handed back; null for any other
  // object. [host thread]
  static GuiValue* of(Brennholt::Hox::IGuiValue* value) noexcept;

  // Answers IListValue only for a menu.
  Brennholt::tresult queryInterface(const Brennholt::TUID iid, void** object) noexcept override;

  // IGuiValue
  Brennholt::tresult setOwner(Brennholt::Hox::IPlugController* owner,
                              Brennholt::int32 tag) noexcept override;
  Brennholt::int32 getTag() noexcept override { return tag_; }
  Brennholt::int32 getValue() noexcept override { return value_; }
  Brennholt::tresult setValue(Brennholt::int32 value, Brennholt::int32 notify) noexcept override;
  Brennholt::tresult getText(Brennholt::char16* text, Brennholt::int32 capacity) noexcept override;
  Brennholt::tresult setText(const Brennholt::char16* text,
                             Brennholt::int32 notify) noexcept override;
  Brennholt::tresult setRange(Brennholt::int32 minimum, Brennholt::int32 maximum) noexcept override;
  Brennholt::tresult setDefault(Brennholt::int32 value) noexcept override;

  // IListValue
  Brennholt::tresult clear() noexcept override;
  Brennholt::tresult append(const Brennholt::char16* entry) noexcept override;
  Brennholt::int32 count() noexcept override {
    return static_cast<Brennholt::int32>(entries_.size());
  }

  // IValueAttributes
  Brennholt::int32 getAttributes() noexcept override { return attributes_; }
  Brennholt::tresult setAttributes(Brennholt::int32 flags) noexcept override;

  // ---- what the host's windows read ----
  Kind kind() const { return kind_; }
  // The value as the window shows it, UTF-8: "on"/"off" for a switch, the number, the text, a
  // menu's selected entry (empty when none).
  std::string shown() const;
  // A menu's entries, UTF-8.
  std::vector<std::string> entries() const;
  bool disabled() const { return (attributes_ & Brennholt::Hox::IValueAttributes::kDisabled) != 0; }

 private:
  ~GuiValue() override = default;
  // Tells the owner, unless nested too deep (reported then).
  void notifyOwner() noexcept;

  Kind kind_;
  Connection connection_;
  Brennholt::Hox::IPlugController* owner_ = nullptr;  // not referenced
  Brennholt::int32 tag_ = 0;
  Brennholt::int32 value_ = 0;
  Brennholt::int32 minimum_;
  Brennholt::int32 maximum_;
  Brennholt::int32 default_ = 0;
  Brennholt::int32 attributes_ = 0;
  std::u16string text_;
  std::vector<std::u16string> entries_;
};

// Makes a value of class `classId` (one of the four value classes) as interface `iid` into
// *object, one reference for the caller. False when `classId` is no value class; otherwise
// *result says how it went.
bool createGuiValue(const Connection& connection,
                    const Brennholt::TUID classId, const Brennholt::TUID iid, void** object,
                    Brennholt::tresult* result) noexcept;

}  // namespace QentSim
