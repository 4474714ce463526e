#include "sim/host/panels/HostWindow.h"
#include "sim/host/HostState.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iomanip>
#include <new>
#include <sstream>

#include "sim/host/kit/HostText.h"
#include "sim/host/kit/NoThrow.h"
#include "sim/skin/SkinDocument.h"

namespace QentSim {

using namespace Brennholt;
using namespace Brennholt::Hox;

namespace {

using Widget = HostWindow::Widget;

// Calls visit for every widget, depth first in document order; with visibleOnly, only for what
// the alternatives show. visit answers false to stop.
bool walk(const Widget& widget, bool visibleOnly, const std::function<bool(const Widget&)>& visit) {
  if (!visit(widget)) return false;
  if (widget.type == Widget::Type::kControl && widget.kind == "alternative" && visibleOnly) {
    const int shown = widget.value ? widget.value->getValue() : 0;
    if (shown < 0 || shown >= static_cast<int>(widget.children.size())) return true;
    return walk(widget.children[static_cast<std::size_t>(shown)], visibleOnly, visit);
  }
  for (const Widget& child : widget.children) {
    if (!walk(child, visibleOnly, visit)) return false;
  }
  return true;
}

std::string quotedText(const std::string& text) { return "\"" + text + "\""; }

// What kind of value a control kind needs; null when any will do.
const char* neededValue(const std::string& kind, GuiValue::Kind* needed) {
  if (kind == "switch" || kind == "checkbox") {
    *needed = GuiValue::Kind::kBool;
    return "a switch (BoolValue)";
  }
  if (kind == "menu") {
    *needed = GuiValue::Kind::kList;
    return "a list (ListValue)";
  }
  if (kind == "edit") {
    *needed = GuiValue::Kind::kString;
    return "a text (StringValue)";
  }
  if (kind == "alternative") {
    *needed = GuiValue::Kind::kInt;
    return "a number (IntValue)";
  }
  return nullptr;
}

}  // namespace

const HostWindow::Widget* HostWindow::shownChild(const Widget& alternative) {
  if (alternative.type != Widget::Type::kControl || alternative.kind != "alternative")
    return nullptr;
  const int shown = alternative.value ? alternative.value->getValue() : 0;
  if (shown < 0 || shown >= static_cast<int>(alternative.children.size())) return nullptr;
  return &alternative.children[static_cast<std::size_t>(shown)];
}

bool HostWindow::Widget::hasStyle(std::string_view wanted) const {
  std::string_view rest = style;
  while (!rest.empty()) {
    const std::size_t bar = rest.find('|');
    if (rest.substr(0, bar) == wanted) return true;
    if (bar == std::string_view::npos) break;
    rest.remove_prefix(bar + 1);
  }
  return false;
}

HostWindow::HostWindow(Connection connection,
                       std::shared_ptr<const SkinDocument> skin, const SkinNode& templ,
                       IPlugController* controller)
    : connection_(std::move(connection)),
      skin_(std::move(skin)),
      templateName_(templ.attribute("name")),
      title_(templ.attribute("title")),
      controller_(IPtr<IPlugController>::share(controller)) {
  root_ = build(templ, 0);
  root_.name = templateName_;
  bindControls(root_);
}

HostWindow::Widget HostWindow::build(const SkinNode& node, int depth) {
  Widget widget;
  // Reading checked that positions and sizes are numbers.
  auto number = [](const SkinNode& n, std::string_view key) {
    const std::string& text = n.attribute(key);
    return text.empty() ? 0 : std::atoi(text.c_str());
  };
  widget.x = number(node, "x");
  widget.y = number(node, "y");
  widget.width = number(node, "width");
  widget.height = number(node, "height");
  widget.bitmap = node.attribute("bitmap");
  if (node.element == "Image") {
    widget.type = Widget::Type::kImage;
    widget.name = node.attribute("bitmap");
    return widget;
  }
  if (node.element == "Label") {
    widget.type = Widget::Type::kLabel;
    widget.text = node.attribute("text");
    return widget;
  }
  if (node.element == "Control") {
    widget.type = Widget::Type::kControl;
    widget.name = node.attribute("name");
    widget.kind = node.attribute("kind");
    widget.style = node.attribute("style");
    widget.text = node.attribute("title");
  } else {
    widget.type = Widget::Type::kView;
  }
  const SkinNode* content = &node;
  if (node.element == "View" && !node.attribute("template").empty()) {
    // Reading refused templates that place themselves, so this ends.
    content = skin_->findTemplate(node.attribute("template"));
    widget.name = node.attribute("template");
    if (content == nullptr) return widget;
    widget.width = number(*content, "width");
    widget.height = number(*content, "height");
  }
  for (const SkinNode& child : content->children)
    widget.children.push_back(build(child, depth + 1));
  return widget;
}

void HostWindow::report(const std::string& problem) {
  HostState* s = connection_ ? connection_->state : nullptr;
  if (s != nullptr) s->report.panelProblems.push_back(problem);
}

void HostWindow::bindControls(Widget& widget) {
  if (widget.type == Widget::Type::kControl) {
    IGuiValue* value = nullptr;
    const tresult found =
        controller_ ? controller_->getValueByName(widget.name.c_str(), &value) : kResultFalse;
    const std::string where = "window " + quotedText(templateName_) + ": control " +
                              quotedText(widget.name) + " (" + widget.kind + ")";
    if (found != kResultOk || value == nullptr) {
      // A name that stands in several places (one per view) is reported once.
      if (std::find(reported_.begin(), reported_.end(), widget.name) == reported_.end()) {
        reported_.push_back(widget.name);
        report(where + ": the controller offers no value of that name");
      }
    } else {
      widget.value = IPtr<IGuiValue>::share(value);
      widget.hostValue = GuiValue::of(value);
      GuiValue::Kind needed{};
      const char* what = neededValue(widget.kind, &needed);
      if (widget.hostValue == nullptr) {
        report(where + ": bound to a value the host did not make");
      } else if (what != nullptr && widget.hostValue->kind() != needed &&
                 !(needed == GuiValue::Kind::kInt &&
                   widget.hostValue->kind() == GuiValue::Kind::kBool)) {
        report(where + ": its value is not " + what);
      }
    }
  }
  for (Widget& child : widget.children) bindControls(child);
}

tresult HostWindow::bringToFront() noexcept {
  if (!open_) return kResultFalse;
  ++raised_;
  return kResultOk;
}

tresult HostWindow::show() noexcept {
  if (!open_) return kResultFalse;
  shown_ = true;
  return kResultOk;
}

tresult HostWindow::addCloseNotification(ICloseWindowNotification* listener) noexcept {
  if (listener == nullptr) return kInvalidArgument;
  if (!open_) return kResultFalse;
  return answerSafely(kOutOfMemory, [&] {
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
      listeners_.push_back(listener);
    return kResultOk;
  });
}

tresult HostWindow::removeCloseNotification(ICloseWindowNotification* listener) noexcept {
  auto found = std::find(listeners_.begin(), listeners_.end(), listener);
  if (found == listeners_.end()) return kResultFalse;
  listeners_.erase(found);
  return kResultOk;
}

void HostWindow::close() {
  if (!open_) return;
  open_ = false;
  shown_ = false;
  // The window stays whole while it tells its listeners, who may let go of it meanwhile.
  IPtr<IHostWindow> keep = IPtr<IHostWindow>::share(this);
  const std::vector<ICloseWindowNotification*> listeners = listeners_;
  for (ICloseWindowNotification* listener : listeners) {
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) continue;
    listener->windowClosed(this);
  }
  listeners_.clear();
  // Values first: the controller is their owner and may go with its last reference.
  walk(root_, false, [](const Widget& w) {
    const_cast<Widget&>(w).value.reset();
    const_cast<Widget&>(w).hostValue = nullptr;
    return true;
  });
  controller_.reset();
  if (connection_ && connection_->state) connection_->state->touch();
}

