#include "play/record_pane.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
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

GameRecordPane::GameRecordPane(QPlainTextEdit* view) : view_(view) { view_->setUndoRedoEnabled(false); }

void GameRecordPane::SetText(const std::string& text) {
  // Only the part after what the old and the new text share is replaced in
  // the widget, so a move costs the same early and late in a long game.
  const auto differ = std::mismatch(text_.begin(), text_.end(), text.begin(), text.end());
  size_t kept = static_cast<size_t>(differ.first - text_.begin());
  if (kept > 0 && text_[kept - 1] == '\r') --kept;  // a CR LF pair is one character there
  if (kept == 0) {
    view_->setPlainText(Shown(text));
  } else {
    const QString removed = Shown(std::string_view(text_).substr(kept));
    QTextCursor cursor(view_->document());
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor, static_cast<int>(removed.size()));
    cursor.insertText(Shown(std::string_view(text).substr(kept)));
  }
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
