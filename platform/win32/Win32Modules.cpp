// Modules on Windows: LoadLibraryA, GetProcAddress, FreeLibrary, GetModuleFileNameW and the
// resource functions.
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/Platform.h"
#include "platform/ResourceId.h"

namespace Brennholt::Platform {

static_assert(sizeof(wchar_t) == sizeof(char16));

namespace {

// A resource type or name as FindResourceW takes it: an integer for "#n", else the text.
class ResourceId {
 public:
  explicit ResourceId(const char* id) {
    uint16 number = 0;
    if (resourceNumber(id, &number)) {
      number_ = number;
      isNumber_ = true;
    } else {
      for (const char* c = id; *c; ++c) text_.push_back(static_cast<wchar_t>(*c & 0xFF));
    }
  }
  LPCWSTR get() const { return isNumber_ ? MAKEINTRESOURCEW(number_) : text_.c_str(); }

 private:
  std::wstring text_;
  uint16 number_ = 0;
  bool isNumber_ = false;
};

}  // namespace

ModuleHandle loadModule(const char* path) {
  if (!path || !*path || fileKind(path) != FileKind::kFile) return nullptr;
  return LoadLibraryA(path);
}

void* findExport(ModuleHandle module, const char* name) {
  if (!module || !name) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void unloadModule(ModuleHandle module) {
  if (module) FreeLibrary(static_cast<HMODULE>(module));
}

ModuleHandle moduleContaining(const void* address) {
  if (!address) return nullptr;
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<LPCWSTR>(address), &module)) {
    return nullptr;
  }
  return module;
}

uint32 moduleFileName(ModuleHandle module, char16* buffer, uint32 capacity) {
  if (!buffer || capacity == 0) return 0;
  DWORD n = GetModuleFileNameW(static_cast<HMODULE>(module), reinterpret_cast<wchar_t*>(buffer),
                               capacity);
  // A path that does not fit comes back cut to the capacity, possibly unterminated.
  if (n >= capacity) n = capacity - 1;
  buffer[n] = 0;
  return n;
}

bool findResource(ModuleHandle module, const char* type, const char* name, const void** data,
                  uint32* size) {
  if (data) *data = nullptr;
  if (size) *size = 0;
  if (!module || !type || !name) return false;
  auto handle = static_cast<HMODULE>(module);
  ResourceId typeId(type);
  ResourceId nameId(name);
  HRSRC resource = FindResourceW(handle, nameId.get(), typeId.get());
  if (!resource) return false;
  DWORD bytes = SizeofResource(handle, resource);
  HGLOBAL loaded = LoadResource(handle, resource);
  const void* locked = loaded ? LockResource(loaded) : nullptr;
  if (!locked) return false;
  if (data) *data = locked;
  if (size) *size = bytes;
  return true;
}

}  // namespace Brennholt::Platform
