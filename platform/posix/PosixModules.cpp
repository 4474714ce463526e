// Modules on POSIX: dlopen and friends, plus the exported resource table that stands in for
// Windows resources.
#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <limits.h>
#include <link.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/Platform.h"
#include "platform/ResourceId.h"

namespace Brennholt::Platform {

namespace {

// The path a module was loaded from, made absolute; the executable for the main program.
std::string modulePath(ModuleHandle module) {
  const char* name = nullptr;
  if (module) {
    link_map* map = nullptr;
    if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map) return {};
    name = map->l_name;
  }
  if (!name || !*name) {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
  }
  char resolved[PATH_MAX];
  return realpath(name, resolved) ? std::string(resolved) : std::string(name);
}

// Load address of a module, to tell whether a symbol found through it is its own.
const void* moduleBase(ModuleHandle module) {
  link_map* map = nullptr;
  if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map) return nullptr;
  Dl_info info{};
  // l_ld lies inside the module's image, so dladdr names the module's own base for it.
  if (!map->l_ld || !dladdr(map->l_ld, &info)) return nullptr;
  return info.dli_fbase;
}

// True when [offset, offset + count * entrySize) lies within a file of fileSize bytes.
bool withinFile(uint64_t offset, uint64_t count, uint64_t entrySize, uint64_t fileSize) {
  if (offset > fileSize) return false;
  return count == 0 || entrySize <= (fileSize - offset) / count;
}

// The file at path is a regular file and an ELF object of this process's class whose program
// headers, the file parts of its segments and its section headers all lie within it. The
// system loader maps segments without comparing them with the file's length, and touching a
// mapped page past the end of a cut file kills the process.
bool isWholeElfFile(const char* path) {
  struct stat info {};
  // Asked before the file is opened: opening a FIFO for reading would wait for a writer.
  if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  // Non-blocking in case the path was replaced by a FIFO meanwhile.
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  bool whole = false;
  ElfW(Ehdr) header{};
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
      pread(fd, &header, sizeof(header), 0) == static_cast<ssize_t>(sizeof(header)) &&
      std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
      header.e_ident[EI_CLASS] == (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32) &&
      header.e_phentsize == sizeof(ElfW(Phdr))) {
    const auto size = static_cast<uint64_t>(info.st_size);
    whole = withinFile(header.e_phoff, header.e_phnum, sizeof(ElfW(Phdr)), size) &&
            withinFile(header.e_shoff, header.e_shnum, header.e_shentsize, size);
    for (ElfW(Half) i = 0; whole && i < header.e_phnum; ++i) {
      ElfW(Phdr) segment{};
      off_t at = static_cast<off_t>(header.e_phoff + uint64_t{i} * sizeof(segment));
      whole = pread(fd, &segment, sizeof(segment), at) == static_cast<ssize_t>(sizeof(segment)) &&
              withinFile(segment.p_offset, 1, segment.p_filesz, size);
    }
  }
  close(fd);
  return whole;
}

}  // namespace

ModuleHandle loadModule(const char* path) {
  if (!path || !*path || !isWholeElfFile(path)) return nullptr;
  return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

void* findExport(ModuleHandle module, const char* name) {
  // dlsym with a null handle would search the whole process.
  if (!module || !name) return nullptr;
  return dlsym(module, name);
}

void unloadModule(ModuleHandle module) {
  if (module) dlclose(module);
}

ModuleHandle moduleContaining(const void* address) {
  Dl_info info{};
  if (!address || !dladdr(address, &info) || !info.dli_fname) return nullptr;
  // RTLD_NOLOAD only finds the module that is already there; its extra reference is dropped
  // again at once, since the caller asked for a handle, not for a reference (as on Windows).
  void* handle = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
  if (handle && moduleBase(handle) != info.dli_fbase) {
    dlclose(handle);
    handle = nullptr;
  }
  if (!handle) {
    void* self = dlopen(nullptr, RTLD_NOW);  // the main program
    if (self && moduleBase(self) == info.dli_fbase) return self;
    return nullptr;
  }
  dlclose(handle);
  return handle;
}

uint32 moduleFileName(ModuleHandle module, char16* buffer, uint32 capacity) {
  if (!buffer || capacity == 0) return 0;
  std::string path = modulePath(module);
  if (path.empty()) {
    buffer[0] = 0;
    return 0;
  }
  int32 needed = multiByteToWide(0, path.data(), static_cast<int32>(path.size()), nullptr, 0);
  if (needed <= 0) {
    buffer[0] = 0;
    return 0;
  }
  std::u16string wide(static_cast<size_t>(needed), u'\0');
  multiByteToWide(0, path.data(), static_cast<int32>(path.size()), wide.data(), needed);
  uint32 n = static_cast<uint32>(needed) < capacity ? static_cast<uint32>(needed) : capacity - 1;
  std::memcpy(buffer, wide.data(), n * sizeof(char16));
  buffer[n] = 0;
  return n;
}

bool findResource(ModuleHandle module, const char* type, const char* name, const void** data,
                  uint32* size) {
  if (data) *data = nullptr;
  if (size) *size = 0;
  if (!module || !type || !name) return false;
  auto* table = static_cast<const HoxResourceEntry*>(dlsym(module, "hoxResourceTable"));
  if (!table) return false;
  // dlsym also searches the module's dependencies; only the module's own table counts.
  Dl_info info{};
  if (!dladdr(table, &info) || info.dli_fbase != moduleBase(module)) return false;
  for (const HoxResourceEntry* entry = table; entry->type; ++entry) {
    if (!entry->name || !sameResourceId(entry->type, type) || !sameResourceId(entry->name, name))
      continue;
    if (data) *data = entry->data;
    if (size) *size = entry->size;
    return true;
  }
  return false;
}

}  // namespace Brennholt::Platform
