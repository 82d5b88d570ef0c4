#pragma once
// The game server's listening socket and its connections (TCP, bytes only).
// Every event arrives on the thread that made the server, from its event
// loop, never from inside one of the server's own calls: a connection that
// fails or is cut while the caller writes is reported once control is back
// in the event loop. Do not destroy the server from inside its own event;
// CloseAll may be called anywhere.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QObject;
class QTcpServer;
class QTcpSocket;

class NetServer {
 public:
  // Output a connection has not yet taken; past this it is cut off.
  static constexpr size_t kMaxUnsent = size_t{1} << 20;

  struct Events {
    // A connection was accepted: its remote address ("127.0.0.1").
    std::function<void(int64_t id, const std::string& address)> accepted;
    // Right after `accepted`: remote host name (the address when it has no
    // name) and address.
    std::function<void(int64_t id, const std::string& host, const std::string& address)> connected;
    // Bytes as the connection delivered them; frames may be split or joined.
    std::function<void(int64_t id, std::string_view bytes)> read;
    // The connection fell behind by more than kMaxUnsent bytes and was cut
    // off; `disconnected` follows.
    std::function<void(int64_t id, size_t unsent)> overflowed;
    // The connection is gone (closed by either side, dropped or cut off) and
    // no longer among Connections().
    std::function<void(int64_t id)> disconnected;
  };

  explicit NetServer(Events events);
  ~NetServer();
  NetServer(const NetServer&) = delete;
  NetServer& operator=(const NetServer&) = delete;

  // Listens on every address at `port` (0: a free port the system picks).
  // A server already listening is closed first (without events). On failure
  // returns false, ErrorText() says why and nothing is left open.
  bool Listen(uint16_t port);
  bool IsListening() const;
  uint16_t Port() const;  // the port listened on, 0 when not listening
  const std::string& ErrorText() const { return error_; }

  // Open connections, in the order they were accepted. Ids are never reused.
  std::vector<int64_t> Connections() const;
  bool HasConnection(int64_t id) const;
  std::string RemoteHost(int64_t id) const;
  std::string RemoteAddress(int64_t id) const;

  // Queues bytes for one connection; false when it is not open (or was just
  // cut off for falling behind).
  bool Write(int64_t id, std::string_view bytes);
  // The same bytes to every open connection, in connection order, handed to
  // the system at once (what it does not take now follows from the event
  // loop): a broadcast does not wait for what the caller does next.
  void WriteAll(std::string_view bytes);
  // Closes one connection after sending what it still has queued;
  // `disconnected` follows.
  void Close(int64_t id);
  // Stops listening and drops every connection, without events.
  void CloseAll();

 private:
  struct Connection {
    int64_t id = 0;
    QTcpSocket* socket = nullptr;
    std::string host;
    std::string address;
  };

  // Write, and with `now` the bytes handed to the system at once.
  bool Send(int64_t id, std::string_view bytes, bool now);
  int Find(int64_t id) const;
  void OnNewConnections();
  void OnReadyRead(int64_t id);
  void OnDropped(int64_t id);
  QTcpSocket* Detach(int index);
  // Runs `call` now, or from the event loop when the server is inside one
  // of its own calls.
  void Deliver(std::function<void()> call);

  Events events_;
  std::unique_ptr<QObject> context_;  // receiver of every socket signal
  QTcpServer* server_ = nullptr;
  std::vector<Connection> connections_;
  int64_t nextId_ = 1;
  uint64_t generation_ = 0;  // grows with CloseAll, so events queued before it are dropped
  int busy_ = 0;
  std::string error_;
};
