#include "sim/serve/PageRequests.h"

#include <functional>

#include <nlohmann/json.hpp>

#include "sim/host/panels/HostWindow.h"
#include "sim/keyboard/KeyboardElements.h"
#include "sim/serve/PageSession.h"

namespace QentSim {

using nlohmann::json;

namespace {

// A turn larger than this is no person's: the page sends what one frame of turning gave.
constexpr int kMaxTicks = 512;

// The request's fields, read with the reason when one is missing or of the wrong kind.
class Fields {
 public:
  Fields(const json& message, std::string* why) : message_(message), why_(why) {}

  bool text(const char* name, std::string* out) const {
    auto found = message_.find(name);
    if (found == message_.end() || !found->is_string()) return fail(name, "a text");
    *out = found->get<std::string>();
    return true;
  }
  bool integer(const char* name, int low, int high, int* out) const {
    auto found = message_.find(name);
    if (found == message_.end() || !found->is_number_integer()) return fail(name, "a whole number");
    const long long value = found->get<long long>();
    if (value < low || value > high) {
      *why_ = "field \"" + std::string(name) + "\" must be " + std::to_string(low) + " to " +
              std::to_string(high) + ", not " + std::to_string(value);
      return false;
    }
    *out = static_cast<int>(value);
    return true;
  }

 private:
  bool fail(const char* name, const char* kind) const {
    *why_ = "field \"" + std::string(name) + "\" must be " + kind;
    return false;
  }
  const json& message_;
  std::string* why_;
};

struct Request {
  const char* type;
  const char* fields;  // for the error that lists what exists
  std::function<bool(PageSession&, const Fields&, std::string*)> run;
};

// The keyboard the request names: 1 to the number plugged in.
VirtualKeyboard* keyboardOf(PageSession& session, const Fields& fields) {
  int number = 0;
  if (!fields.integer("keyboard", 1, std::max(1, session.host().keyboardCount()), &number))
    return nullptr;
  return &session.simulation().keyboard(number);
}

int elementOf(const Fields& fields, bool encoder, std::string* why) {
  std::string name;
  if (!fields.text("element", &name)) return -1;
  const int index = KeyboardElements::find(name);
  if (index < 0) {
    *why = "the keyboard has no element \"" + name + "\"";
    return -1;
  }
  if (encoder != KeyboardElements::isEncoder(index)) {
    *why = "\"" + name + "\" is " + (encoder ? "a button: tap it" : "a knob: turn it");
    return -1;
  }
  return index;
}

// A user action in the open window, as one host step.
template <class Action>
bool inWindow(PageSession& session, std::string* why, Action action) {
  HostWindow* window = session.host().activeWindow();
  if (window == nullptr) {
    *why = "no window is open";
    return false;
  }
  return session.simulation().hostStep([&] { return action(*window); });
}

bool trackExists(const std::vector<TrackDescription>& tracks, const std::string& name) {
  for (const TrackDescription& t : tracks) {
    if (t.name == name || trackExists(t.tracks, name)) return true;
  }
  return false;
}

const Request kRequests[] = {
    {"turn", "keyboard, element, ticks",
     [](PageSession& session, const Fields& fields, std::string* why) {
       VirtualKeyboard* kb = keyboardOf(session, fields);
       int ticks = 0;
       if (kb == nullptr) return false;
       const int element = elementOf(fields, true, why);
       if (element < 0 || !fields.integer("ticks", -kMaxTicks, kMaxTicks, &ticks)) return false;
       return kb->turn(element, ticks, why);
     }},
    {"tap", "keyboard, element",
     [](PageSession& session, const Fields& fields, std::string* why) {
       VirtualKeyboard* kb = keyboardOf(session, fields);
       if (kb == nullptr) return false;
       const int element = elementOf(fields, false, why);
       return element >= 0 && kb->press(element, why) && kb->release(element, why);
     }},
    {"select-track", "track",
     [](PageSession& session, const Fields& fields, std::string* why) {
       std::string track;
       if (!fields.text("track", &track)) return false;
       if (!trackExists(session.project().tracks, track)) {
         *why = "the project has no track \"" + track + "\"";
         return false;
       }
       if (!session.simulation().hostStep([&] { return session.host().selectTrack(track, why); }))
         return false;
       session.setSelectedTrack(track);
       return true;
     }},
    {"menu", "menu, title",
     [](PageSession& session, const Fields& fields, std::string* why) {
       std::string menu;
       std::string title;
       if (!fields.text("menu", &menu) || !fields.text("title", &title)) return false;
       return session.simulation().hostStep(
           [&] { return session.host().pickMenuEntry(menu, title, why); });
     }},
    {"window-press", "control",
     [](PageSession& session, const Fields& fields, std::string* why) {
       std::string control;
       if (!fields.text("control", &control)) return false;
       return inWindow(session, why, [&](HostWindow& w) { return w.press(control, why); });
     }},
    {"window-choose", "control, entry",
     [](PageSession& session, const Fields& fields, std::string* why) {
       std::string control;
       std::string entry;
       if (!fields.text("control", &control) || !fields.text("entry", &entry)) return false;
       return inWindow(session, why, [&](HostWindow& w) { return w.choose(control, entry, why); });
     }},
    {"window-type", "control, text",
     [](PageSession& session, const Fields& fields, std::string* why) {
       std::string control;
       std::string text;
       if (!fields.text("control", &control) || !fields.text("text", &text)) return false;
       return inWindow(session, why, [&](HostWindow& w) { return w.type(control, text, why); });
     }},
    {"window-close", "",
     [](PageSession& session, const Fields&, std::string* why) {
       if (session.host().activeWindow() == nullptr) {
         *why = "no window is open";
         return false;
       }
       return session.simulation().hostStep([&] { return session.host().closeWindow(); });
     }},
};

}  // namespace

bool runPageRequest(PageSession& session, std::string_view text, std::string* why) {
  const json message = json::parse(text, nullptr, false);
  if (message.is_discarded()) {
    *why = "the message is not JSON";
    return false;
  }
  if (!message.is_object()) {
    *why = "the message is not a JSON object";
    return false;
  }
  auto type = message.find("type");
  if (type == message.end() || !type->is_string()) {
    *why = "the message has no \"type\" text";
    return false;
  }
  if (!session.running()) {
    *why = "the host is not running";
    return false;
  }
  if (*type == "dialog") {
    *why = "no dialog is open";
    return false;
  }
  std::string known;
  for (const Request& request : kRequests) {
    if (*type == request.type) {
      const Fields fields(message, why);
      const bool ran = request.run(session, fields, why);
      session.simulation().markChanged();
      return ran;
    }
    known += (known.empty() ? "" : ", ") + std::string(request.type);
  }
  *why = "unknown request type \"" + type->get<std::string>() + "\" (known: " + known + ")";
  return false;
}

}  // namespace QentSim
