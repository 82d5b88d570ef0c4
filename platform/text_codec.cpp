#include "platform/text_codec.h"

#include <QFile>

#include "game/display_text.h"

QString ToQString(std::string_view bytes) { return ToQString(bytes, display_text::EncodingOf(bytes)); }

QString ToQString(std::string_view bytes, display_text::Encoding encoding) {
  // UTF-16 never takes more units than the text has bytes.
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  QChar* const start = text.data();
  QChar* out = start;
  display_text::ForEachCharacter(bytes, encoding, [&out](char32_t c) {
    if (c > 0xFFFF) {
      *out++ = QChar::highSurrogate(c);
      *out++ = QChar::lowSurrogate(c);
    } else {
      *out++ = QChar(static_cast<char16_t>(c));
    }
  });
  text.truncate(out - start);
  return text;
}

std::string FromQString(const QString& text) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(text.size()));
  for (const char32_t cp : text.toUcs4()) {
    const int byte = display_text::ToWindows1252(cp);
    bytes += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return bytes;
}

QString LettersOutsideWindows1252(const QString& text) {
  QList<char32_t> lost;
  for (const char32_t cp : text.toUcs4())
    if (display_text::ToWindows1252(cp) < 0 && !lost.contains(cp)) lost.push_back(cp);
  return QString::fromUcs4(lost.constData(), lost.size());
}

std::string FromQString(const QString& text, std::string_view shown) {
  if (display_text::EncodingOf(shown) == display_text::Encoding::kUtf8) return text.toStdString();
  return FromQString(text);
}

QString PathToQString(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

std::string PathFromQString(const QString& path) { return QFile::encodeName(path).toStdString(); }
