#include "sim/scenario/ScenarioRunner.h"

#include <cstdlib>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "sim/keyboard/KeyboardElements.h"
#include "sim/scenario/ScenarioParser.h"

namespace QentSim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kQuietRounds = 5;
constexpr auto kQuietTime = std::chrono::milliseconds(20);
constexpr auto kSettleLimit = std::chrono::seconds(5);
constexpr std::uint32_t kRoundMs = 10;
// Scenario files are small; anything bigger is not one.
constexpr std::streamoff kMaxFileSize = std::streamoff{16} * 1024 * 1024;
// A failure lists at most this many of the messages that were seen.
constexpr std::size_t kShownMessages = 8;

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string notYet(const char* what) {
  return std::string("not available yet: the simulated host has no ") + what + " in this version";
}

HostService serviceByName(const std::string& name) {
  static const std::map<std::string, HostService> kByName = {
      {"idle", HostService::kIdle},
      {"project", HostService::kProject},
      {"host-state", HostService::kHostState},
      {"transport-position", HostService::kTransportPosition},
      {"command-catalogue", HostService::kCommandCatalogue},
      {"midi-port-list", HostService::kMidiPortList},
      {"device-registry", HostService::kDeviceRegistry},
      {"mixer-target", HostService::kMixerTarget},
      {"host-functions", HostService::kHostFunctions},
  };
  return kByName.at(name);  // the parser admits only these names
}

bool isSysEx(const std::vector<std::uint8_t>& bytes) { return !bytes.empty() && bytes[0] == 0xF0; }

// The messages most like `pattern` (same first bytes as far as it goes, at most the address),
// or else the last few: what a reader of a failed "expect sent" wants to compare against.
std::string seenNear(const std::vector<VirtualKeyboard::Received>& log,
                     const BytePattern& pattern) {
  if (log.empty()) return "nothing was sent to the keyboard";
  BytePattern head;
  const std::vector<std::uint8_t> bytes = pattern.bytes();
  for (std::size_t i = 0; i < std::min<std::size_t>(bytes.size(), 9); ++i)
    head.append(pattern.hasWildcard() ? BytePattern::kAny : bytes[i]);
  std::vector<const VirtualKeyboard::Received*> near;
  if (!pattern.hasWildcard()) {
    for (const auto& r : log)
      if (head.isPrefixOf(r.bytes)) near.push_back(&r);
  }
  std::string what = "similar";
  if (near.empty()) {
    what = "last";
    for (const auto& r : log) near.push_back(&r);
  }
  std::string out = std::to_string(log.size()) + " message(s) were sent; " + what + ":";
  std::size_t first = near.size() > kShownMessages ? near.size() - kShownMessages : 0;
  for (std::size_t i = first; i < near.size(); ++i)
    out += " [" + BytePattern::hex(near[i]->bytes) + "]";
  return out;
}

std::string listed(const std::vector<std::string>& items) {
  if (items.empty()) return "none";
  std::string out;
  for (const std::string& item : items) {
    if (!out.empty()) out += ", ";
    out += quoted(item);
  }
  return out;
}

std::string numbers(const std::vector<int>& values) {
  if (values.empty()) return "nothing";
  std::string out;
  for (int v : values) {
    if (!out.empty()) out += ' ';
    out += std::to_string(v);
  }
  return out;
}

}  // namespace

ScenarioRunner::ScenarioRunner(std::string modulePath, std::ostream& out)
    : modulePath_(std::move(modulePath)), out_(out), host_(std::make_unique<SimHost>()) {
  host_->setModulePath(modulePath_);
  for (int k = 1; k <= kMaxKeyboards; ++k) {
    keyboards_.push_back(std::make_unique<VirtualKeyboard>(k));
    VirtualKeyboard& kb = *keyboards_.back();
    host_->connectKeyboard(k, &kb);
    kb.connect([this, k](const std::uint8_t* bytes, std::size_t length) {
      host_->sendFromKeyboard(k, bytes, length);
    });
  }
  lastDrawn_.resize(kMaxKeyboards);
}

ScenarioRunner::~ScenarioRunner() {
  // The host stops its module before the keyboards it talks to go away.
  host_.reset();
}

