// The settings store the module gets from the host: the host's SettingsData seen through the
// module's interface. [host thread]
#pragma once

#include "sdk/host/SetupServices.h"
#include "sim/host/kit/HostObject.h"
#include "sim/host/kit/Connection.h"
#include "sim/host/services/SettingsData.h"

namespace QentSim {

class SettingsStore final : public HostObject<Brennholt::Hox::ISettingsStore> {
 public:
  using Interface = Brennholt::Hox::ISettingsStore;
  explicit SettingsStore(Connection connection)
      : connection_(std::move(connection)) {}

  Brennholt::tresult getInteger(const Brennholt::char8* section, const Brennholt::char8* key,
                                Brennholt::int32* value) noexcept override;
  Brennholt::tresult setInteger(const Brennholt::char8* section, const Brennholt::char8* key,
                                Brennholt::int32 value) noexcept override;
  Brennholt::tresult getString(const Brennholt::char8* section, const Brennholt::char8* key,
                               Brennholt::char8* text, Brennholt::int32 capacity,
                               Brennholt::int32* length) noexcept override;
  Brennholt::tresult setString(const Brennholt::char8* section, const Brennholt::char8* key,
                               const Brennholt::char8* text,
                               Brennholt::int32 length) noexcept override;

 private:
  SettingsData* data() const;
  Connection connection_;
};

}  // namespace QentSim
