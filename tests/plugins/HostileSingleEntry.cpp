// Thrower.dll: a single-entry instrument, written like another vendor's module without a header
// of ours, whose dispatcher throws a C++ exception when it is asked for the name of its second
// parameter (HOSTILE_THROW=open: already when it is opened).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#if defined(_WIN32)
#define HOSTILE_EXPORT extern "C" __declspec(dllexport)
#else
#define HOSTILE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

struct Descriptor;
using Dispatch = std::intptr_t (*)(Descriptor*, std::int32_t, std::int32_t, std::intptr_t, void*,
                                   float);

// The published descriptor: the dispatcher at offset 8, the parameter count at 44.
struct Descriptor {
  std::int32_t magic;
  std::int32_t reserved0;
  Dispatch dispatcher;
  void* reserved1[3];
  std::int32_t programCount;
  std::int32_t parameterCount;
  std::int32_t reserved2[6];
  void* object;
};
static_assert(offsetof(Descriptor, dispatcher) == 8 && offsetof(Descriptor, parameterCount) == 44);

constexpr std::int32_t kOpen = 0, kGetParameterName = 8, kCanBeAutomated = 26, kGetCategory = 35;
constexpr std::int32_t kInstrument = 2;

bool throwsWhenOpened() {
  const char* text = std::getenv("HOSTILE_THROW");
  return text && std::strcmp(text, "open") == 0;
}

std::intptr_t dispatch(Descriptor*, std::int32_t opcode, std::int32_t index, std::intptr_t,
                       void* data, float) {
  switch (opcode) {
    case kOpen:
      if (throwsWhenOpened()) throw std::runtime_error("open");
      return 0;
    case kGetCategory:
      return kInstrument;
    case kCanBeAutomated:
      return 1;
    case kGetParameterName:
      if (index == 1) throw std::runtime_error("name");
      if (data) std::strcpy(static_cast<char*>(data), "Level");
      return 0;
    default:
      return 0;
  }
}

Descriptor descriptor = {0x48535449, 0, &dispatch, {}, 0, 2, {}, nullptr};

}  // namespace

HOSTILE_EXPORT Descriptor* HOXPluginMain(Dispatch) { return &descriptor; }
