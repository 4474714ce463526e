// The reference host with nothing loaded: its kernel and host context with every service, a
// project built from a description, and the panel engine. A test links the module's classes
// into itself, hands them kernel() or context() as the host would, and looks at what they did to
// the host: the tree's values, the dependents and references they hold, the windows they open,
// the commands they registered, the settings and alerts.
//
// Nothing drives the module on its own: the test calls the idle handlers, delivers the notices
// and moves the clock. Host thread only; a test is the host thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/FUnknown.h"
#include "sdk/host/HostKernel.h"
#include "sim/host/SimHost.h"
#include "sim/host/panels/PanelHost.h"
#include "sim/host/project/ProjectDescription.h"
#include "sim/host/project/TreeObject.h"
#include "sim/host/project/ValueSpec.h"

namespace Brennholt::Hox {
class IHostWindow;
}

namespace QentSim {

struct HostState;
class HostWindow;
class UserDialogs;
class ProjectModel;

class BareHost {
 public:
  // A host without a project: the tree service has no root until openProject.
  BareHost();
  ~BareHost();  // closes what is still open, then cuts the kernel off
  BareHost(const BareHost&) = delete;
  BareHost& operator=(const BareHost&) = delete;

  // ---- what the module is handed ----
  // The host context as a service's initialize gets it (IHostKernel, IHostInformation,
  // IHostClasses); the host keeps one reference.
  Brennholt::FUnknown* context() const;
  Brennholt::Hox::IHostKernel* kernel() const;
  // Offers or withdraws a service or class; takes effect for every later request.
  void setServiceEnabled(HostService service, bool enabled);
  // The language the translator answers ("en" unless set), and its words in that language
  // (English word, translation); opening a project replaces them with the project's.
  void setLanguage(const std::string& code);
  void setTranslations(const std::vector<std::pair<std::string, std::string>>& table);

  // References the module holds right now to the context and to the kernel's services it was
  // handed, withdrawn ones too; 0 once it gave back everything it took. With `service`, only
  // the references to that service.
  long kernelReferences(const Brennholt::FUID* service = nullptr) const;
  // Who answers the alert box and the file selectors when no answer is queued; not owned,
  // null: nobody (an alert answers its last button, a selector is cancelled).
  void setUserDialogs(UserDialogs* dialogs);

  // ---- the project ----
  // Builds the project and opens it: projectOpened and projectActivated to the listeners,
  // notices delivered. An open project closes first.
  void openProject(const ProjectDescription& description);
  // projectClosing, then going-away for whatever is still watched, then the tree goes.
  void closeProject();
  // The open project as the host keeps it; null when none.
  ProjectModel* project() const;
  // A value of the open project (ProjectModel::findValue's names); null when there is none.
  TreeValue* value(const std::string& object, const std::string& key) const;
  // Delivers the queued dependency notices, as the host does at the top of its stack.
  void deliver();
  // Dependents the module registered and has not removed.
  int dependents() const;
  // References the module holds to objects and values of the tree (the host's own not counted).
  long treeReferences() const;
  // The project listeners and idle handlers the module registered.
  std::size_t projectListeners() const;
  std::size_t idleHandlers() const;
  // A value of the tree's own kind that belongs to no object, for code that works on one value:
  // the host holds it until it goes itself. Its owner numbers it `tag`.
  TreeValue* looseValue(const ValueSpec& spec, Brennholt::int32 tag = 0);
  // An object of the tree's own kind outside the project, for shapes no project description
  // makes (two children of one name, a parameter identifier twice...): built with its own
  // building operations (addChild, addMember...) and held by the host until it goes.
  TreeObject* looseObject(const std::string& name, const std::string& title = {},
                          TreeObject::Role role = TreeObject::Role::kPlain);
  // How often the module wrote a loose value (plain, normalized, integer or text, changed or
  // not).
  int writes(const TreeValue* value) const;
  // One call of every registered idle handler, each followed by the notices it caused.
  void idle();

  // ---- time and transport ----
  std::uint32_t clock() const;
  void setClock(std::uint32_t milliseconds);
  void advance(std::uint32_t milliseconds);  // moves the clock only; no idle calls
  double position() const;
  void setPosition(double position);

  // ---- panels, menus and commands ----
  // The windows open right now, oldest first.
  std::vector<HostWindow*> windows() const;
  // The newest open window, as the user sees it; null when none.
  HostWindow* activeWindow() const;
  // The user closes the newest window; false when none is open.
  bool closeWindow();
  // What the skin engine found wrong (a control without a value, a package that did not load).
  const std::vector<std::string>& panelProblems() const;
  // Commands the module registered with the catalogue, "category/name".
  std::vector<std::string> registeredActions() const;
  // The entries the module added to the host's menus.
  const std::vector<MenuEntry>& menuEntries() const;
  // The skin packages loaded: the module handle given and the package's name.
  std::vector<std::pair<void*, std::string>> skinPackages() const;

  // ---- the settings ----
  // The value stored under section and key as text ("<none>" when missing, numbers in decimal).
  std::string setting(const std::string& section, const std::string& key) const;

 private:
  struct Loose;
  std::unique_ptr<HostState> state_;
  std::unique_ptr<Loose> loose_;
};

}  // namespace QentSim
