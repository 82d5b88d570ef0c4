#pragma once
// Small pieces shared by the server and the client sockets.
#include <QHostAddress>
#include <string>

namespace netsocket {

// "127.0.0.1" also for an IPv4 peer seen through an IPv6 socket.
std::string AddressText(const QHostAddress& address);

// A socket closed gently still gets this long to hand over its queued bytes.
inline constexpr int kLingerMs = 10000;

// Marks an object as inside one of its own calls for the guard's lifetime;
// events raised meanwhile wait for the event loop.
class BusyGuard {
 public:
  explicit BusyGuard(int& depth) : depth_(depth) { ++depth_; }
  ~BusyGuard() { --depth_; }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;

 private:
  int& depth_;
};

}  // namespace netsocket
