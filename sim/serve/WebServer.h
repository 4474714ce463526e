// The page's web server: one embedded HTTP and WebSocket server (civetweb) on 127.0.0.1.
//
//   browser --GET /, /page.js, /page.css-->  civetweb thread: the page's own files
//   browser --GET /skin/NAME ------------->  civetweb thread: an entry of the skin package the
//                                            host thread published (setSkin), or 404
//   browser --WebSocket /live, text ------>  civetweb thread --Inbox--> host thread (take())
//   host thread --broadcast()/sendTo()---->  every open socket / one socket
//
// Only requests that name this server itself pass: the Host header must be 127.0.0.1:PORT or
// localhost:PORT (a name that merely resolves here is refused), and an Origin, where the
// browser sends one (always for a WebSocket), must be http:// and one of those two. A page of
// another site can therefore neither read the page nor open the socket that drives the host.
//
// Threading: start, stop and the destructor on the host thread; everything else on any thread.
// The socket list, the published skin and the inbox each have their own lock; none is held
// while another is taken, except the socket list's while civetweb writes to one socket.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

struct mg_context;
struct mg_connection;

namespace QentSim {

class SkinPackage;

class WebServer {
 public:
  // A text message from one page, with the socket it came on.
  struct Message {
    std::uint64_t socket = 0;
    std::string text;
  };
  // Larger messages are refused with an error (a setup file is a few kilobytes).
  static constexpr std::size_t kMaxMessage = 1u << 20;

  WebServer();
  ~WebServer();  // stops
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Listens on 127.0.0.1:`port` (0: a free port the system picks). False with *error when the
  // port is taken or the server cannot start. [host thread]
  bool start(int port, std::string* error);
  // The port it listens on; 0 before start.
  int port() const { return port_; }
  // Closes every socket and stops the server's threads; nothing arrives after it returns.
  // [host thread]
  void stop();

  // The skin package whose entries /skin/NAME serves from now on; null serves none.
  void setSkin(std::shared_ptr<const SkinPackage> package);

  // Waits until a message arrives or `timeout` passes, then takes the oldest one. False when
  // none arrived in time. [host thread]
  bool take(std::chrono::milliseconds timeout, Message* out);

  // Sends `text` to every open socket / to one socket (nothing when it is gone).
  void broadcast(std::string_view text);
  void sendTo(std::uint64_t socket, std::string_view text);
  // Sockets open right now.
  std::size_t socketCount() const;

  // The Host or Origin check above, for tests: `host` as the header gave it, `origin` empty when
  // the request carried none.
  static bool sameHost(std::string_view host, int port);
  static bool sameOrigin(std::string_view origin, int port);

 private:
  static int servePage(mg_connection* connection, void* self);
  static int serveSkin(mg_connection* connection, void* self);
  static int acceptSocket(const mg_connection* connection, void* self);
  static void socketReady(mg_connection* connection, void* self);
  static int socketData(mg_connection* connection, int bits, char* data, std::size_t length,
                        void* self);
  static void socketClosed(const mg_connection* connection, void* self);
  // The request's Host and Origin pass; otherwise answers 403 and returns false.
  bool admits(mg_connection* connection);

  mg_context* context_ = nullptr;
  int port_ = 0;

  mutable std::mutex socketsLock_;
  std::map<const mg_connection*, std::uint64_t> sockets_;
  std::uint64_t nextSocket_ = 1;

  std::mutex skinLock_;
  std::shared_ptr<const SkinPackage> skin_;

  std::mutex inboxLock_;
  std::condition_variable inboxChanged_;
  std::deque<Message> inbox_;
};

}  // namespace QentSim