VirtualKeyboard& ScenarioRunner::keyboard(int number) {
  return *keyboards_[static_cast<std::size_t>(std::clamp(number, 1, kMaxKeyboards) - 1)];
}

ScenarioResult ScenarioRunner::runFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {false, 0, "cannot be read"};
  file.seekg(0, std::ios::end);
  const std::streamoff size = file.tellg();
  if (size < 0 || size > kMaxFileSize) return {false, 0, "is not a scenario (too large)"};
  file.seekg(0, std::ios::beg);
  std::string text(static_cast<std::size_t>(size), '\0');
  if (size > 0 && !file.read(text.data(), size)) return {false, 0, "cannot be read"};
  return runText(text);
}

ScenarioResult ScenarioRunner::runText(std::string_view text) {
  std::vector<ScenarioCommand> commands;
  ScenarioError error;
  if (!ScenarioParser::parse(text, commands, error)) return {false, error.line, error.message};
  for (const ScenarioCommand& command : commands) {
    std::string why;
    if (!execute(command, &why)) return {false, command.line, why};
    if (watching_) drawChanged();
  }
  return {};
}

std::uint64_t ScenarioRunner::activity() const {
  std::uint64_t total = host_->activity();
  for (const auto& kb : keyboards_) total += kb->activity();
  return total;
}

void ScenarioRunner::pumpKeyboards() {
  const std::string& shown = host_->lastShownText();
  for (auto& kb : keyboards_) {
    kb->setModeText(shown);
    kb->sendPendingAnswers();
  }
}

void ScenarioRunner::hostRound(bool idle) {
  ++round_;
  if (idle) idleRounds_.insert(round_);
  for (auto& kb : keyboards_) kb->setRound(round_);
  if (idle) host_->idleRound();
  pumpKeyboards();
}

