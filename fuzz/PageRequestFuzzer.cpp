// What a page sends qentsim serve, through everything that reads it: each line of the input is one
// request, parsed, checked and, when it passes, run on the reference host with this build's
// module and the demo project, followed by the rounds that settle it. One host serves every input
// (starting one per input would leave no time to fuzz); a window an input opened is closed after
// it, so the next input starts in the host's main view.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sim/serve/PageRequests.h"
#include "sim/serve/PageSession.h"

namespace {

QentSim::PageSession* host = nullptr;

// The host shuts down in order before the process ends: the module's workers stop and the
// module unloads, instead of meeting static destruction while they still run.
void shutDown() {
  delete host;
  host = nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  QentSim::ServeOptions options;
  options.modulePath = MODULE_PATH;
  options.keyboards = 2;
  host = new QentSim::PageSession(options);
  std::string why;
  if (!host->start(&why)) {
    std::fprintf(stderr, "page request fuzzer: %s\n", why.c_str());
    std::abort();
  }
  // Not waiting for the module's workers after each call, as a real host does not: many more
  // inputs a second, and the workers meet the next request while still busy with the last.
  host->host().moduleThreads().setWaiting(false);
  std::atexit(shutDown);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string why;
  while (!input.empty()) {
    const std::size_t end = input.find('\n');
    const std::string_view line = input.substr(0, end);
    QentSim::runPageRequest(*host, line, &why);
    if (!host->settle(&why)) std::abort();  // a request that never comes to rest is a finding
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
  }
  QentSim::runPageRequest(*host, R"({"type":"window-close"})", &why);
  host->settle(&why);
  return 0;
}
