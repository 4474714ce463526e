#include "sim/serve/ServeCommand.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>

#include <nlohmann/json.hpp>

#include "sim/CommandLine.h"
#include "sim/host/panels/HostWindow.h"
#include "sim/serve/PageDialogs.h"
#include "sim/serve/PageRequests.h"
#include "sim/serve/PageSession.h"
#include "sim/serve/PageState.h"
#include "sim/serve/WebServer.h"

namespace QentSim {

using nlohmann::json;

namespace {

std::atomic<bool> stopping{false};

extern "C" void onStopSignal(int) { stopping = true; }

bool readNumber(const std::string& text, int low, int high, int* out) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < low || value > high) return false;
  *out = static_cast<int>(value);
  return true;
}

// Reads the options; false with *why for anything it does not know.
bool readOptions(const std::vector<std::string>& arguments, ServeOptions* options,
                 std::string* why) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (option == "--port" && hasValue) {
      if (!readNumber(arguments[++i], 0, 65535, &options->port)) {
        *why = "--port needs a number 0..65535 (0: any free port)";
        return false;
      }
    } else if (option == "--module" && hasValue) {
      options->modulePath = arguments[++i];
    } else if (option == "--project" && hasValue) {
      options->project = arguments[++i];
    } else if (option == "--keyboards" && hasValue) {
      if (!readNumber(arguments[++i], 1, 9, &options->keyboards)) {
        *why = "--keyboards needs a number 1..9";
        return false;
      }
    } else if (option == "--settings" && hasValue) {
      options->settingsFile = arguments[++i];
    } else {
      *why = "unexpected argument \"" + option + "\"";
      return false;
    }
  }
  return true;
}

void reply(WebServer& server, std::uint64_t socket, bool ran, const std::string& why,
           const json& request) {
  json answer = ran ? json{{"type", "done"}} : json{{"type", "error"}, {"message", why}};
  // The page matches answers to its requests by the id it gave, when it gave one.
  if (request.is_object() && request.contains("id")) answer["id"] = request["id"];
  server.sendTo(socket, answer.dump());
}

}  // namespace

std::string serveHelp() {
  return "usage: qentsim serve [--port N] [--module PATH] [--project FILE|demo] [--keyboards N]\n"
         "                     [--settings FILE]\n"
         "Runs the host with the module on a real clock and serves a page on 127.0.0.1 that\n"
         "shows the keyboard, the host beside it and the module's setup window, all of them\n"
         "usable. Open the address it prints; Ctrl-C stops it and shuts the module down.\n\n"
         "  --port N         the port on 127.0.0.1 (default 8765; 0: any free port)\n"
         "  --module PATH    the module (default: qentlink.hox3 beside qentsim)\n"
         "  --project FILE   a project description (JSON, see sim/README.md); default: demo, the\n"
         "                   built-in demo project with the demo's knob assignments\n"
         "  --keyboards N    keyboards plugged in, 1..9 (default 1); the page selects one\n"
         "  --settings FILE  keep the host's settings in FILE across runs (default: in memory)\n";
}

int runServe(const std::vector<std::string>& arguments, const std::string& defaultModule,
             std::ostream& out, std::ostream& err) {
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h") {
      out << serveHelp();
      return kExitOk;
    }
  }
  ServeOptions options;
  std::string why;
  if (!readOptions(arguments, &options, &why)) {
    err << "qentsim serve: " << why << '\n' << serveHelp();
    return kExitUsage;
  }
  if (options.modulePath.empty()) options.modulePath = defaultModule;

  WebServer server;
  if (!server.start(options.port, &why)) {
    err << "qentsim serve: " << why << '\n';
    return kExitFailed;
  }
  PageSession session(options);
  if (!session.start(&why)) {
    server.stop();
    err << "qentsim serve: " << why << '\n';
    return kExitFailed;
  }
  PageDialogs dialogs(server, session.folder(), stopping);
  session.host().setUserDialogs(&dialogs);

  stopping = false;
  std::signal(SIGINT, onStopSignal);
  std::signal(SIGTERM, onStopSignal);
  out << "qentsim serve: open http://127.0.0.1:" << server.port() << "/ (Ctrl-C stops)"
      << std::endl;

  using Clock = std::chrono::steady_clock;
  const Clock::time_point started = Clock::now();
  const auto roundTime = std::chrono::milliseconds(PageSession::kRoundMs);
  Clock::time_point nextRound = started + roundTime;
  std::string shown;  // the state the pages have
  while (!stopping) {
    bool asked = false;
    bool moved = false;
    WebServer::Message message;
    const auto wait =
        std::chrono::duration_cast<std::chrono::milliseconds>(nextRound - Clock::now());
    if (server.take(std::max(wait, std::chrono::milliseconds(0)), &message)) {
      // Everything that waits is taken before the host settles: a fast turn is one settle.
      do {
        const json request = json::parse(message.text, nullptr, false);
        if (request.is_object() && request.value("type", "") == "hello") {
          if (!shown.empty()) server.sendTo(message.socket, shown);
          continue;
        }
        if (request.is_object() && request.value("type", "") == "too-large") {
          reply(server, message.socket, false, "the message is larger than 1 MiB", request);
          continue;
        }
        const bool ran = runPageRequest(session, message.text, &why);
        reply(server, message.socket, ran, why, request);
        asked = true;
      } while (!stopping && server.take(std::chrono::milliseconds(0), &message));
    }
    if (Clock::now() >= nextRound) {
      const auto elapsed =
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
      session.round(static_cast<std::uint32_t>(elapsed.count()));
      nextRound += roundTime;
      // A host that fell behind skips the rounds it missed rather than racing to catch up.
      if (Clock::now() > nextRound) nextRound = Clock::now() + roundTime;
      moved = true;
    }
    // A request is answered in full before the page hears of it; the clock's rounds run alone.
    if (asked && !session.settle(&why)) {
      err << "qentsim serve: " << why << '\n';
      server.broadcast(json{{"type", "error"}, {"message", why}}.dump());
    }
    if (asked || moved) {
      // The open window's images come from the package it was built from.
      if (const HostWindow* window = session.host().activeWindow())
        server.setSkin(session.host().skinPackageOf(*window));
      const std::string state = pageState(session).dump();
      if (state != shown) {
        shown = state;
        dialogs.setLastState(shown);
        server.broadcast(shown);
      }
      for (const json& download : dialogs.takeDownloads()) server.broadcast(download.dump());
    }
  }
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  out << "qentsim serve: stopping" << std::endl;
  server.stop();
  session.host().setUserDialogs(nullptr);
  const std::string left = session.stop();
  if (!left.empty()) {
    err << "qentsim serve: the module left behind " << left << '\n';
    return kExitFailed;
  }
  out << "qentsim serve: the module was shut down in order" << std::endl;
  return kExitOk;
}

}  // namespace QentSim
