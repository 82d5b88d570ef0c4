#include "net/net_socket_util.h"

#include "platform/text_codec.h"

namespace netsocket {

std::string AddressText(const QHostAddress& address) {
  bool isV4 = false;
  const quint32 v4 = address.toIPv4Address(&isV4);
  return FromQString(isV4 ? QHostAddress(v4).toString() : address.toString());
}

}  // namespace netsocket
