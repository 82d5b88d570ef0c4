#include "play/record_pane.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "platform/text_codec.h"

namespace {

// The text as the widget shows it (a CR LF pair is one line break).
QString Shown(std::string_view bytes) {
  QString shown = ToQString(std::string(bytes));
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

}  // namespace

void ShowChangedText(QPlainTextEdit* view, const std::string& before, const std::string& after) {
  // What the two texts share at their start and at their end stays in the
  // widget, never splitting a CR LF pair (one character there).
  const size_t common = std::min(before.size(), after.size());
  size_t head = static_cast<size_t>(std::mismatch(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(common),
                                                  after.begin())
                                        .first -
                                    before.begin());
  if (head > 0 && before[head - 1] == '\r') --head;
  if (head == 0) {
    view->setPlainText(Shown(after));
    return;
  }
  size_t tail = static_cast<size_t>(
      std::mismatch(before.rbegin(), before.rbegin() + static_cast<std::ptrdiff_t>(common - head), after.rbegin())
          .first -
      before.rbegin());
  if (tail > 0 && before[before.size() - tail] == '\n') --tail;
  const std::string_view old(before);
  const int fromEnd = static_cast<int>(Shown(old.substr(head)).size());
  const int keptAtEnd = static_cast<int>(Shown(old.substr(before.size() - tail)).size());
  QTextCursor cursor(view->document());
  const int end = view->document()->characterCount() - 1;  // after the last character
  cursor.setPosition(end - keptAtEnd);
  cursor.setPosition(end - fromEnd, QTextCursor::KeepAnchor);
  cursor.insertText(Shown(std::string_view(after).substr(head, after.size() - tail - head)));
}

GameRecordPane::GameRecordPane(QPlainTextEdit* view) : view_(view) { view_->setUndoRedoEnabled(false); }

void GameRecordPane::SetText(const std::string& text) {
  ShowChangedText(view_, text_, text);
  text_ = text;
  view_->verticalScrollBar()->setValue(view_->verticalScrollBar()->maximum());
}

void GameRecordPane::InsertMove(const std::string& moveText) {
  const std::string closing = kClosing;
  std::string text = text_;
  if (text.size() >= closing.size() && text.compare(text.size() - closing.size(), closing.size(), closing) == 0)
    text.erase(text.size() - closing.size());
  SetText(text + " " + moveText + closing);
}
