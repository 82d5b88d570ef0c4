// A pane changed by replacing only the changed part of its text shows what
// setting the whole text shows, over random changes of texts that mix CR LF
// line breaks, Windows-1252 bytes and UTF-8 characters.
#include "play/record_pane.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <random>
#include <string>

#include "platform/text_codec.h"

namespace {

TEST(ShowChangedTextTest, RandomChangesShowTheWholeText) {
  std::mt19937 random(20261209);
  // "é" as Windows-1252 and as UTF-8, "…", "€", an emoji's UTF-8 bytes, an undefined 1252 byte.
  const std::string pieces[] = {"a", "b", " ", "\r\n", "\t", "\xE9", "\xC3\xA9", "\x85", "\x80",
                                "\xF0\x9F\x98\x80", "\x81", "\xC3", "\xA9"};
  const auto some = [&](unsigned most) {
    std::string text;
    for (unsigned n = random() % (most + 1); n > 0; --n) text += pieces[random() % std::size(pieces)];
    return text;
  };
  QPlainTextEdit view, whole;
  std::string shown;
  for (int i = 0; i < 20000; ++i) {
    std::string next;
    const size_t at = shown.empty() ? 0 : random() % shown.size();
    switch (random() % 4) {
      case 0: next = some(8); break;
      case 1: next = shown + some(3); break;
      case 2: next = shown.substr(0, at) + some(3); break;
      default: next = shown.substr(0, at) + some(3) + shown.substr(at + random() % (shown.size() - at + 1)); break;
    }
    // Records break lines with CR LF only.
    for (size_t k = 0; k < next.size(); ++k)
      if ((next[k] == '\r' && (k + 1 == next.size() || next[k + 1] != '\n')) ||
          (next[k] == '\n' && (k == 0 || next[k - 1] != '\r')))
        next.erase(k--, 1);
    ShowChangedText(&view, shown, next);
    whole.setPlainText(ToQString(next).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    ASSERT_EQ(view.toPlainText().toStdString(), whole.toPlainText().toStdString()) << "change " << i;
    shown = next;
  }
}

}  // namespace
