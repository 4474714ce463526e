// A window the host built from a skin template for the module's controller, and what the user
// does in it.
//
// Building walks the template: images and labels, views (written inside, or a template placed),
// and controls, each bound by name to the value the controller offers for it. An alternative
// shows the child view its value selects and hides the others; the visible view is what an
// alternative-free path from the window's top reaches. The user reaches only controls of the
// visible view; the values of all controls can be looked at.
//
// The window references its controller and the values it bound from opening until it closes.
// Closing (by the user, or by the host at shutdown) tells every close listener, then lets go
// of the values and then of the controller. [host thread]
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sdk/host/PanelServices.h"
#include "sim/host/panels/GuiValues.h"
#include "sim/host/kit/HostObject.h"
#include "sim/host/kit/Connection.h"

namespace QentSim {

struct SkinNode;
class SkinDocument;

class HostWindow final : public HostObject<Brennholt::Hox::IHostWindow> {
 public:
  struct Widget {
    enum class Type { kImage, kLabel, kView, kControl };
    Type type = Type::kView;
    std::string name;   // a control's name; a placed view's template name
    std::string kind;   // a control's kind: "switch", "checkbox", "text", "edit", "menu"...
    std::string style;  // "|"-separated
    std::string text;   // a label's text, a checkbox's title
    // Where the skin places it, in pixels from its parent's top left, and its size (0 when the
    // skin gives none: an image takes its bitmap's size).
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::string bitmap;  // an image's or a switch's bitmap name; empty when none
    Brennholt::IPtr<Brennholt::Hox::IGuiValue> value;  // bound value; empty when unbound
    GuiValue* hostValue = nullptr;  // the host's own object behind `value`, else null
    std::vector<Widget> children;

    bool hasStyle(std::string_view wanted) const;
  };

  // Builds the window of template `templateName` of `skin` for `controller` (referenced) and
  // binds its controls; what cannot be bound is added to the run's problems.
  HostWindow(Connection connection,
             std::shared_ptr<const SkinDocument> skin, const SkinNode& templ,
             Brennholt::Hox::IPlugController* controller);

  // IHostWindow
  Brennholt::tresult bringToFront() noexcept override;
  Brennholt::tresult show() noexcept override;
  Brennholt::tresult addCloseNotification(
      Brennholt::Hox::ICloseWindowNotification* listener) noexcept override;
  Brennholt::tresult removeCloseNotification(
      Brennholt::Hox::ICloseWindowNotification* listener) noexcept override;

  // ---- the host's side ----
  const std::string& templateName() const { return templateName_; }
  const std::string& title() const { return title_; }
  bool isOpen() const { return open_; }
  bool isShown() const { return shown_; }
  int timesRaised() const { return raised_; }
  // The controller until the window closes; null after.
  Brennholt::Hox::IPlugController* controller() const { return controller_.get(); }
  std::size_t closeListeners() const { return listeners_.size(); }
  // Closes the window as the user does: every close listener is told, then the window lets go
  // of its values and its controller. Nothing when it is closed already.
  void close();

  // The user's actions on a control of the visible view; false with the reason when the
  // control is not there, hidden, disabled, unbound or of another kind.
  // A push switch goes on and off again, an "on" switch goes on, a checkbox toggles.
  bool press(const std::string& name, std::string* why);
  // Picks the menu entry of that text.
  bool choose(const std::string& name, const std::string& entry, std::string* why);
  // Types the text into an edit field and leaves it.
  bool type(const std::string& name, const std::string& text, std::string* why);

  // The value of the first control of that name, shown or hidden, as the window shows it:
  // "on"/"off", a number, a text, a menu's selected entry. False with the reason when there
  // is no such control or it is unbound.
  bool valueOf(const std::string& name, std::string* shown, std::string* why) const;
  // A menu's entry count.
  bool entriesOf(const std::string& name, int* count, std::string* why) const;
  // The visible view drawn as text, one control a line with its value.
  std::string draw() const;
  // The window's widgets as built, for a host that draws them itself; bound values are read
  // through each widget's `value`. Valid until the window is released.
  const Widget& root() const { return root_; }
  // The description the window was built from (its bitmaps name the package's entries).
  const SkinDocument& skin() const { return *skin_; }
  // The child an alternative shows right now; null for other widgets or an index out of range.
  static const Widget* shownChild(const Widget& alternative);

 private:
  ~HostWindow() override = default;

  Widget build(const SkinNode& node, int depth);
  void bindControls(Widget& widget);
  void report(const std::string& problem);
  // The first visible control of that name; null with the reason otherwise.
  Widget* reachable(const std::string& name, const char* kind, std::string* why);
  const Widget* anywhere(const std::string& name) const;
  // The names of the views shown right now, outermost first.
  std::vector<std::string> visibleViews() const;

  Connection connection_;
  std::shared_ptr<const SkinDocument> skin_;  // kept: the window's template lives in it
  std::string templateName_;
  std::string title_;
  Brennholt::IPtr<Brennholt::Hox::IPlugController> controller_;
  Widget root_;
  std::vector<Brennholt::Hox::ICloseWindowNotification*> listeners_;  // not referenced
  std::vector<std::string> reported_;  // control names already reported as unbound
  bool open_ = true;
  bool shown_ = false;
  int raised_ = 0;
};

}  // namespace QentSim
