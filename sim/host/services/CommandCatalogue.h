// The host's command catalogue: its categories and commands in the host's order, the commands
// the module registered, and the module's action handlers.
//
// The host's own commands cover what the module's factory setup assigns, what its default
// bindings and pages run, and what it runs itself. The module's registrations join them (a new
// category goes after the host's). A command is the module's when it registered it, or when it
// belongs to a category in which the module registered commands (the setup panel's command,
// which the host offers from its "Devices" menu, is such a one). Host thread only.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sdk/host/CommandServices.h"

namespace QentSim {

class CommandCatalogue {
 public:
  CommandCatalogue();

  int categoryCount() const { return static_cast<int>(categories_.size()); }
  // -1 when there is no such category or command.
  int categoryIndex(std::string_view category) const noexcept;
  const std::string* categoryName(int index) const noexcept;
  int commandCount(int category) const noexcept;
  int commandIndex(int category, std::string_view command) const noexcept;
  const std::string* commandName(int category, int index) const noexcept;
  bool knows(std::string_view category, std::string_view command) const noexcept;

  // The module's commands. register answers false when the pair was registered already;
  // unregister when it was not (the host's own commands stay listed). May throw std::bad_alloc.
  bool registerCommand(const std::string& category, const std::string& command);
  bool unregisterCommand(const std::string& category, const std::string& command);
  bool isModuleCommand(std::string_view category, std::string_view command) const noexcept;
  const std::vector<std::pair<std::string, std::string>>& registered() const { return registered_; }

  // The module's action handlers, not referenced. add answers false for one already there,
  // remove for one that is not.
  bool addHandler(Brennholt::Hox::IActionHandler* handler);
  bool removeHandler(Brennholt::Hox::IActionHandler* handler) noexcept;
  const std::vector<Brennholt::Hox::IActionHandler*>& handlers() const { return handlers_; }

  // Back to the host's own commands, no registrations and no handlers.
  void reset();

 private:
  struct Category {
    std::string name;
    std::vector<std::string> commands;
    std::size_t builtIn = 0;  // the first this many commands are the host's own
  };
  std::vector<Category> categories_;
  std::size_t builtInCategories_ = 0;
  std::vector<std::pair<std::string, std::string>> registered_;
  std::vector<Brennholt::Hox::IActionHandler*> handlers_;
};

}  // namespace QentSim
