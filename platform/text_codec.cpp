#include "platform/text_codec.h"

#include <QFile>

#include "platform/cp1252.h"

QString ToQString(std::string_view bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (const char c : bytes) text += QChar(static_cast<char16_t>(cp1252::ToUnicode(static_cast<unsigned char>(c))));
  return text;
}

std::string FromQString(const QString& text) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(text.size()));
  for (const char32_t cp : text.toUcs4()) {
    const int byte = cp1252::FromUnicode(cp);
    bytes += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return bytes;
}

QString PathToQString(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

std::string PathFromQString(const QString& path) { return QFile::encodeName(path).toStdString(); }
