// Nine keyboards flood the module at once, each as fast as its MIDI cable carries (31250 bit/s,
// 3125 bytes a second of host clock), in turns of one second each: a stuck encoder turning one
// knob the same way (about 1000 messages a second), then a SysEx storm of every address and every
// length (1 to 600 bytes: short, exact, too long, cut off without F7, other headers), half of it
// the keyboard's own well-formed answers (its name, its assignments, remote mode, single
// assignments) that make the service rebind and resend the display to every keyboard. Odd
// keyboards start with the encoder, even ones with the storm. Meanwhile each keyboard presses F1
// and switches SF banks on a fixed schedule.
//
// What must hold however long the flood lasts, independent of the machine's speed:
//   - every press counts: each F1 press runs exactly the command of the memory the SF bank
//     presses before it chose;
//   - what the module still has queued for a keyboard when the flood stops is bounded: the
//     messages a keyboard receives after the last flood message are a display's worth, not a
//     backlog growing with the flood's length;
//   - once the host settles, every keyboard shows the truth: the track, the target, the knob
//     names it showed before and each knob's value text as the host has it now.
// The heap in use is sampled every second of host clock (the host's own records forgotten
// first) and, like the host thread's time per idle round, printed rather than checked.
//
// Short by default (4 s of host clock, the host waiting for the module's threads after every
// call, so the run is the same on every machine). The long run is documented in bench/FLOODS.md:
// QENT_FLOOD_SECONDS=600 QENT_FLOOD_REAL_HOST=1 build/release/tests/flood_tests
// (a host that does not wait, as a real one, for the timing figures).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "sim/keyboard/KeyboardElements.h"
#include "sim/keyboard/KeyboardSysEx.h"
#include "sim/keyboard/KnobSetting.h"
#include "sim/scenario/Simulation.h"
#include "tests/support/ArtifactPath.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's own count of the bytes allocated and not yet freed.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
#include <malloc.h>
#endif

#if defined(__linux__)
#include <time.h>
#endif

using namespace QentSim;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kKeyboards = Simulation::kMaxKeyboards;
constexpr const char* kTarget = "LeadSynth";
// 31250 bit/s, ten bits a byte: what one cable carries in one 10 ms idle round, in quarter bytes.
constexpr int kWireQuartersPerRound = 3125 * 4 / 100;
// A keyboard switches between its stuck encoder and its storm after this many rounds.
constexpr std::uint64_t kPhaseRounds = 100;
// Rounds of the press schedule: F1 (memory 1), SF bank 2, F1 (memory 2), SF bank 1.
constexpr int kCycleRounds = 200;

std::uint32_t envNumber(const char* name, std::uint32_t fallback) {
  const char* text = std::getenv(name);
  return text && std::atol(text) > 0 ? static_cast<std::uint32_t>(std::atol(text)) : fallback;
}

// The heap in use by the whole process (module and host), in bytes; 0 where it cannot be read.
#if defined(__SANITIZE_ADDRESS__) || defined(__GLIBC__)
constexpr bool kHeapMeasured = true;
#else
constexpr bool kHeapMeasured = false;
#endif
std::uint64_t heapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
  return mallinfo2().uordblks;
#else
  return 0;
#endif
}

// CPU time of the calling thread in nanoseconds; 0 where it cannot be read.
std::uint64_t threadCpuNs() {
#if defined(__linux__)
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u +
         static_cast<std::uint64_t>(now.tv_nsec);
#else
  return 0;
#endif
}

// What every keyboard stores for the target: knobs 1..6 on its parameters.
KnobSettings storedAssignments() {
  KnobSettings settings{};
  const std::uint32_t ids[] = {100, 101, 102, 103, 7, 8};
  for (std::size_t knob = 0; knob < 6; ++knob) settings[knob] = KnobSetting{0, ids[knob]};
  return settings;
}

// Where the host keeps the value knob `knob` (0..23) shows; empty for an unassigned knob.
std::pair<std::string, std::string> valueOf(int knob) {
  static const char* const ids[] = {"100", "101", "102", "103", "7", "8"};
  if (knob < 6) return {"inst:Lead Synth", ids[knob]};
  if (knob < 12) return {};
  static const char* const fields[] = {"q", "freq", "gain"};
  const int eq = knob - 12;
  return {"eq:Lead", "band" + std::to_string(eq % 4 + 1) + ":" + fields[eq / 4]};
}

// Keyboard k's (1-based) stuck knob: knobs 1..6, then EQ knobs 1, 5, 9; odd keyboards turn up.
int stuckKnob(int keyboard) {
  static const int knobs[] = {0, 1, 2, 3, 4, 5, 12, 16, 20};
  return knobs[keyboard - 1];
}

