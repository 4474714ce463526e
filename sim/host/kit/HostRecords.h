// What the host records of the module and reports to whoever drives it (a scenario, the page,
// a test): the values that reached host functions, the elements, bindings and devices the
// remotes made, a detection's outcome, a value of the open project, and which dialog an answer
// is for. Plain values, copied out of the run; nothing here reaches back into it.
#pragma once

#include <cstdint>
#include <string>

namespace QentSim {

// One value that reached a host-function parameter ("wheel", "1:dial", "1:switch").
struct ParameterValue {
  std::string function;   // "Jog" or "HoverKnob"
  std::string parameter;  // as assigned by the module
  int value = 0;          // as the remote passed it to defaultElementValue
};

// One element a remote registered, in registration order (index = element index).
struct ElementInfo {
  std::string name;
  std::uint8_t status = 0;
  std::uint16_t number = 0;
  int maxValue = 0;
  int flags = 0;
};

// One binding a remote declared on the "Mixer" target, or a host-function parameter assignment.
struct BindingInfo {
  enum Kind { kValue, kCommand, kFunction } kind = kValue;
  std::string page;
  std::string element;
  std::string object;    // kValue: "Transport", "Mixer"; kFunction: the function's name
  int selector = 0;      // kValue
  std::string value;     // kValue: "start", "mute"...; kFunction: the parameter name
  std::string category;  // kCommand
  std::string command;   // kCommand
  int flags = 0;
};

// A remote device the registry created.
struct DeviceInfo {
  int keyboard = 0;  // the keyboard that owns its ports; 0 for an extra port that carries none
  int pairIndex = 0;
  std::string inputPort;  // empty until the detector assigned one
  std::string outputPort;
  bool attached = false;  // attach answered true and detach has not run
  bool active = false;    // the remote reported onActivate more recently than onDeactivate
};

struct DetectOutcome {
  bool ran = false;         // false: no detector, or its initialize answered false
  std::int32_t result = 1;  // what detect() answered
};

// One value of the open project as the host keeps it (SimHost::readValue).
struct ValueReading {
  bool text = false;       // a value that is only a text ("name", "output", "QDestination%d")
  double plain = 0;        // the plain value; 0 for a text value
  std::string shown;       // the value's text as the module reads it
  int completedEdits = 0;  // edits the module opened and closed
  bool editOpen = false;   // an edit is open right now
};

// Which file selector a queued answer is for; kCancel cancels whichever comes next.
enum class DialogKind { kSave, kOpen, kCancel };

}  // namespace QentSim