HostWindow::Widget* HostWindow::reachable(const std::string& name, const char* kind,
                                          std::string* why) {
  if (!open_) {
    *why = "the window is closed";
    return nullptr;
  }
  const Widget* found = nullptr;
  walk(root_, true, [&](const Widget& w) {
    if (w.type == Widget::Type::kControl && w.name == name) found = &w;
    return found == nullptr;
  });
  if (found == nullptr) {
    const std::string views = [&] {
      std::string list;
      for (const std::string& view : visibleViews()) list += (list.empty() ? "" : ", ") + view;
      return list;
    }();
    *why = anywhere(name) != nullptr
               ? "control " + quotedText(name) + " is not in the visible view (" + views + ")"
               : "the window " + quotedText(templateName_) + " has no control " + quotedText(name);
    return nullptr;
  }
  if (!found->value) {
    *why = "control " + quotedText(name) + " is bound to no value";
    return nullptr;
  }
  if (found->hostValue != nullptr && found->hostValue->disabled()) {
    *why = "control " + quotedText(name) + " is disabled";
    return nullptr;
  }
  if (kind != nullptr && found->kind != kind) {
    *why = "control " + quotedText(name) + " is a " + found->kind + ", not a " + kind;
    return nullptr;
  }
  return const_cast<Widget*>(found);
}

const HostWindow::Widget* HostWindow::anywhere(const std::string& name) const {
  const Widget* found = nullptr;
  walk(root_, false, [&](const Widget& w) {
    if (w.type == Widget::Type::kControl && w.name == name) found = &w;
    return found == nullptr;
  });
  return found;
}

std::vector<std::string> HostWindow::visibleViews() const {
  std::vector<std::string> views;
  walk(root_, true, [&](const Widget& w) {
    if (w.type == Widget::Type::kView && !w.name.empty()) views.push_back(w.name);
    return true;
  });
  return views;
}