// One message of the storm. Every other one is one of the keyboard's own well-formed answers,
// true to what it stores; the rest walk every address (high byte fastest) with every length from
// 1 to 600.
Bytes stormMessage(std::uint64_t i, const KnobSettings& settings) {
  if (i % 2 == 0) {
    const std::uint64_t n = i / 2;
    // Remote mode entered makes the service resend its text line, which drops the knob texts
    // still queued: rare here, so the knob texts of the assignments pile up if nothing bounds
    // them.
    if (n % 64 == 63) return KeyboardSysEx::remoteMode(1);
    switch (n % 6) {
      case 0:
        return KeyboardSysEx::name(kTarget);
      case 1:
      case 3:
        return KeyboardSysEx::assignmentDump(settings);
      case 2:
      case 4: {
        // One knob's assignment, as the keyboard reports a single change.
        const int knob = static_cast<int>((n / 6) % 24);
        const KnobSetting setting = knob < KnobSetting::kAssignableKnobs
                                        ? settings[static_cast<std::size_t>(knob)]
                                        : KnobSetting::fixedEq(knob);
        Bytes entry{
            0xF0, 0x43, 0x10, 0x7F, 0x1C, 0x01, 0x01, static_cast<std::uint8_t>(0x30 + knob), 0x00};
        entry.resize(entry.size() + KnobSetting::kBlockSize);
        setting.writeBlock(entry.data() + 9);
        entry.push_back(0xF7);
        return entry;
      }
      default:
        return KeyboardSysEx::remoteMode(0);
    }
  }
  const std::uint64_t g = i / 2;  // the garbage messages' own count
  const std::size_t length = g % 16 == 15 ? 41 + static_cast<std::size_t>((g * 7919) % 560)
                                          : 1 + static_cast<std::size_t>((g * 31) % 40);
  Bytes message(length);
  // The keyboard's header, now and then in the second form or the other direction; the address.
  const std::uint8_t header[] = {0xF0,
                                 0x43,
                                 static_cast<std::uint8_t>(g % 8 == 3 ? 0x30 : 0x10),
                                 0x7F,
                                 0x1C,
                                 static_cast<std::uint8_t>(g % 32 == 7 ? 0 : 1),
                                 0x01,
                                 static_cast<std::uint8_t>(g % 128),
                                 static_cast<std::uint8_t>((g / 128) % 128)};
  for (std::size_t b = 0; b < length; ++b)
    message[b] = b < sizeof header ? header[b] : static_cast<std::uint8_t>(0x20 + b % 16);
  // Every fifth is cut off without its F7; the others end with one.
  if (g % 5 != 0) message.back() = 0xF7;
  message.front() = 0xF0;
  return message;
}

struct Figures {
  std::vector<double> busyUs;       // the host thread's time in each idle round's calls
  std::vector<double> roundUs;      // wall time of each idle round of the flood
  std::vector<double> roundCpuUs;   // the host thread's CPU time of each
  std::vector<std::uint64_t> heap;  // heap in use, once a second of host clock
  std::uint64_t messages = 0;       // sent by the keyboards
  std::uint64_t bytes = 0;
};

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t at = std::min(values.size() - 1, static_cast<std::size_t>(p * values.size()));
  return values[at];
}

// The first or the second half of a series.
template <class T>
std::vector<T> halfOf(const std::vector<T>& values, bool second) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  return second ? std::vector<T>(middle, values.end()) : std::vector<T>(values.begin(), middle);
}

class KeyboardFlood : public ::testing::Test {
 protected:
  void SetUp() override {
    sim = std::make_unique<Simulation>(QentTest::artifactPath("qentlink.hox3"), out);
    SimHost& host = sim->host();
    host.setKeyboardCount(kKeyboards);
    host.openDemoProject();
    const KnobSettings settings = storedAssignments();
    for (int k = 1; k <= kKeyboards; ++k) {
      for (int knob = 0; knob < KnobSetting::kAssignableKnobs; ++knob)
        sim->keyboard(k).storeAssignment(kTarget, knob, settings[static_cast<std::size_t>(knob)]);
    }
    std::string error;
    ASSERT_TRUE(host.start(&error)) << error;
    settle();
  }

  void settle() {
    sim->markChanged();
    std::string why;
    ASSERT_TRUE(sim->settle(&why)) << why;
  }

  void tap(int keyboard, const char* element) {
    std::string error;
    const int index = KeyboardElements::find(element);
    ASSERT_TRUE(sim->keyboard(keyboard).press(index, &error)) << error;
    ASSERT_TRUE(sim->keyboard(keyboard).release(index, &error)) << error;
  }

  // Counts the commands run since the last call, then forgets the host's and keyboards' records.
  void harvest() {
    for (const auto& [category, name] : sim->host().executedCommands()) {
      if (category == "Zoom" && name == "Zoom In") ++zoomIn;
      if (category == "Editors" && name == "Open Key Editor") ++keyEditor;
    }
    sim->forgetRecords();
  }

