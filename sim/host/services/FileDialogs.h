// The dialogs the host shows the module's user: the save and open file selectors and the alert
// box. None waits for a person: each takes the next answer the scenario queued (a selector
// without one is cancelled, an alert without one answers with its last button), and the alert
// box records every message it showed. [host thread]
#pragma once

#include <memory>

#include "sdk/host/SetupServices.h"
#include "sim/host/kit/HostObject.h"
#include "sim/host/kit/Connection.h"

namespace QentSim {

class SaveFileSelector final : public HostObject<Brennholt::Hox::ISaveFileSelector> {
 public:
  using Interface = Brennholt::Hox::ISaveFileSelector;
  explicit SaveFileSelector(Connection connection)
      : connection_(std::move(connection)) {}

  Brennholt::tresult run(Brennholt::int32 mode, const Brennholt::char16* title,
                         const Brennholt::Hox::FileType* type,
                         Brennholt::FUnknown** result) noexcept override;
  Brennholt::tresult getPath(Brennholt::FUnknown* result, Brennholt::int32 form,
                             Brennholt::Hox::SelectedPath* path) noexcept override;
  Brennholt::tresult freePath(Brennholt::Hox::SelectedPath* path) noexcept override;

 private:
  Connection connection_;
};

class OpenFileSelector final : public HostObject<Brennholt::Hox::IOpenFileSelector> {
 public:
  using Interface = Brennholt::Hox::IOpenFileSelector;
  explicit OpenFileSelector(Connection connection)
      : connection_(std::move(connection)) {}

  Brennholt::tresult run(const Brennholt::char16* title, const Brennholt::Hox::FileType* types,
                         Brennholt::int32 count, Brennholt::FUnknown** list) noexcept override;
  Brennholt::int32 entryCount(Brennholt::FUnknown* list) noexcept override;
  Brennholt::tresult getEntry(Brennholt::FUnknown* list, Brennholt::int32 index,
                              Brennholt::FUnknown** entry) noexcept override;
  Brennholt::tresult getPath(Brennholt::FUnknown* entry, Brennholt::int32 form,
                             Brennholt::Hox::SelectedPath* path) noexcept override;
  Brennholt::tresult freePath(Brennholt::Hox::SelectedPath* path) noexcept override;

 private:
  Connection connection_;
};

class AlertBox final : public HostObject<Brennholt::Hox::IAlertBox> {
 public:
  using Interface = Brennholt::Hox::IAlertBox;
  explicit AlertBox(Connection connection)
      : connection_(std::move(connection)) {}

  Brennholt::tresult show(const Brennholt::char16* message, const Brennholt::char16* first,
                          const Brennholt::char16* second, const Brennholt::char16* third,
                          Brennholt::int32* pressed) noexcept override;

 private:
  Connection connection_;
};

}  // namespace QentSim
