#pragma once
// The game client's connection to a server (TCP, bytes only). Every event
// arrives on the thread that made the client, from its event loop, never
// from inside one of the client's own calls. Do not destroy the client from
// inside its own event; Close may be called anywhere.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QObject;
class QTcpSocket;

class NetClient {
 public:
  struct Events {
    // The connection to the server is open.
    std::function<void()> connected;
    // Connecting failed (no server, refused, unknown host); the client is idle again.
    std::function<void(const std::string& errorText)> error;
    // Bytes as the server delivered them; frames may be split or joined.
    std::function<void(std::string_view bytes)> read;
    // An open connection ended without Close (server gone, network dropped);
    // the client is idle again and may connect anew.
    std::function<void(const std::string& reason)> disconnected;
  };

  explicit NetClient(Events events);
  ~NetClient();
  NetClient(const NetClient&) = delete;
  NetClient& operator=(const NetClient&) = delete;

  // Starts connecting (closing any earlier connection first); `connected`
  // or `error` follows.
  void Connect(const std::string& host, uint16_t port);
  bool IsConnecting() const;  // between Connect and its outcome
  bool IsConnected() const;
  std::string RemoteHost() const;     // as given to Connect
  std::string RemoteAddress() const;  // "127.0.0.1"; empty until connected

  // Hands bytes to the system for the server at once (what it does not take
  // now follows from the event loop); false when not connected.
  bool Write(std::string_view bytes);
  // Sends what is queued and closes, without events.
  void Close();

 private:
  void OnConnected(uint64_t generation);
  void OnReadyRead();
  void OnEnded(uint64_t generation);
  void Drop();
  void Deliver(std::function<void()> call);

  Events events_;
  std::unique_ptr<QObject> context_;
  QTcpSocket* socket_ = nullptr;
  std::string host_;
  bool connected_ = false;
  uint64_t generation_ = 0;  // grows with every socket, so late events of an old one are dropped
  int busy_ = 0;
};