  std::ostringstream out;
  std::unique_ptr<Simulation> sim;
  int zoomIn = 0;
  int keyEditor = 0;
};

TEST_F(KeyboardFlood, NineKeyboardsFloodingKeepEveryPressBoundedQueuesAndEndOnTheTruth) {
  const std::uint32_t seconds = envNumber("QENT_FLOOD_SECONDS", 4);
  const bool realHost = envNumber("QENT_FLOOD_REAL_HOST", 0) != 0;
  const KnobSettings settings = storedAssignments();

  // What the keyboards show before the flood: the names stay, the values follow the host.
  const VirtualKeyboard& first = sim->keyboard(1);
  ASSERT_EQ(first.line(), "Lead");
  ASSERT_EQ(first.target(), kTarget);
  ASSERT_EQ(first.knobName(0), "Cutoff");
  std::vector<std::string> names;
  for (int knob = 0; knob < VirtualKeyboard::kKnobCount; ++knob)
    names.push_back(first.knobName(knob));
  std::vector<std::string> labels;
  for (int key = 0; key < VirtualKeyboard::kKeyCount; ++key) labels.push_back(first.keyLabel(key));
  harvest();
  zoomIn = keyEditor = 0;

  SimHost& host = sim->host();
  host.moduleThreads().setWaiting(!realHost);
  Figures figures;
  int credit[kKeyboards] = {};
  std::uint64_t storm[kKeyboards] = {};
  int pressesMemory1 = 0;
  int pressesMemory2 = 0;
  // Whole press cycles, so the flood ends with SF bank 1 chosen.
  const std::uint64_t rounds =
      (static_cast<std::uint64_t>(seconds) * 100 + kCycleRounds - 1) / kCycleRounds * kCycleRounds;
  figures.busyUs.reserve(rounds);
  figures.roundUs.reserve(rounds);
  figures.roundCpuUs.reserve(rounds);
  figures.heap.push_back(heapInUse());
  std::uint64_t received = 0;  // messages the keyboards received during the flood

  for (std::uint64_t round = 0; round < rounds; ++round) {
    for (int k = 1; k <= kKeyboards; ++k) {
      VirtualKeyboard& kb = sim->keyboard(k);
      int& wire = credit[k - 1];
      wire += kWireQuartersPerRound;
      const bool storming = (round / kPhaseRounds + static_cast<std::uint64_t>(k)) % 2 == 0;
      for (;;) {
        std::uint64_t& n = storm[k - 1];
        Bytes message;
        if (storming) {
          // Each keyboard starts the walk at its own place, so together they cover it sooner.
          message = stormMessage(n + 4000u * static_cast<std::uint64_t>(k - 1), settings);
        } else {
          const KeyboardElement* knob = KeyboardElements::at(stuckKnob(k));
          message = {knob->status, knob->number, static_cast<std::uint8_t>(k % 2 ? 1 : 65)};
        }
        const int cost = static_cast<int>(message.size()) * 4;
        if (wire < cost) break;
        wire -= cost;
        kb.send(message);
        if (storming) ++n;
        ++figures.messages;
        figures.bytes += message.size();
      }
      const int phase = static_cast<int>(round % kCycleRounds) - k;
      if (phase == 10) {
        tap(k, "F1");
        ++pressesMemory1;
      } else if (phase == 60) {
        tap(k, "SFBank2");
      } else if (phase == 110) {
        tap(k, "F1");
        ++pressesMemory2;
      } else if (phase == 160) {
        tap(k, "SFBank1");
      }
    }
    host.setClock(host.clock() + Simulation::kRoundMs);
    const auto start = std::chrono::steady_clock::now();
    const std::uint64_t cpu = threadCpuNs();
    sim->idleRound();
    figures.busyUs.push_back(static_cast<double>(host.lastRoundBusyNs()) / 1000.0);
    figures.roundCpuUs.push_back(static_cast<double>(threadCpuNs() - cpu) / 1000.0);
    figures.roundUs.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
            .count());
    if (round % 100 == 99) {
      for (int k = 1; k <= kKeyboards; ++k) received += sim->keyboard(k).received().size();
      harvest();
      figures.heap.push_back(heapInUse());
    }
  }

  // The flood stops. What a keyboard gets from here on is what the module still had queued for
  // it, and what the last messages make it send.
  for (int k = 1; k <= kKeyboards; ++k) received += sim->keyboard(k).received().size();
  harvest();
  host.moduleThreads().setWaiting(true);
  settle();
  std::size_t backlog = 0;
  for (int k = 1; k <= kKeyboards; ++k)
    backlog = std::max(backlog, sim->keyboard(k).received().size());
  harvest();
  const std::uint64_t heapAfter = heapInUse();

  const double hostSeconds = static_cast<double>(rounds) / 100.0;
  std::printf(
      "[ measure  ] %u s of host clock, %d keyboards: %.0f messages/s and %.0f bytes/s from each, "
      "%llu messages to the keyboards during the flood, at most %zu to one after it\n",
      seconds, kKeyboards, static_cast<double>(figures.messages) / kKeyboards / hostSeconds,
      static_cast<double>(figures.bytes) / kKeyboards / hostSeconds,
      static_cast<unsigned long long>(received), backlog);
  std::printf(
      "[ measure  ] host thread per idle round (%s host), in its calls: p50 %.1f us, p99 %.1f us, "
      "max %.1f us; the whole round's wall time: p50 %.1f us, p99 %.1f us, max %.1f us\n",
      realHost ? "real" : "waiting", percentile(figures.busyUs, 0.5),
      percentile(figures.busyUs, 0.99), percentile(figures.busyUs, 1.0),
      percentile(figures.roundUs, 0.5), percentile(figures.roundUs, 0.99),
      percentile(figures.roundUs, 1.0));
