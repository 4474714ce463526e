// The floor under one plugprobe run: a process that loads the same module and unloads it, and
// does nothing else. Takes the two arguments plugprobe takes; ignores the second.
#include "platform/Platform.h"

int main(int argc, char** argv) {
  if (argc < 2) return 1;
  Brennholt::Platform::ModuleHandle module = Brennholt::Platform::loadModule(argv[1]);
  if (!module) return 2;
  Brennholt::Platform::unloadModule(module);
  return 0;
}
