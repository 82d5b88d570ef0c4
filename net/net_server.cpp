#include "net/net_server.h"

#include <QMetaObject>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <utility>

#include "net/net_socket_util.h"
#include "platform/text_codec.h"

using netsocket::AddressText;
using netsocket::BusyGuard;
using netsocket::kLingerMs;

NetServer::NetServer(Events events) : events_(std::move(events)), context_(std::make_unique<QObject>()) {}

// The context's destruction cuts every signal before the sockets go.
NetServer::~NetServer() = default;

bool NetServer::Listen(uint16_t port) {
  BusyGuard busy(busy_);
  CloseAll();
  error_.clear();
  auto* server = new QTcpServer(context_.get());
  if (!server->listen(QHostAddress::Any, port)) {
    error_ = "Cannot start the server on port " + std::to_string(port) + ": " + FromQString(server->errorString());
    delete server;
    return false;
  }
  server_ = server;
  QObject::connect(server_, &QTcpServer::newConnection, context_.get(), [this] { OnNewConnections(); });
  return true;
}

bool NetServer::IsListening() const { return server_ != nullptr && server_->isListening(); }

uint16_t NetServer::Port() const { return IsListening() ? server_->serverPort() : 0; }

std::vector<int64_t> NetServer::Connections() const {
  std::vector<int64_t> ids;
  ids.reserve(connections_.size());
  for (const Connection& c : connections_) ids.push_back(c.id);
  return ids;
}

bool NetServer::HasConnection(int64_t id) const { return Find(id) >= 0; }

std::string NetServer::RemoteHost(int64_t id) const {
  const int i = Find(id);
  return i < 0 ? std::string() : connections_[i].host;
}

std::string NetServer::RemoteAddress(int64_t id) const {
  const int i = Find(id);
  return i < 0 ? std::string() : connections_[i].address;
}

bool NetServer::Write(int64_t id, std::string_view bytes) { return Send(id, bytes, false); }

void NetServer::WriteAll(std::string_view bytes) {
  BusyGuard busy(busy_);
  for (int64_t id : Connections()) Send(id, bytes, true);
}

bool NetServer::Send(int64_t id, std::string_view bytes, bool now) {
  BusyGuard busy(busy_);
  int i = Find(id);
  if (i < 0) return false;
  QTcpSocket* socket = connections_[i].socket;
  if (socket->write(bytes.data(), static_cast<qint64>(bytes.size())) < 0) return false;
  if (!now && static_cast<size_t>(socket->bytesToWrite()) <= kMaxUnsent) return true;
  // Hand the system what it takes now; only what it refuses counts.
  socket->flush();
  i = Find(id);  // a failing write may have dropped the connection
  if (i < 0) return false;
  const size_t unsent = static_cast<size_t>(socket->bytesToWrite());
  if (unsent <= kMaxUnsent) return true;
  Detach(i)->abort();
  socket->deleteLater();
  Deliver([this, id, unsent] {
    const uint64_t generation = generation_;
    if (events_.overflowed) events_.overflowed(id, unsent);
    if (generation == generation_ && events_.disconnected) events_.disconnected(id);
  });
  return false;
}

void NetServer::Close(int64_t id) {
  BusyGuard busy(busy_);
  const int i = Find(id);
  if (i < 0) return;
  QTcpSocket* socket = Detach(i);
  QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
  QTimer::singleShot(kLingerMs, socket, [socket] { socket->abort(); });
  socket->disconnectFromHost();
  if (socket->state() == QAbstractSocket::UnconnectedState) socket->deleteLater();
  Deliver([this, id] {
    if (events_.disconnected) events_.disconnected(id);
  });
}

void NetServer::CloseAll() {
  ++generation_;
  while (!connections_.empty()) {
    QTcpSocket* socket = Detach(static_cast<int>(connections_.size()) - 1);
    socket->abort();
    socket->deleteLater();
  }
  if (server_ != nullptr) {
    QObject::disconnect(server_, nullptr, context_.get(), nullptr);
    server_->close();
    server_->deleteLater();
    server_ = nullptr;
  }
}

int NetServer::Find(int64_t id) const {
  for (size_t i = 0; i < connections_.size(); ++i) {
    if (connections_[i].id == id) return static_cast<int>(i);
  }
  return -1;
}

void NetServer::OnNewConnections() {
  const uint64_t generation = generation_;
  while (generation == generation_ && server_ != nullptr && server_->hasPendingConnections()) {
    QTcpSocket* socket = server_->nextPendingConnection();
    if (socket == nullptr) break;
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    Connection c;
    c.id = nextId_++;
    c.socket = socket;
    c.address = AddressText(socket->peerAddress());
    c.host = socket->peerName().isEmpty() ? c.address : FromQString(socket->peerName());
    const int64_t id = c.id;
    QObject::connect(socket, &QTcpSocket::readyRead, context_.get(), [this, id] { OnReadyRead(id); });
    QObject::connect(socket, &QTcpSocket::disconnected, context_.get(), [this, id] { OnDropped(id); });
    QObject::connect(socket, &QTcpSocket::errorOccurred, context_.get(), [this, id, socket] {
      if (socket->state() == QAbstractSocket::UnconnectedState) OnDropped(id);
    });
    connections_.push_back(c);
    if (events_.accepted) events_.accepted(id, c.address);
    if (generation == generation_ && HasConnection(id) && events_.connected) events_.connected(id, c.host, c.address);
    // Bytes that came with the connection are reported after it.
    if (generation == generation_ && HasConnection(id) && socket->bytesAvailable() > 0) OnReadyRead(id);
  }
}

void NetServer::OnReadyRead(int64_t id) {
  const int i = Find(id);
  if (i < 0) return;
  const QByteArray bytes = connections_[i].socket->readAll();
  if (!bytes.isEmpty() && events_.read) events_.read(id, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

void NetServer::OnDropped(int64_t id) {
  const int i = Find(id);
  if (i < 0) return;
  QTcpSocket* socket = Detach(i);
  std::string rest = socket->readAll().toStdString();
  socket->deleteLater();
  Deliver([this, id, rest = std::move(rest)] {
    const uint64_t generation = generation_;
    if (!rest.empty() && events_.read) events_.read(id, rest);
    if (generation == generation_ && events_.disconnected) events_.disconnected(id);
  });
}

QTcpSocket* NetServer::Detach(int index) {
  QTcpSocket* socket = connections_[index].socket;
  QObject::disconnect(socket, nullptr, context_.get(), nullptr);
  connections_.erase(connections_.begin() + index);
  return socket;
}

void NetServer::Deliver(std::function<void()> call) {
  if (busy_ == 0) {
    call();
    return;
  }
  const uint64_t generation = generation_;
  QMetaObject::invokeMethod(
      context_.get(),
      [this, generation, call = std::move(call)] {
        if (generation == generation_) call();
      },
      Qt::QueuedConnection);
}