#if defined(__linux__)
  std::printf(
      "[ measure  ] the whole round's host thread CPU: p50 %.1f us, p99 %.1f us, max %.1f us\n",
      percentile(figures.roundCpuUs, 0.5), percentile(figures.roundCpuUs, 0.99),
      percentile(figures.roundCpuUs, 1.0));
#endif
  // Bounded means the second half of the flood costs no more than the first.
  for (int second = 0; second < 2; ++second) {
    const std::vector<double> rounds = halfOf(figures.busyUs, second != 0);
    const std::vector<std::uint64_t> heap = halfOf(figures.heap, second != 0);
    std::printf("[ measure  ] %s half: host thread per idle round p99 %.1f us, max %.1f us\n",
                second ? "second" : "first", percentile(rounds, 0.99), percentile(rounds, 1.0));
    if (kHeapMeasured && !heap.empty()) {
      std::printf("[ measure  ] %s half: heap in use at most %.0f kB\n",
                  second ? "second" : "first",
                  static_cast<double>(*std::max_element(heap.begin(), heap.end())) / 1024);
    }
  }
  if (kHeapMeasured) {
    const auto [low, high] = std::minmax_element(figures.heap.begin(), figures.heap.end());
    std::printf(
        "[ measure  ] heap in use: %.0f kB before, %.0f..%.0f kB during, %.0f kB at the end of "
        "the flood, %.0f kB settled\n",
        static_cast<double>(figures.heap.front()) / 1024, static_cast<double>(*low) / 1024,
        static_cast<double>(*high) / 1024, static_cast<double>(figures.heap.back()) / 1024,
        static_cast<double>(heapAfter) / 1024);
  }

  // Every press counted, each in the memory the bank presses before it chose.
  EXPECT_EQ(zoomIn, pressesMemory1);
  EXPECT_EQ(keyEditor, pressesMemory2);
  EXPECT_GT(pressesMemory2, 0);
  // The storm kept the module busy towards the keyboards, and what was left queued when it
  // stopped is a display's worth, not a backlog.
  EXPECT_GT(received, static_cast<std::uint64_t>(seconds) * kKeyboards * 100);
  EXPECT_LE(backlog, 200u);

  // Every keyboard shows the truth.
  for (int k = 1; k <= kKeyboards; ++k) {
    SCOPED_TRACE("keyboard " + std::to_string(k));
    const VirtualKeyboard& kb = sim->keyboard(k);
    EXPECT_EQ(kb.line(), "Lead");
    EXPECT_EQ(kb.target(), kTarget);
    EXPECT_EQ(kb.memoryName(), "Project Setup");
    for (int key = 0; key < VirtualKeyboard::kKeyCount; ++key)
      EXPECT_EQ(kb.keyLabel(key), labels[static_cast<std::size_t>(key)]) << "key " << key + 1;
    for (int knob = 0; knob < VirtualKeyboard::kKnobCount; ++knob) {
      EXPECT_EQ(kb.knobName(knob), names[static_cast<std::size_t>(knob)]) << "knob " << knob + 1;
      const auto [object, key] = valueOf(knob);
      if (object.empty()) continue;
      ValueReading value;
      std::string error;
      ASSERT_TRUE(host.readValue(object, key, &value, &error)) << error;
      EXPECT_EQ(kb.knobValue(knob), VirtualKeyboard::trimmed(value.shown.substr(0, 8)))
          << "knob " << knob + 1 << " (" << object << " " << key << ")";
    }
  }
  // The stuck knobs moved their parameters.
  ValueReading cutoff;
  std::string error;
  ASSERT_TRUE(host.readValue("inst:Lead Synth", "100", &cutoff, &error)) << error;
  EXPECT_GT(cutoff.plain, 25.0);
}

}  // namespace