bool ScenarioRunner::settle(std::string* why) {
  if (!dirty_) return true;
  const Clock::time_point start = Clock::now();
  Clock::time_point lastChange = start;
  std::uint64_t last = activity();
  int quiet = 0;
  for (;;) {
    hostRound(true);
    const std::uint64_t now = activity();
    const Clock::time_point time = Clock::now();
    if (now != last) {
      last = now;
      quiet = 0;
      lastChange = time;
    } else {
      ++quiet;
      if (quiet >= kQuietRounds && time - lastChange >= kQuietTime) break;
      // Quiet so far: give the channel workers time to deliver.
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (time - start > kSettleLimit) {
      *why = "the simulation did not settle within 5 s (something keeps sending)";
      return false;
    }
  }
  dirty_ = false;
  return true;
}

bool ScenarioRunner::keyboardAction(const ScenarioCommand& command, std::string* why) {
  VirtualKeyboard& kb = keyboard(command.keyboard);
  const int element = command.numbers.empty() ? -1 : static_cast<int>(command.numbers[0]);
  switch (command.verb) {
    case Verb::Turn:
      return kb.turn(element, static_cast<int>(command.numbers[1]), why);
    case Verb::Press:
      return kb.press(element, why);
    case Verb::Release:
      return kb.release(element, why);
    case Verb::Tap:
      return kb.press(element, why) && kb.release(element, why);
    case Verb::Midi:
    case Verb::SysEx:
      kb.send(command.bytes.bytes());
      return true;
    case Verb::KbAssign:
      kb.storeAssignment(command.texts[0], element,
                         {static_cast<int>(command.numbers[1]),
                          static_cast<std::uint32_t>(command.numbers[2])});
      return true;
    case Verb::KbAnswer:
      if (command.which != "name") kb.setAnswerHello(command.flag);
      if (command.which != "hello") kb.setAnswerName(command.flag);
      return true;
    default:
      *why = "internal: not a keyboard command";
      return false;
  }
}

bool ScenarioRunner::execute(const ScenarioCommand& command, std::string* why) {
  if (command.verb != Verb::Expect && command.verb != Verb::Show && command.verb != Verb::Say)
    dirty_ = true;
  std::string error;
  switch (command.verb) {
    case Verb::Host:
      host_->setHostIdentity(command.texts[0], command.texts[1], command.texts[2]);
      return true;
    case Verb::Language:
      host_->setLanguage(command.texts[0]);
      return true;
    case Verb::Project:
      *why = notYet("projects");
      return false;
    case Verb::Settings:
      *why = notYet("settings store");
      return false;
    case Verb::Select:
      *why = notYet("track selection");
      return false;
    case Verb::Set:
      if (command.texts[0] == "Transport" && command.texts[1] == "position") {
        char* end = nullptr;
        const double position = std::strtod(command.texts[2].c_str(), &end);
        if (end != command.texts[2].c_str() && *end == '\0') {
          host_->setPosition(position);
          return true;
        }
      }
      *why = notYet("object tree") + " (settable: Transport position)";
      return false;
    case Verb::Menu:
      *why = notYet("\"Devices\" menu");
      return false;
    case Verb::Keyboards:
      host_->setKeyboardCount(static_cast<int>(command.numbers[0]));
      return true;
    case Verb::Port:
      host_->addExtraPort(command.flag, command.texts[0], static_cast<int>(command.numbers[0]));
      return true;
    case Verb::Service:
      host_->setServiceEnabled(serviceByName(command.which), command.flag);
      return true;
    case Verb::Start:
    case Verb::Restart: {
      hostRound(false);
      const bool ok = command.verb == Verb::Start ? host_->start(&error) : host_->restart(&error);
      pumpKeyboards();
      if (!ok) *why = "the host could not load the module: " + error;
      return ok;
    }
    case Verb::Stop:
      hostRound(false);
      host_->stop();
      pumpKeyboards();
      return true;
    case Verb::Detect:
      hostRound(false);
      lastDetect_ = host_->detect();
      detectRan_ = true;
      pumpKeyboards();
      return true;
    case Verb::Unplug: {
      hostRound(false);
      const int k = static_cast<int>(command.numbers[0]);
      if (!host_->unplug(k)) {
        *why = "there is no keyboard " + std::to_string(k) + " to unplug";
        return false;
      }
      pumpKeyboards();
      return true;
    }
    case Verb::Activate:
    case Verb::Deactivate: {
      hostRound(false);
      const int k = static_cast<int>(command.numbers[0]);
      if (!host_->setActive(k, command.verb == Verb::Activate)) {
        *why = "keyboard " + std::to_string(k) + " has no remote device";
        return false;
      }
      pumpKeyboards();
      return true;
    }
    case Verb::Idle:
      for (std::int64_t i = 0; i < command.numbers[0]; ++i) hostRound(true);
      return true;
    case Verb::Advance: {
      const auto ms = static_cast<std::uint32_t>(command.numbers[0]);
      for (std::uint32_t i = 0; i < ms / kRoundMs; ++i) {
        host_->setClock(host_->clock() + kRoundMs);
        hostRound(true);
      }
      host_->setClock(host_->clock() + ms % kRoundMs);
      return true;
    }
    case Verb::Clock:
      host_->setClock(static_cast<std::uint32_t>(command.numbers[0]));
      return true;
    case Verb::Settle:
      return settle(why);
    case Verb::Wait:
      std::this_thread::sleep_for(std::chrono::milliseconds(command.numbers[0]));
      return true;
    case Verb::Position:
      host_->setPosition(command.real);
      return true;
    case Verb::Turn:
    case Verb::Press:
    case Verb::Release:
    case Verb::Tap:
    case Verb::Midi:
    case Verb::SysEx:
    case Verb::KbAssign:
    case Verb::KbAnswer:
      return keyboardAction(command, why);
    case Verb::Page:
      hostRound(false);
      host_->page(command.texts[0]);
      pumpKeyboards();
      return true;
    case Verb::Command:
      hostRound(false);
      if (!host_->command(command.texts[0], command.texts[1])) {
        *why = "the host has no command catalogue (service command-catalogue off)";
        return false;
      }
      pumpKeyboards();
      return true;
    case Verb::Expect:
      return check(command, why);
    case Verb::Clear:
      if (!settle(why)) return false;
      for (auto& kb : keyboards_) kb->clearLog();
      host_->clearRecords();
      host_->clearLifecycleLog();
      idleRounds_.clear();
      return true;
    case Verb::Show:
      if (!settle(why)) return false;
      if (command.keyboardGiven) {
        draw(command.keyboard);
      } else {
        for (int k = 1; k <= std::max(1, host_->keyboardCount()); ++k) draw(k);
      }
      return true;
    case Verb::Say:
      out_ << command.texts[0] << '\n';
      return true;
  }
  *why = "internal: unknown command";
  return false;
}

bool ScenarioRunner::check(const ScenarioCommand& command, std::string* why) {
  if (!settle(why)) return false;
  VirtualKeyboard& kb = keyboard(command.keyboard);
  const std::string kbName = "keyboard " + std::to_string(command.keyboard);
  const auto& log = kb.received();
  auto expectText = [&](const std::string& what, const std::string& seen) {
    const std::string wanted = VirtualKeyboard::trimmed(command.texts[0]);
    if (seen == wanted) return true;
    *why = "expected " + what + " " + quoted(wanted) + ", " + kbName + " shows " + quoted(seen);
    return false;
  };
  switch (command.check) {
    case Check::Sent:
      // A prefix, like not-sent and sent-count: a whole SysEx ends in its only F7 and a whole
      // channel message has its fixed length, so a complete message still matches exactly.
      for (const auto& r : log)
        if (command.bytes.isPrefixOf(r.bytes)) return true;
      *why = "expected " + kbName + " to receive [" + command.bytes.text() + "]; " +
             seenNear(log, command.bytes);
      return false;
    case Check::NotSent:
      for (const auto& r : log) {
        if (command.bytes.isPrefixOf(r.bytes)) {
          *why = "expected nothing starting [" + command.bytes.text() + "] at " + kbName +
                 ", saw [" + BytePattern::hex(r.bytes) + "]";
          return false;
        }
      }
      return true;
    case Check::SentCount: {
      std::int64_t count = 0;
      for (const auto& r : log)
        if (command.bytes.isPrefixOf(r.bytes)) ++count;
      if (count == command.numbers[0]) return true;
      *why = "expected " + std::to_string(command.numbers[0]) + " message(s) starting [" +
             command.bytes.text() + "] at " + kbName + ", saw " + std::to_string(count);
      return false;
    }
    case Check::IdleMax: {
      std::map<std::uint64_t, std::int64_t> perRound;
      for (const auto& r : log)
        if (isSysEx(r.bytes) && idleRounds_.count(r.round) != 0) ++perRound[r.round];
      std::int64_t most = 0;
      for (const auto& [round, count] : perRound) most = std::max(most, count);
      if (most == command.numbers[0]) return true;
      *why = "expected at most " + std::to_string(command.numbers[0]) +
             " SysEx message(s) in one idle round, and that many once, at " + kbName +
             "; the most was " + std::to_string(most);
      return false;
    }
    case Check::KnobName:
    case Check::KnobValue: {
      const int knob = static_cast<int>(command.numbers[0]);
      const bool name = command.check == Check::KnobName;
      const std::string what = std::string("knob ") + std::to_string(knob + 1) + " (" +
                               KeyboardElements::at(knob)->name + ") " + (name ? "name" : "value");
      return expectText(what, name ? kb.knobName(knob) : kb.knobValue(knob));
    }
    case Check::Line:
      return expectText("text line", kb.line());
    case Check::Target:
      return expectText("target name", kb.target());
    case Check::MemoryName:
      return expectText("memory name", kb.memoryName());
    case Check::FKey: {
      const int key = static_cast<int>(command.numbers[0]);
      const std::string wanted = VirtualKeyboard::trimmed(command.texts[0]);
      if (kb.keyLabel(key) == wanted) return true;
      *why = "expected F" + std::to_string(key + 1) + " label " + quoted(wanted) + ", " + kbName +
             " shows " + quoted(kb.keyLabel(key));
      return false;
    }
    case Check::Flag:
      if (kb.flag() == command.numbers[0]) return true;
      *why = "expected state flag " +
             (command.numbers[0] < 0 ? std::string("none") : std::to_string(command.numbers[0])) +
             ", " + kbName + " has " +
             (kb.flag() < 0 ? std::string("none") : std::to_string(kb.flag()));
      return false;
    case Check::Lamp: {
      const int element = static_cast<int>(command.numbers[0]);
      if (kb.lamp(element) == command.flag) return true;
      *why = std::string("expected lamp ") + KeyboardElements::at(element)->name +
             (command.flag ? " on" : " off") + ", it is " + (command.flag ? "off" : "on") + " at " +
             kbName;
      return false;
    }
    case Check::Mode:
      if (host_->lastShownText() == command.texts[0]) return true;
      *why = "expected mode text " + quoted(command.texts[0]) + ", the host last showed " +
             quoted(host_->lastShownText());
      return false;
    case Check::Executed:
    case Check::NotExecuted: {
      const bool done = host_->wasExecuted(command.texts[0], command.texts[1]);
      if (done == (command.check == Check::Executed)) return true;
      std::vector<std::string> executed;
      for (const auto& [category, name] : host_->executedCommands())
        executed.push_back(std::string(category).append("/").append(name));
      *why = std::string("expected ") + quoted(command.texts[0] + "/" + command.texts[1]) +
             (done ? " not to run" : " to run") + "; executed: " + listed(executed);
      return false;
    }
    case Check::Function: {
      std::vector<int> seen;
      for (const ParameterValue& v : host_->parameterValues())
        if (v.function == command.texts[0] && v.parameter == command.texts[1])
          seen.push_back(v.value);
      std::vector<int> wanted;
      for (std::int64_t n : command.numbers) wanted.push_back(static_cast<int>(n));
      if (seen == wanted) return true;
      *why = "expected " + quoted(command.texts[0]) + " " + quoted(command.texts[1]) +
             " to receive " + numbers(wanted) + ", it received " + numbers(seen);
      return false;
    }
    case Check::Playing:
    case Check::Recording: {
      const bool playing = command.check == Check::Playing;
      const bool is = playing ? host_->playing() : host_->recording();
      if (is == command.flag) return true;
      *why = std::string("expected the transport ") + (command.flag ? "" : "not ") +
             (playing ? "playing" : "recording") + ", it is " + (is ? "" : "not ");
      *why += playing ? "playing" : "recording";
      return false;
    }
    case Check::Mixer: {
      const int value = host_->mixerValue(command.texts[0]);
      if (value == command.numbers[0]) return true;
      *why = "expected mixer " + quoted(command.texts[0]) + " " +
             std::to_string(command.numbers[0]) + ", it is " + std::to_string(value);
      return false;
    }
    case Check::Devices: {
      const auto devices = host_->devices();
      if (static_cast<std::int64_t>(devices.size()) == command.numbers[0]) return true;
      *why = "expected " + std::to_string(command.numbers[0]) +
             " remote device(s), the registry created " + std::to_string(devices.size());
      return false;
    }
    case Check::Device: {
      const auto devices = host_->devices();
      const auto n = static_cast<std::size_t>(command.numbers[0]);
      if (n > devices.size()) {
        *why = "expected device " + std::to_string(n) + ", the registry created only " +
               std::to_string(devices.size());
        return false;
      }
      const DeviceInfo& d = devices[n - 1];
      if (d.inputPort == command.texts[0] && d.outputPort == command.texts[1]) return true;
      *why = "expected device " + std::to_string(n) + " on " + quoted(command.texts[0]) + " / " +
             quoted(command.texts[1]) + ", it is on " + quoted(d.inputPort) + " / " +
             quoted(d.outputPort);
      return false;
    }
    case Check::Bindings: {
      const auto bindings = host_->bindings(command.keyboard);
      if (static_cast<std::int64_t>(bindings.size()) == command.numbers[0]) return true;
      *why = "expected " + std::to_string(command.numbers[0]) + " binding(s) for " + kbName +
             ", the host holds " + std::to_string(bindings.size());
      return false;
    }
    case Check::DetectResult: {
      if (!detectRan_) {
        *why = "no detect command has run yet";
        return false;
      }
      const std::string seen =
          lastDetect_.ran ? std::to_string(lastDetect_.result) : std::string("refused");
      if (command.flag ? !lastDetect_.ran
                       : lastDetect_.ran && lastDetect_.result == command.numbers[0])
        return true;
      *why = "expected detection to answer " +
             (command.flag ? std::string("refused") : std::to_string(command.numbers[0])) +
             ", it answered " + seen;
      return false;
    }
    case Check::Step:
    case Check::NotStep: {
      const auto& steps = host_->lifecycleLog();
      const bool taken = std::find(steps.begin(), steps.end(), command.texts[0]) != steps.end();
      if (taken == (command.check == Check::Step)) return true;
      *why = "expected the host " + std::string(taken ? "not " : "") + "to take the step " +
             quoted(command.texts[0]) + "; steps: " + listed(steps);
      return false;
    }
    case Check::Value: {
      double seen = 0.0;
      if (!hostValue(command.texts[0], command.texts[1], &seen)) {
        *why = notYet("object tree") + " (known values: Transport start|stop|record|position, " +
               "Mixer mute|solo, Jog wheel, HoverKnob 1:dial|1:switch)";
        return false;
      }
      const double difference = seen > command.real ? seen - command.real : command.real - seen;
      if (difference <= command.tolerance) return true;
      *why = "expected " + command.texts[0] + " " + command.texts[1] + " to be " +
             std::to_string(command.real) + ", it is " + std::to_string(seen);
      return false;
    }
    case Check::Text:
      *why = notYet("object tree");
      return false;
    case Check::Setting:
      *why = notYet("settings store");
      return false;
    case Check::None:
      break;
  }
  *why = "internal: unknown check";
  return false;
}

bool ScenarioRunner::hostValue(const std::string& object, const std::string& key,
                               double* value) const {
  if (object == "Transport") {
    if (key == "start")
      *value = host_->playing() ? 1 : 0;
    else if (key == "stop")
      *value = host_->playing() ? 0 : 1;
    else if (key == "record")
      *value = host_->recording() ? 1 : 0;
    else if (key == "position")
      *value = host_->position();
    else
      return false;
    return true;
  }
  if (object == "Mixer" && (key == "mute" || key == "solo")) {
    *value = host_->mixerValue(key);
    return true;
  }
  // What last reached a host function's parameter.
  for (auto it = host_->parameterValues().rbegin(); it != host_->parameterValues().rend(); ++it) {
    if (it->function == object && it->parameter == key) {
      *value = it->value;
      return true;
    }
  }
  return false;
}

void ScenarioRunner::draw(int keyboard) {
  std::ostringstream picture;
  this->keyboard(keyboard).draw(picture);
  lastDrawn_[static_cast<std::size_t>(keyboard - 1)] = picture.str();
  out_ << picture.str();
}

void ScenarioRunner::reportHost() {
  const auto& executed = host_->executedCommands();
  executedSeen_ = std::min(executedSeen_, executed.size());
  for (; executedSeen_ < executed.size(); ++executedSeen_) {
    out_ << "   host ran command " << quoted(executed[executedSeen_].first) << " "
         << quoted(executed[executedSeen_].second) << '\n';
  }
  const auto& values = host_->parameterValues();
  valuesSeen_ = std::min(valuesSeen_, values.size());
  if (valuesSeen_ < values.size()) {
    out_ << "   host function values:";
    for (; valuesSeen_ < values.size(); ++valuesSeen_) {
      out_ << ' ' << values[valuesSeen_].function << '.' << values[valuesSeen_].parameter << '='
           << values[valuesSeen_].value;
    }
    out_ << '\n';
  }
  if (host_->playing() != playingSeen_ || host_->recording() != recordingSeen_) {
    playingSeen_ = host_->playing();
    recordingSeen_ = host_->recording();
    out_ << "   transport: " << (playingSeen_ ? "playing" : "stopped")
         << (recordingSeen_ ? ", recording" : "") << '\n';
  }
}

void ScenarioRunner::drawChanged() {
  std::string ignored;
  if (!settle(&ignored)) return;
  reportHost();
  for (int k = 1; k <= std::max(1, host_->keyboardCount()); ++k) {
    std::ostringstream picture;
    keyboard(k).draw(picture);
    std::string& last = lastDrawn_[static_cast<std::size_t>(k - 1)];
    if (picture.str() == last) continue;
    if (last.empty()) {
      draw(k);
      continue;
    }
    // Only the rows that changed, so a long demo stays readable.
    std::istringstream now(picture.str());
    std::istringstream before(last);
    std::string row;
    std::string old;
    while (std::getline(now, row)) {
      std::getline(before, old);
      if (row != old) out_ << row << "   <- keyboard " << k << '\n';
    }
    last = picture.str();
  }
}

}  // namespace QentSim
