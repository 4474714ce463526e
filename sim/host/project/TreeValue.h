// A keyed value of the host's tree: a channel's volume or name, an equaliser band, a quick
// control, an instrument parameter. Numbers answer IHostValue and IHostParameter; values that
// are only a text (names, outputs, destinations) answer IHostValue alone.
//
// The value belongs to one object (its owner), which holds it; the owner's destruction cuts the
// link, after which getOwner answers none. A write through the interfaces with notify set
// queues a change notice for the value's dependents; the host's own changes (setPlain,
// setText) do the same. Edits are recorded: whether one is open, and how many were completed.
// Host thread only.
#pragma once

#include <memory>
#include <string>

#include "sdk/host/HostObjects.h"
#include "sim/host/project/DependencyRegistry.h"
#include "sim/host/project/HostLanguage.h"
#include "sim/host/kit/HostObject.h"
#include "sim/host/project/ValueSpec.h"

namespace QentSim {

class TreeObject;
class TreeValue;

// Told when the module writes a value through its interfaces (the host's own writes are not
// reported): the project keeps what depends on the value in line, e.g. the selected track.
class ValueObserver {
 public:
  // [host thread, inside a module call: queue notices, call nothing of the module]
  virtual void moduleWrote(TreeValue& value) noexcept = 0;

 protected:
  ~ValueObserver() = default;
};

class TreeValue final
    : public HostObject<Brennholt::Hox::IHostValue, Brennholt::Hox::IHostParameter>,
      public TreeItem {
 public:
  // Texts longer than this are cut when they are handed to the module.
  static constexpr Brennholt::int32 kMaxText = 256;

  // A new value with one reference for the caller; throws std::bad_alloc.
  static Brennholt::IPtr<TreeValue> make(std::shared_ptr<DependencyRegistry> registry,
                                         std::shared_ptr<const HostLanguage> language,
                                         ValueSpec spec, Brennholt::int32 tag);

  // --- FUnknown: a text value does not answer IHostParameter --------------------------------
  Brennholt::tresult queryInterface(const Brennholt::TUID iid, void** object) noexcept override;

  // --- IHostValue ---------------------------------------------------------------------------
  Brennholt::tresult getOwner(Brennholt::Hox::IHostObject** owner) noexcept override;
  Brennholt::int32 tag() noexcept override { return tag_; }
  Brennholt::int32 intValue() noexcept override;
  Brennholt::int32 intMinimum() noexcept override;
  Brennholt::int32 intMaximum() noexcept override;
  Brennholt::tresult setIntValue(Brennholt::int32 value, Brennholt::int32 notify) noexcept override;
  Brennholt::tresult getText(Brennholt::char16* text, Brennholt::int32 capacity) noexcept override;

  // --- IHostParameter -----------------------------------------------------------------------
  double plainValue() noexcept override { return value_; }
  double plainMinimum() noexcept override { return spec_.minimum; }
  double plainMaximum() noexcept override { return spec_.maximum; }
  Brennholt::tresult setPlainValue(double value, Brennholt::int32 notify) noexcept override;
  Brennholt::tresult getNormalized(double* value) noexcept override;
  Brennholt::tresult setNormalized(double value, Brennholt::int32 notify) noexcept override;
  Brennholt::tresult getDefault(double* value) noexcept override;
  Brennholt::int32 kindCode() noexcept override { return spec_.kind; }
  Brennholt::tresult edit(Brennholt::int32 open) noexcept override;
  Brennholt::tresult setFromText(const Brennholt::char16* text,
                                 Brennholt::int32 notify) noexcept override;

  // --- TreeItem -----------------------------------------------------------------------------
  Brennholt::FUnknown* itemIdentity() noexcept override { return identity(); }
  Brennholt::uint32 itemReferences() const noexcept override { return referenceCount(); }
  void heldItems(std::vector<TreeItem*>*) const override {}

  // --- the host's side ----------------------------------------------------------------------
  const ValueSpec& spec() const { return spec_; }
  bool isText() const { return spec_.textOnly; }
  double plain() const { return value_; }
  // The title as the host shows it (in its language for its own words); empty when none.
  std::string_view shownTitle() const noexcept;
  // The display text as the module reads it.
  std::string text() const;
  // The user changes the value: clamped; a change notifies the dependents. False for a text
  // value.
  bool setPlain(double plain);
  // The user sets a text: a text value takes it as it stands, a number the value the text
  // means (see ValueSpec::plainFromText). False when the text means nothing to the value.
  bool setText(const std::string& text);
  // The host's own write, e.g. a selection that follows another change.
  void setPlainQuietly(double plain) { value_ = spec_.clamp(plain); }
  int completedEdits() const { return completedEdits_; }
  bool editOpen() const { return editOpen_; }
  void setOwner(TreeObject* owner) { owner_ = owner; }
  void setObserver(ValueObserver* observer) { observer_ = observer; }

 private:
  TreeValue(std::shared_ptr<DependencyRegistry> registry,
            std::shared_ptr<const HostLanguage> language, ValueSpec spec, Brennholt::int32 tag);
  ~TreeValue() override;

  // Stores a new plain value; true when it changed. Queues the change notice when `notify`.
  bool store(double plain, bool notify) noexcept;
  // The plain value `text` means (ValueSpec::plainFromText, and the host's words as shown).
  bool plainFor(std::string_view text, double* plain) const;
  // The display text into `out` (terminated, cut); allocates nothing.
  std::string_view shownText(char* out, std::size_t size) const noexcept;

  std::shared_ptr<DependencyRegistry> registry_;
  std::shared_ptr<const HostLanguage> language_;
  ValueSpec spec_;
  Brennholt::int32 tag_ = 0;
  double value_ = 0;
  std::string text_;
  TreeObject* owner_ = nullptr;  // not held: the owner holds this value and cuts the link
  ValueObserver* observer_ = nullptr;
  bool editOpen_ = false;
  int completedEdits_ = 0;
};

}  // namespace QentSim
