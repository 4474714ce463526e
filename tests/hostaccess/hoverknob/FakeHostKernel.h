// A kernel for the host-access tests: an idle service whose clock the test sets, and a transport
// position the test moves. Either service can be withdrawn to test the silent no-op paths.
#pragma once

#include <cstring>

#include "sdk/host/HostKernel.h"
#include "sdk/host/HostServices.h"

namespace Brennholt::Test {

// Stack-lived objects: reference counting is counted but never destroys anything, and a test
// can check that every reference handed out came back.
class FakeHostKernel : public Hox::IHostKernel {
 public:
  uint32 now = 1000;
  double position = 0;
  bool offerClock = true;
  bool offerPosition = true;
  int references = 0;  // references held by the code under test, across all three objects

  tresult getService(const TUID iid, void** service) noexcept override {
    *service = nullptr;
    if (offerClock && std::memcmp(iid, Hox::IIdleService::iid.bytes(), sizeof(TUID)) == 0) {
      *service = static_cast<Hox::IIdleService*>(&idle_);
    } else if (offerPosition &&
               std::memcmp(iid, Hox::ITransportPosition::iid.bytes(), sizeof(TUID)) == 0) {
      *service = static_cast<Hox::ITransportPosition*>(&transport_);
    } else {
      return kNoInterface;
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

  void advance(uint32 ms) { now += ms; }

 private:
  class Idle : public Hox::IIdleService {
   public:
    explicit Idle(FakeHostKernel& k) : k_(k) {}
    tresult addIdleHandler(Hox::IIdleHandler*) noexcept override { return kResultOk; }
    tresult removeIdleHandler(Hox::IIdleHandler*) noexcept override { return kResultOk; }
    uint32 currentTime() noexcept override { return k_.now; }
    tresult queryInterface(const TUID, void** object) noexcept override {
      *object = nullptr;
      return kNoInterface;
    }
    uint32 addRef() noexcept override { return static_cast<uint32>(++k_.references); }
    uint32 release() noexcept override { return static_cast<uint32>(--k_.references); }

   private:
    FakeHostKernel& k_;
  };
  class Transport : public Hox::ITransportPosition {
   public:
    explicit Transport(FakeHostKernel& k) : k_(k) {}
    double currentPosition() noexcept override { return k_.position; }
    tresult queryInterface(const TUID, void** object) noexcept override {
      *object = nullptr;
      return kNoInterface;
    }
    uint32 addRef() noexcept override { return static_cast<uint32>(++k_.references); }
    uint32 release() noexcept override { return static_cast<uint32>(--k_.references); }

   private:
    FakeHostKernel& k_;
  };

  Idle idle_{*this};
  Transport transport_{*this};
};

}  // namespace Brennholt::Test
