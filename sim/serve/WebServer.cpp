#include "sim/serve/WebServer.h"

#include <civetweb.h>

#include <cstring>
#include <string>
#include <vector>

#include "sim/serve/PageFiles.h"
#include "sim/skin/SkinPackage.h"

namespace QentSim {

namespace {

std::string_view header(const mg_connection* connection, const char* name) {
  const char* value = mg_get_header(connection, name);
  return value == nullptr ? std::string_view() : std::string_view(value);
}

void answer(mg_connection* connection, int status, std::string_view type, std::string_view body) {
  const char* reason = status == 200 ? "OK" : status == 403 ? "Forbidden" : "Not Found";
  mg_printf(connection,
            "HTTP/1.1 %d %s\r\nContent-Type: %.*s\r\nContent-Length: %zu\r\n"
            "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n"
            "Connection: close\r\n\r\n",
            status, reason, static_cast<int>(type.size()), type.data(), body.size());
  mg_write(connection, body.data(), body.size());
}

std::string_view imageType(std::string_view name) {
  if (name.size() >= 4 && name.substr(name.size() - 4) == ".png") return "image/png";
  return "application/octet-stream";
}

}  // namespace

WebServer::WebServer() { mg_init_library(0); }

WebServer::~WebServer() {
  stop();
  mg_exit_library();
}

bool WebServer::start(int port, std::string* error) {
  stop();
  const std::string ports = "127.0.0.1:" + std::to_string(port);
  const char* options[] = {"listening_ports",   ports.c_str(), "num_threads", "4",
                           "enable_keep_alive", "no",          nullptr};
  mg_callbacks callbacks{};
  mg_init_data init{};
  init.callbacks = &callbacks;
  init.user_data = this;
  init.configuration_options = options;
  mg_error_data failure{};
  unsigned code = 0;
  char reason[256] = {};
  failure.code = &code;
  failure.text = reason;
  failure.text_buffer_size = sizeof(reason);
  context_ = mg_start2(&init, &failure);
  if (context_ == nullptr) {
    *error = "cannot listen on " + ports + (reason[0] ? std::string(": ") + reason : "");
    return false;
  }
  mg_server_port listening[4];
  const int count = mg_get_server_ports(context_, 4, listening);
  port_ = count > 0 ? listening[0].port : 0;
  if (port_ <= 0) {
    stop();
    *error = "the server did not report its port";
    return false;
  }
  mg_set_request_handler(context_, "/", &WebServer::servePage, this);
  mg_set_request_handler(context_, "/skin", &WebServer::serveSkin, this);
  mg_set_websocket_handler(context_, "/live", &WebServer::acceptSocket, &WebServer::socketReady,
                           &WebServer::socketData, &WebServer::socketClosed, this);
  return true;
}

void WebServer::stop() {
  if (context_ == nullptr) return;
  // civetweb closes the sockets (their close handlers run) and joins its threads.
  mg_stop(context_);
  context_ = nullptr;
  port_ = 0;
  std::lock_guard<std::mutex> lock(socketsLock_);
  sockets_.clear();
}

void WebServer::setSkin(std::shared_ptr<const SkinPackage> package) {
  std::lock_guard<std::mutex> lock(skinLock_);
  skin_ = std::move(package);
}

bool WebServer::take(std::chrono::milliseconds timeout, Message* out) {
  std::unique_lock<std::mutex> lock(inboxLock_);
  inboxChanged_.wait_for(lock, timeout, [&] { return !inbox_.empty(); });
  if (inbox_.empty()) return false;
  *out = std::move(inbox_.front());
  inbox_.pop_front();
  return true;
}

void WebServer::broadcast(std::string_view text) {
  std::lock_guard<std::mutex> lock(socketsLock_);
  for (const auto& [connection, id] : sockets_) {
    mg_websocket_write(const_cast<mg_connection*>(connection), MG_WEBSOCKET_OPCODE_TEXT,
                       text.data(), text.size());
  }
}

void WebServer::sendTo(std::uint64_t socket, std::string_view text) {
  std::lock_guard<std::mutex> lock(socketsLock_);
  for (const auto& [connection, id] : sockets_) {
    if (id != socket) continue;
    mg_websocket_write(const_cast<mg_connection*>(connection), MG_WEBSOCKET_OPCODE_TEXT,
                       text.data(), text.size());
  }
}

std::size_t WebServer::socketCount() const {
  std::lock_guard<std::mutex> lock(socketsLock_);
  return sockets_.size();
}

bool WebServer::sameHost(std::string_view host, int port) {
  const std::size_t colon = host.rfind(':');
  if (colon == std::string_view::npos || host.substr(colon + 1) != std::to_string(port))
    return false;
  const std::string_view name = host.substr(0, colon);
  return name == "127.0.0.1" || name == "localhost";
}

bool WebServer::sameOrigin(std::string_view origin, int port) {
  constexpr std::string_view scheme = "http://";
  if (origin.substr(0, scheme.size()) != scheme) return false;
  return sameHost(origin.substr(scheme.size()), port);
}

bool WebServer::admits(mg_connection* connection) {
  const std::string_view origin = header(connection, "Origin");
  if (sameHost(header(connection, "Host"), port_) && (origin.empty() || sameOrigin(origin, port_)))
    return true;
  answer(connection, 403, "text/plain; charset=utf-8",
         "refused: this server answers only its own page at http://127.0.0.1:" +
             std::to_string(port_) + "/\n");
  return false;
}

int WebServer::servePage(mg_connection* connection, void* self) {
  auto* server = static_cast<WebServer*>(self);
  if (!server->admits(connection)) return 403;
  const mg_request_info* request = mg_get_request_info(connection);
  const std::string_view method = request->request_method ? request->request_method : "";
  const PageFile* file = findPageFile(request->local_uri ? request->local_uri : "");
  if (file == nullptr || method != "GET") {
    answer(connection, 404, "text/plain; charset=utf-8", "not found\n");
    return 404;
  }
  answer(connection, 200, file->type, file->body);
  return 200;
}

int WebServer::serveSkin(mg_connection* connection, void* self) {
  auto* server = static_cast<WebServer*>(self);
  if (!server->admits(connection)) return 403;
  const mg_request_info* request = mg_get_request_info(connection);
  std::string_view name = request->local_uri ? request->local_uri : "";
  name.remove_prefix(std::min(name.size(), std::strlen("/skin/")));
  std::shared_ptr<const SkinPackage> skin;
  {
    std::lock_guard<std::mutex> lock(server->skinLock_);
    skin = server->skin_;
  }
  const SkinPackage::Entry* entry = skin ? skin->find(name) : nullptr;
  if (entry == nullptr) {
    answer(connection, 404, "text/plain; charset=utf-8", "no such image\n");
    return 404;
  }
  answer(connection, 200, imageType(name),
         std::string_view(reinterpret_cast<const char*>(entry->data.data()), entry->data.size()));
  return 200;
}

int WebServer::acceptSocket(const mg_connection* connection, void* self) {
  auto* server = static_cast<WebServer*>(self);
  // A browser always sends Origin with a WebSocket; a socket without one is no page's.
  const std::string_view origin = header(connection, "Origin");
  if (!sameHost(header(connection, "Host"), server->port_) || !sameOrigin(origin, server->port_))
    return 1;  // civetweb answers the handshake with an error and closes
  std::lock_guard<std::mutex> lock(server->socketsLock_);
  server->sockets_.emplace(connection, server->nextSocket_++);
  return 0;
}

void WebServer::socketReady(mg_connection* connection, void* self) {
  auto* server = static_cast<WebServer*>(self);
  std::uint64_t id = 0;
  {
    std::lock_guard<std::mutex> lock(server->socketsLock_);
    auto found = server->sockets_.find(connection);
    if (found == server->sockets_.end()) return;
    id = found->second;
  }
  // The host thread answers with the whole state.
  {
    std::lock_guard<std::mutex> lock(server->inboxLock_);
    server->inbox_.push_back({id, R"({"type":"hello"})"});
  }
  server->inboxChanged_.notify_all();
}

int WebServer::socketData(mg_connection* connection, int bits, char* data, std::size_t length,
                          void* self) {
  auto* server = static_cast<WebServer*>(self);
  const int opcode = bits & 0x0f;
  if (opcode == MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE) return 0;
  if (opcode != MG_WEBSOCKET_OPCODE_TEXT) return 1;  // pings and binary frames: nothing to do
  std::uint64_t id = 0;
  {
    std::lock_guard<std::mutex> lock(server->socketsLock_);
    auto found = server->sockets_.find(connection);
    if (found == server->sockets_.end()) return 0;
    id = found->second;
  }
  std::string text = length > kMaxMessage ? std::string() : std::string(data, length);
  if (length > kMaxMessage) text = R"({"type":"too-large"})";
  {
    std::lock_guard<std::mutex> lock(server->inboxLock_);
    server->inbox_.push_back({id, std::move(text)});
  }
  server->inboxChanged_.notify_all();
  return 1;
}

void WebServer::socketClosed(const mg_connection* connection, void* self) {
  auto* server = static_cast<WebServer*>(self);
  std::lock_guard<std::mutex> lock(server->socketsLock_);
  server->sockets_.erase(connection);
}

}  // namespace QentSim
