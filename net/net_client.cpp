#include "net/net_client.h"

#include <QMetaObject>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>
#include <utility>

#include "net/net_socket_util.h"
#include "platform/text_codec.h"

using netsocket::AddressText;
using netsocket::BusyGuard;
using netsocket::kLingerMs;

NetClient::NetClient(Events events) : events_(std::move(events)), context_(std::make_unique<QObject>()) {}

NetClient::~NetClient() = default;

void NetClient::Connect(const std::string& host, uint16_t port) {
  BusyGuard busy(busy_);
  Close();
  host_ = host;
  socket_ = new QTcpSocket(context_.get());
  const uint64_t generation = generation_;
  QObject::connect(socket_, &QTcpSocket::connected, context_.get(), [this, generation] { OnConnected(generation); });
  QObject::connect(socket_, &QTcpSocket::readyRead, context_.get(), [this] { OnReadyRead(); });
  // The end is judged once the socket has said all it has to say: a failed
  // connect and a dropped connection both signal an error and a state change.
  auto ended = [this, generation] {
    QMetaObject::invokeMethod(context_.get(), [this, generation] { OnEnded(generation); }, Qt::QueuedConnection);
  };
  QObject::connect(socket_, &QTcpSocket::errorOccurred, context_.get(), ended);
  QObject::connect(socket_, &QTcpSocket::stateChanged, context_.get(), [ended](QAbstractSocket::SocketState state) {
    if (state == QAbstractSocket::UnconnectedState) ended();
  });
  socket_->connectToHost(ToQString(host), port);
}

bool NetClient::IsConnecting() const { return socket_ != nullptr && !connected_; }

bool NetClient::IsConnected() const { return socket_ != nullptr && connected_; }

std::string NetClient::RemoteHost() const { return host_; }

std::string NetClient::RemoteAddress() const { return IsConnected() ? AddressText(socket_->peerAddress()) : std::string(); }

bool NetClient::Write(std::string_view bytes) {
  BusyGuard busy(busy_);
  if (!IsConnected()) return false;
  if (socket_->write(bytes.data(), static_cast<qint64>(bytes.size())) < 0) return false;
  // Out now, not once the caller's work is done; a failure is reported from
  // the event loop.
  socket_->flush();
  return true;
}

void NetClient::Close() {
  BusyGuard busy(busy_);
  ++generation_;
  connected_ = false;
  if (socket_ == nullptr) return;
  QTcpSocket* socket = socket_;
  socket_ = nullptr;
  QObject::disconnect(socket, nullptr, context_.get(), nullptr);
  // The socket lingers on its own until its last bytes are out: the client
  // may be destroyed right after Close (Disconnect's good-bye frames).
  socket->setParent(nullptr);
  QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
  QTimer::singleShot(kLingerMs, socket, [socket] {
    socket->abort();
    socket->deleteLater();
  });
  socket->disconnectFromHost();
  if (socket->state() == QAbstractSocket::UnconnectedState) socket->deleteLater();
}

void NetClient::OnConnected(uint64_t generation) {
  if (generation != generation_ || socket_ == nullptr) return;
  connected_ = true;
  socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
  Deliver([this, generation] {
    if (generation == generation_ && events_.connected) events_.connected();
  });
}

void NetClient::OnReadyRead() {
  if (socket_ == nullptr) return;
  const QByteArray bytes = socket_->readAll();
  if (!bytes.isEmpty() && events_.read) events_.read(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

void NetClient::OnEnded(uint64_t generation) {
  if (generation != generation_ || socket_ == nullptr) return;
  if (socket_->state() != QAbstractSocket::UnconnectedState) return;  // still trying another address
  const bool wasConnected = connected_;
  const std::string reason = FromQString(socket_->errorString());
  const QByteArray rest = socket_->readAll();
  Drop();
  const uint64_t now = generation_;
  if (!rest.isEmpty() && events_.read) events_.read(std::string_view(rest.constData(), static_cast<size_t>(rest.size())));
  if (now != generation_) return;
  if (wasConnected) {
    if (events_.disconnected) events_.disconnected(reason);
  } else if (events_.error) {
    events_.error(reason);
  }
}

void NetClient::Drop() {
  ++generation_;
  connected_ = false;
  QObject::disconnect(socket_, nullptr, context_.get(), nullptr);
  socket_->deleteLater();
  socket_ = nullptr;
}

void NetClient::Deliver(std::function<void()> call) {
  if (busy_ == 0) {
    call();
    return;
  }
  QMetaObject::invokeMethod(context_.get(), std::move(call), Qt::QueuedConnection);
}
