#include "sim/serve/PageState.h"

#include <algorithm>

#include "sim/host/panels/HostWindow.h"
#include "sim/keyboard/KeyboardElements.h"
#include "sim/serve/PageSession.h"
#include "sim/skin/SkinDocument.h"

namespace QentSim {

using nlohmann::json;

namespace {

// The host's log shows this many of the latest commands.
constexpr std::size_t kLogLength = 40;

const char* kindName(TrackDescription::Kind kind) {
  switch (kind) {
    case TrackDescription::Kind::kInstrument:
      return "instrument";
    case TrackDescription::Kind::kMidi:
      return "midi";
    case TrackDescription::Kind::kAudio:
      return "audio";
    case TrackDescription::Kind::kFolder:
      return "folder";
    case TrackDescription::Kind::kOther:
      break;
  }
  return "other";
}

json keyboardState(VirtualKeyboard& kb) {
  json knobs = json::array();
  for (int i = 0; i < VirtualKeyboard::kKnobCount; ++i)
    knobs.push_back({{"name", kb.knobName(i)}, {"value", kb.knobValue(i)}});
  json keys = json::array();
  for (int i = 0; i < VirtualKeyboard::kKeyCount; ++i) keys.push_back(kb.keyLabel(i));
  json lamps = json::object();
  for (int i = 0; i < KeyboardElements::kCount; ++i) {
    const KeyboardElement* e = KeyboardElements::at(i);
    if (e->hasLamp) lamps[e->name] = kb.lamp(i);
  }
  return {{"number", kb.number()},   {"target", kb.target()},    {"memory", kb.memoryName()},
          {"line", kb.line()},       {"mode", kb.modeText()},    {"knobs", std::move(knobs)},
          {"keys", std::move(keys)}, {"lamps", std::move(lamps)}};
}

void addTracks(const std::vector<TrackDescription>& tracks, int depth, const std::string& selected,
               json* out) {
  for (const TrackDescription& t : tracks) {
    out->push_back({{"name", t.name},
                    {"kind", kindName(t.kind)},
                    {"depth", depth},
                    {"selected", t.name == selected}});
    addTracks(t.tracks, depth + 1, selected, out);
  }
}

const TrackDescription* findTrack(const std::vector<TrackDescription>& tracks,
                                  const std::string& name) {
  for (const TrackDescription& t : tracks) {
    if (t.name == name) return &t;
    if (const TrackDescription* inner = findTrack(t.tracks, name)) return inner;
  }
  return nullptr;
}

void addParameters(SimHost& host, const std::string& instrument,
                   const std::vector<ParameterDescription>& parameters, const std::string& group,
                   json* out) {
  for (const ParameterDescription& p : parameters) {
    ValueReading reading;
    std::string ignored;
    if (!host.readValue("inst:" + instrument, std::to_string(p.id), &reading, &ignored)) continue;
    const double span = p.spec.maximum - p.spec.minimum;
    out->push_back({{"id", p.id},
                    {"title", group.empty() ? p.spec.title : group + " " + p.spec.title},
                    {"text", reading.shown},
                    {"position", span > 0 ? (reading.plain - p.spec.minimum) / span : 0.0}});
  }
}

void addObjects(SimHost& host, const std::string& instrument,
                const std::vector<ObjectDescription>& objects, json* out) {
  for (const ObjectDescription& o : objects) {
    addParameters(host, instrument, o.parameters, o.name, out);
    addObjects(host, instrument, o.objects, out);
  }
}

json hostState(PageSession& session) {
  SimHost& host = session.host();
  json tracks = json::array();
  addTracks(session.project().tracks, 0, session.selectedTrack(), &tracks);
  json instrument = nullptr;
  const TrackDescription* track = findTrack(session.project().tracks, session.selectedTrack());
  if (track != nullptr && track->instrument >= 0 &&
      static_cast<std::size_t>(track->instrument) < session.project().instruments.size()) {
    const InstrumentDescription& d =
        session.project().instruments[static_cast<std::size_t>(track->instrument)];
    json parameters = json::array();
    addParameters(host, d.name, d.parameters, "", &parameters);
    addObjects(host, d.name, d.objects, &parameters);
    instrument = {{"name", d.name}, {"parameters", std::move(parameters)}};
  }
  json log = json::array();
  const auto& executed = host.executedCommands();
  for (std::size_t i = executed.size() > kLogLength ? executed.size() - kLogLength : 0;
       i < executed.size(); ++i)
    log.push_back({{"category", executed[i].first}, {"name", executed[i].second}});
  return {{"running", host.isRunning()},
          {"tracks", std::move(tracks)},
          {"selected", session.selectedTrack()},
          {"instrument", std::move(instrument)},
          {"transport",
           {{"playing", host.playing()},
            {"recording", host.recording()},
            {"position", host.position()}}},
          {"log", std::move(log)},
          {"executedCount", executed.size()},
          {"devicesMenu", host.menuTitles("Devices")}};
}

// The visible widgets of a window with absolute positions, in drawing order.
void addWidgets(const HostWindow::Widget& w, const SkinDocument& skin, int left, int top,
                json* out) {
  using Type = HostWindow::Widget::Type;
  const int x = left + w.x;
  const int y = top + w.y;
  auto image = [&](const std::string& bitmap) -> std::string {
    auto found = skin.bitmaps().find(bitmap);
    return found == skin.bitmaps().end() ? std::string() : "/skin/" + found->second;
  };
  if (w.type == Type::kImage) {
    out->push_back({{"type", "image"}, {"x", x}, {"y", y}, {"src", image(w.name)}});
    return;
  }
  if (w.type == Type::kLabel) {
    out->push_back({{"type", "label"},
                    {"x", x},
                    {"y", y},
                    {"width", w.width},
                    {"height", w.height},
                    {"text", w.text}});
    return;
  }
  if (w.type == Type::kControl && w.kind == "alternative") {
    if (const HostWindow::Widget* shown = HostWindow::shownChild(w))
      addWidgets(*shown, skin, x, y, out);
    return;
  }
  if (w.type == Type::kControl) {
    json control = {
        {"type", "control"}, {"name", w.name},     {"kind", w.kind},   {"x", x},         {"y", y},
        {"width", w.width},  {"height", w.height}, {"style", w.style}, {"title", w.text}};
    if (!w.bitmap.empty()) control["src"] = image(w.bitmap);
    if (w.hostValue != nullptr) {
      control["shown"] = w.hostValue->shown();
      control["value"] = w.hostValue->getValue();
      control["disabled"] = w.hostValue->disabled();
      if (w.kind == "menu") control["entries"] = w.hostValue->entries();
    } else {
      control["unbound"] = true;
    }
    out->push_back(std::move(control));
    return;
  }
  for (const HostWindow::Widget& child : w.children) addWidgets(child, skin, x, y, out);
}

json windowState(SimHost& host) {
  HostWindow* window = host.activeWindow();
  if (window == nullptr) return nullptr;
  json widgets = json::array();
  addWidgets(window->root(), window->skin(), 0, 0, &widgets);
  return {{"title", window->title()},
          {"template", window->templateName()},
          {"width", window->root().width},
          {"height", window->root().height},
          {"widgets", std::move(widgets)}};
}

}  // namespace

json pageState(PageSession& session) {
  json keyboards = json::array();
  const int count = std::max(1, session.host().keyboardCount());
  for (int k = 1; k <= count; ++k)
    keyboards.push_back(keyboardState(session.simulation().keyboard(k)));
  return {{"type", "state"},
          {"keyboards", std::move(keyboards)},
          {"host", hostState(session)},
          {"window", windowState(session.host())}};
}

}  // namespace QentSim
