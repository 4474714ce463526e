#include "scanner/Scanner.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "platform/Platform.h"
#include "scanner/ProbeRunner.h"

namespace Brennholt::Scan {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// How often the progress is refreshed while nothing finishes.
constexpr std::chrono::milliseconds kProgressRefresh{200};

CacheKey probeIdentity(const std::string& plugprobe) {
  CacheKey key;
  std::error_code error;
  key.probeSize = fs::file_size(plugprobe, error);
  if (error) key.probeSize = 0;
  auto modified = fs::last_write_time(plugprobe, error);
  key.probeModified = error ? 0 : static_cast<int64>(modified.time_since_epoch().count());
  return key;
}

// A folder of its own for the probes' output files, removed with everything in it at the end.
class WorkFolder {
 public:
  WorkFolder() {
    std::error_code error;
    fs::path base = fs::temp_directory_path(error);
    if (error) base = fs::current_path(error);
    for (int attempt = 0;; ++attempt) {
      path_ = base / ("plugscan-" + std::to_string(Platform::currentProcessId()) + "-" +
                      std::to_string(attempt));
      if (fs::create_directory(path_, error) || attempt > 100) break;
    }
  }
  ~WorkFolder() {
    std::error_code error;
    fs::remove_all(path_, error);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// What the workers and the main thread share, under one lock.
struct Shared {
  std::mutex lock;
  std::condition_variable changed;
  std::deque<std::pair<std::size_t, std::optional<ProbeResult>>> finished;
  std::map<std::size_t, Clock::time_point> running;  // outcome index -> start of its probe
  unsigned workersLeft = 0;
};

}  // namespace

Scanner::Scanner(ScanSettings settings, ScanCache* cache, const std::atomic<bool>& interrupted)
    : settings_(std::move(settings)), cache_(cache), interrupted_(interrupted) {}

bool Scanner::needsProbe(const FoundModule& module, const CacheKey& key) const {
  if (!cache_) return true;
  const CacheEntry* entry = cache_->find(module.canonical);
  if (!entry || !(entry->key == key)) return true;
  switch (settings_.rescan) {
    case Rescan::kAll:
      return true;
    case Rescan::kFailed:
      return isRetriedOnRequest(entry->result.state);
    case Rescan::kChanged:
      return false;
  }
  return true;
}

std::vector<ModuleOutcome> Scanner::run(const std::vector<FoundModule>& modules,
                                        const std::function<void(const ScanProgress&)>& progress) {
  const Clock::time_point start = Clock::now();
  const CacheKey probeKey = probeIdentity(settings_.plugprobe);
  std::vector<ModuleOutcome> outcomes;
  std::vector<CacheKey> keys;
  std::vector<std::size_t> toProbe;
  ScanProgress status;
  status.total = modules.size();
  for (const FoundModule& module : modules) {
    ModuleOutcome outcome{module, std::nullopt, false};
    CacheKey key = probeKey;
    key.size = module.size;
    key.modified = module.modified;
    if (module.duplicateOf) {
      ProbeResult duplicate;
      duplicate.state = ModuleState::kDuplicate;
      duplicate.reason = "the same file as " + modules[*module.duplicateOf].path;
      outcome.result = duplicate;
    } else if (!needsProbe(module, key)) {
      outcome.result = cache_->find(module.canonical)->result;
      outcome.fromCache = true;
    } else {
      toProbe.push_back(outcomes.size());
    }
    if (outcome.result) {
      ++status.done;
      if (isProblem(outcome.result->state)) ++status.problems;
    }
    outcomes.push_back(std::move(outcome));
    keys.push_back(key);
  }
  probesStarted_ = 0;

  WorkFolder work;
  ProbeRunner runner(settings_.plugprobe, work.path(), settings_.timeout, interrupted_);
  Shared shared;
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> started{0};
  auto worker = [&] {
    for (;;) {
      std::size_t slot = next++;
      if (slot >= toProbe.size() || interrupted_.load()) break;
      std::size_t index = toProbe[slot];
      {
        std::lock_guard<std::mutex> hold(shared.lock);
        shared.running[index] = Clock::now();
      }
      ++started;
      std::optional<ProbeResult> result =
          runner.probe(modules[index].canonical, "probe-" + std::to_string(index) + ".txt");
      std::lock_guard<std::mutex> hold(shared.lock);
      shared.running.erase(index);
      shared.finished.emplace_back(index, std::move(result));
      shared.changed.notify_one();
    }
    std::lock_guard<std::mutex> hold(shared.lock);
    --shared.workersLeft;
    shared.changed.notify_one();
  };
  unsigned workerCount =
      static_cast<unsigned>(std::min<std::size_t>(std::max(1u, settings_.jobs), toProbe.size()));
  shared.workersLeft = workerCount;
  std::vector<std::thread> workers;
  for (unsigned i = 0; i < workerCount; ++i) workers.emplace_back(worker);

  // Takes what the workers handed over and the running table under the lock; records results
  // in the cache (its journal is a file write) and draws the progress outside it.
  for (bool last = false; !last;) {
    std::deque<std::pair<std::size_t, std::optional<ProbeResult>>> arrived;
    {
      std::unique_lock<std::mutex> hold(shared.lock);
      if (shared.finished.empty() && shared.workersLeft > 0)
        shared.changed.wait_for(hold, kProgressRefresh);
      arrived.swap(shared.finished);
      last = shared.workersLeft == 0;  // a worker hands over its last result before it leaves
      status.running = shared.running.size();
      status.slowestRunning.clear();
      status.slowestRunningMs = 0;
      auto oldest =
          std::min_element(shared.running.begin(), shared.running.end(),
                           [](const auto& a, const auto& b) { return a.second < b.second; });
      if (oldest != shared.running.end()) {
        status.slowestRunning = modules[oldest->first].path;
        status.slowestRunningMs =
            std::chrono::duration<double, std::milli>(Clock::now() - oldest->second).count();
      }
    }
    for (auto& [index, result] : arrived) {
      if (!result) continue;  // interrupted: no result to keep
      ++status.done;
      if (isProblem(result->state)) ++status.problems;
      if (cache_ && result->probed)
        cache_->record(modules[index].canonical, CacheEntry{keys[index], *result});
      outcomes[index].result = std::move(result);
    }
    status.elapsedMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (progress) progress(status);
  }
  for (std::thread& thread : workers) thread.join();
  probesStarted_ = started.load();
  return outcomes;
}

}  // namespace Brennholt::Scan
