// module_holder MODULE: loads the module, says "loaded" on standard output once it is, and keeps
// it loaded until standard input ends, so a test can act while a host would hold the module
// without guessing how long loading takes.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: module_holder MODULE\n", stderr);
    return 2;
  }
  HMODULE module = LoadLibraryA(argv[1]);
  if (module == nullptr) {
    std::fprintf(stderr, "module_holder: cannot load the module (error %lu)\n", GetLastError());
    return 1;
  }
  std::puts("loaded");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  FreeLibrary(module);
  return 0;
}