bool HostWindow::press(const std::string& name, std::string* why) {
  Widget* widget = reachable(name, nullptr, why);
  if (widget == nullptr) return false;
  // The user's action may close nothing but may release much: keep the value meanwhile.
  IPtr<IGuiValue> value = widget->value;
  if (widget->kind == "checkbox") {
    value->setValue(value->getValue() > 0 ? 0 : 1, 1);
  } else if (widget->kind == "switch" && widget->hasStyle("push")) {
    value->setValue(1, 1);
    value->setValue(0, 1);
  } else if (widget->kind == "switch") {
    value->setValue(1, 1);
  } else {
    *why = "control " + quotedText(name) + " is a " + widget->kind +
           (widget->kind == "menu"   ? ": pick an entry with panel choose"
            : widget->kind == "edit" ? ": type into it with panel type"
                                     : ", which cannot be clicked");
    return false;
  }
  return true;
}

bool HostWindow::choose(const std::string& name, const std::string& entry, std::string* why) {
  Widget* widget = reachable(name, "menu", why);
  if (widget == nullptr) return false;
  if (widget->hostValue == nullptr) {
    *why = "menu " + quotedText(name) + " has entries the host cannot read";
    return false;
  }
  const std::vector<std::string> entries = widget->hostValue->entries();
  const auto found = std::find(entries.begin(), entries.end(), entry);
  if (found == entries.end()) {
    std::string list;
    for (const std::string& e : entries) list += (list.empty() ? "" : ", ") + quotedText(e);
    *why = "menu " + quotedText(name) + " has no entry " + quotedText(entry) +
           "; entries: " + (list.empty() ? "none" : list);
    return false;
  }
  IPtr<IGuiValue> value = widget->value;
  value->setValue(static_cast<int32>(found - entries.begin()), 1);
  return true;
}

bool HostWindow::type(const std::string& name, const std::string& text, std::string* why) {
  Widget* widget = reachable(name, "edit", why);
  if (widget == nullptr) return false;
  IPtr<IGuiValue> value = widget->value;
  const std::u16string typed = toUtf16(text);
  value->setText(typed.c_str(), 1);
  return true;
}

bool HostWindow::valueOf(const std::string& name, std::string* shown, std::string* why) const {
  const Widget* widget = anywhere(name);
  if (widget == nullptr || !widget->value) {
    *why = widget == nullptr
               ? "the window " + quotedText(templateName_) + " has no control " + quotedText(name)
               : "control " + quotedText(name) + " is bound to no value";
    return false;
  }
  if (widget->hostValue != nullptr) {
    *shown = widget->hostValue->shown();
    return true;
  }
  char16 text[512] = {};
  widget->value->getText(text, 512);
  *shown = toUtf8(text);
  return true;
}

bool HostWindow::entriesOf(const std::string& name, int* count, std::string* why) const {
  const Widget* widget = anywhere(name);
  if (widget == nullptr || widget->kind != "menu" || !widget->value) {
    *why = widget == nullptr
               ? "the window " + quotedText(templateName_) + " has no control " + quotedText(name)
           : widget->kind != "menu"
               ? "control " + quotedText(name) + " is a " + widget->kind + ", not a menu"
               : "control " + quotedText(name) + " is bound to no value";
    return false;
  }
  IPtr<IListValue> list = Brennholt::queryInterface<IListValue>(widget->value.get());
  if (!list) {
    *why = "menu " + quotedText(name) + " is bound to a value that is not a list";
    return false;
  }
  *count = list->count();
  return true;
}

std::string HostWindow::draw() const {
  std::ostringstream out;
  out << "window " << quotedText(title_) << " (" << templateName_ << ")";
  if (!open_) return out.str() + ": closed\n";
  std::string views;
  for (const std::string& view : visibleViews()) views += (views.empty() ? "" : " > ") + view;
  out << ", view " << (views.empty() ? "-" : views) << "\n";
  walk(root_, true, [&](const Widget& w) {
    if (w.type == Widget::Type::kLabel) {
      out << "  " << std::left << std::setw(16) << "label" << quotedText(w.text) << "\n";
    } else if (w.type == Widget::Type::kControl) {
      out << "  " << std::left << std::setw(16) << w.name << std::setw(12) << w.kind;
      std::string shown;
      std::string why;
      if (!valueOf(w.name, &shown, &why)) {
        out << "(unbound)";
      } else if (w.kind == "text" || w.kind == "edit") {
        out << quotedText(shown);
      } else if (w.kind == "menu") {
        int count = 0;
        entriesOf(w.name, &count, &why);
        out << quotedText(shown) << " (" << count << (count == 1 ? " entry)" : " entries)");
      } else {
        out << shown;
      }
      if (w.kind == "checkbox" && !w.text.empty()) out << "  " << quotedText(w.text);
      if (w.hostValue != nullptr && w.hostValue->disabled()) out << "  (disabled)";
      out << "\n";
    }
    return true;
  });
  return out.str();
}

}  // namespace QentSim
