#include "sim/serve/PageDialogs.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "sim/serve/Base64.h"
#include "sim/serve/WebServer.h"

namespace QentSim {

using nlohmann::json;

namespace {

json error(const std::string& message) { return {{"type", "error"}, {"message", message}}; }

// A name the page gave, kept to what is safe in the run's folder.
std::string safeName(const std::string& name, const std::string& extension) {
  std::string out;
  for (char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.';
    if (plain) out += c;
  }
  while (!out.empty() && out.front() == '.') out.erase(out.begin());
  if (out.empty()) out = "setup";
  if (out.size() > 64) out.resize(64);
  if (!extension.empty() && (out.size() <= extension.size() ||
                             out.substr(out.size() - extension.size() - 1) != "." + extension))
    out += "." + extension;
  return out;
}

}  // namespace

json PageDialogs::ask(json prompt) {
  prompt_ = std::move(prompt);
  server_.broadcast(prompt_.dump());
  json answer = nullptr;
  while (!stopping_) {
    WebServer::Message message;
    if (!server_.take(std::chrono::milliseconds(100), &message)) continue;
    const json request = json::parse(message.text, nullptr, false);
    const std::string type =
        request.is_object() && request.contains("type") && request["type"].is_string()
            ? request["type"].get<std::string>()
            : std::string();
    if (type == "hello") {
      if (!lastState_.empty()) server_.sendTo(message.socket, lastState_);
      server_.sendTo(message.socket, prompt_.dump());
      continue;
    }
    if (type != "dialog") {
      server_.sendTo(message.socket,
                     error("a dialog is open (" + prompt_.value("dialog", std::string()) +
                           "): answer it first; the request was not run")
                         .dump());
      continue;
    }
    answer = request;
    break;
  }
  prompt_ = nullptr;
  server_.broadcast(json{{"type", "dialog-closed"}}.dump());
  return answer;
}

int PageDialogs::alert(const std::string& message, const std::vector<std::string>& buttons) {
  const int last = static_cast<int>(buttons.size());
  const json answer =
      ask({{"type", "prompt"}, {"dialog", "alert"}, {"message", message}, {"buttons", buttons}});
  // A cancelled alert (Ctrl-C, the page gone) takes the last button, the usual "No"/"Cancel".
  if (answer.is_null() || !answer.contains("button") || !answer["button"].is_number_integer())
    return last;
  const int button = answer["button"].get<int>();
  return button >= 1 && button <= last ? button : last;
}

std::string PageDialogs::chooseFile(DialogKind kind, const std::string& title,
                                    const std::string& extension) {
  const std::filesystem::path folder(folder_);
  if (kind == DialogKind::kSave) {
    // The browser's download is the save selector: the module writes here, the page saves.
    const std::string name = safeName("qent-setup-" + std::to_string(++files_), extension);
    const std::string path = (folder / name).string();
    saved_.push_back(path);
    return path;
  }
  const json answer =
      ask({{"type", "prompt"}, {"dialog", "open"}, {"title", title}, {"extension", extension}});
  if (answer.is_null() || !answer.contains("name") || !answer["name"].is_string() ||
      !answer.contains("data") || !answer["data"].is_string())
    return {};
  std::vector<std::uint8_t> bytes;
  if (!decodeBase64(answer["data"].get<std::string>(), &bytes)) return {};
  const std::string path = (folder / ("opened-" + std::to_string(++files_) + "-" +
                                      safeName(answer["name"].get<std::string>(), extension)))
                               .string();
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  if (!file) return {};
  return path;
}

std::vector<json> PageDialogs::takeDownloads() {
  std::vector<json> downloads;
  for (const std::string& path : saved_) {
    std::ifstream file(path, std::ios::binary);
    if (!file) continue;  // the module did not write after all
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
    downloads.push_back({{"type", "download"},
                         {"name", std::filesystem::path(path).filename().string()},
                         {"data", encodeBase64(bytes)}});
  }
  saved_.clear();
  return downloads;
}

}  // namespace QentSim
