#include "play/record_pane.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "game/display_text.h"
#include "platform/text_codec.h"

namespace {

using display_text::Encoding;

// Bytes as the widget shows them when the whole text reads in `encoding`
// (a CR LF pair is one line break).
QString Shown(std::string_view bytes, Encoding encoding) {
  QString shown = ToQString(bytes, encoding);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

bool Continues(std::string_view text, size_t i) {
  return i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
}

}  // namespace

int ShowChangedText(QPlainTextEdit* view, const std::string& before, const std::string& after) {
  // What the two texts share at their start and at their end stays in the
  // widget, never splitting a CR LF pair (one character there) or a UTF-8
  // character. A text that reads in another encoding is set whole.
  if (before == after) return -1;  // nothing to draw again
  const Encoding encoding = display_text::EncodingOf(after);
  const size_t common = std::min(before.size(), after.size());
  size_t head = static_cast<size_t>(std::mismatch(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(common),
                                                  after.begin())
                                        .first -
                                    before.begin());
  while (encoding == Encoding::kUtf8 && head > 0 && (Continues(before, head) || Continues(after, head))) --head;
  if (head > 0 && before[head - 1] == '\r') --head;
  if (head == 0 || display_text::EncodingOf(before) != encoding) {
    view->setPlainText(Shown(after, encoding));
    return -1;
  }
  size_t tail = static_cast<size_t>(
      std::mismatch(before.rbegin(), before.rbegin() + static_cast<std::ptrdiff_t>(common - head), after.rbegin())
          .first -
      before.rbegin());
  while (encoding == Encoding::kUtf8 && tail > 0 && Continues(before, before.size() - tail)) --tail;
  if (tail > 0 && before[before.size() - tail] == '\n') --tail;
  const std::string_view old(before);
  const int fromEnd = static_cast<int>(Shown(old.substr(head), encoding).size());
  const int keptAtEnd = static_cast<int>(Shown(old.substr(before.size() - tail), encoding).size());
  QTextCursor cursor(view->document());
  const int end = view->document()->characterCount() - 1;  // after the last character
  cursor.setPosition(end - keptAtEnd);
  cursor.setPosition(end - fromEnd, QTextCursor::KeepAnchor);
  // The widget would draw all its lines again for any change; RepaintFrom
  // draws those that changed.
  QWidget* lines = view->viewport();
  const QSize size = lines->size();
  const int top = view->verticalScrollBar()->value();
  const bool held = lines->testAttribute(Qt::WA_UpdatesDisabled);
  lines->setAttribute(Qt::WA_UpdatesDisabled, true);
  cursor.insertText(Shown(std::string_view(after).substr(head, after.size() - tail - head), encoding));
  lines->setAttribute(Qt::WA_UpdatesDisabled, held);
  // A scroll bar came or went, or the view scrolled: every line moved.
  if (lines->size() != size || view->verticalScrollBar()->value() != top) {
    lines->update();
    return -1;
  }
  return end - fromEnd;
}

void RepaintFrom(QPlainTextEdit* view, int position) {
  QWidget* lines = view->viewport();
  if (position < 0) return;  // drawn whole already
  QTextCursor at(view->document());
  at.setPosition(std::clamp(position, 0, view->document()->characterCount() - 1));
  const int top = std::max(0, view->cursorRect(at).top());
  lines->update(QRect(0, top, lines->width(), lines->height() - top));
}

GameRecordPane::GameRecordPane(QPlainTextEdit* view) : view_(view) { view_->setUndoRedoEnabled(false); }

void GameRecordPane::SetText(const std::string& text) {
  text_ = text;
  Show();
}

void GameRecordPane::Show() {
  QScrollBar* bar = view_->verticalScrollBar();
  const int top = bar->value();
  const int changed = ShowChangedText(view_, shown_, text_);
  shown_ = text_;
  bar->setValue(bar->maximum());
  // Scrolling after a change moves lines drawn before it: all are drawn again.
  if (changed >= 0 && bar->value() != top)
    view_->viewport()->update();
  else
    RepaintFrom(view_, changed);
}

void GameRecordPane::InsertMove(const std::string& moveText) {
  const std::string closing = kClosing;
  std::string text = text_;
  if (text.size() >= closing.size() && text.compare(text.size() - closing.size(), closing.size(), closing) == 0)
    text.erase(text.size() - closing.size());
  SetText(text + " " + moveText + closing);
}
