// The host's dialogs, answered by the person at the page: the alert box (a question with its
// buttons), the open file selector (the page's own file picker: the file's bytes come over the
// socket and are written into the run's folder for the module to read) and the save selector
// (the module writes into the run's folder; the file then goes to the page as a download, the
// browser's own way of saving).
//
//   module --alert/open--> host thread: prompt to the page, then waits on the server's inbox
//   page --{"type":"dialog",...}--> inbox --> the waiting host thread returns the answer
//
// While a dialog waits, the host is modal as a real one is: other requests are refused with an
// error saying a dialog is open, a page that connects is shown the dialog, and Ctrl-C cancels it.
// [host thread, inside a module call]
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/host/UserDialogs.h"

namespace QentSim {

class WebServer;

class PageDialogs final : public UserDialogs {
 public:
  // `folder` receives opened and saved files; `stopping` turns true on Ctrl-C. Not owned.
  PageDialogs(WebServer& server, std::string folder, const std::atomic<bool>& stopping)
      : server_(server), folder_(std::move(folder)), stopping_(stopping) {}

  int alert(const std::string& message, const std::vector<std::string>& buttons) override;
  std::string chooseFile(DialogKind kind, const std::string& title,
                         const std::string& extension) override;

  // The files the module saved since the last call, each as a download message for the page.
  std::vector<nlohmann::json> takeDownloads();
  // What a page that connects right now is owed besides the state: the open dialog; null when
  // none.
  const nlohmann::json& openPrompt() const { return prompt_; }
  // The page's latest state, shown to a page that connects while a dialog waits.
  void setLastState(std::string state) { lastState_ = std::move(state); }

 private:
  // Shows `prompt` and waits for the page's {"type":"dialog"} answer; null when cancelled.
  nlohmann::json ask(nlohmann::json prompt);

  WebServer& server_;
  std::string folder_;
  const std::atomic<bool>& stopping_;
  nlohmann::json prompt_;
  std::string lastState_;
  std::vector<std::string> saved_;
  int files_ = 0;
};

}  // namespace QentSim
