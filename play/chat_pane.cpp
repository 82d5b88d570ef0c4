#include "play/chat_pane.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/text_codec.h"

ChatPane::ChatPane(QPlainTextEdit* view) : view_(view) {
  // An undo history would keep every line ever shown.
  view_->setUndoRedoEnabled(false);
  showTimer_.setSingleShot(true);
  showTimer_.setInterval(kShowDelayMs);
  QObject::connect(&showTimer_, &QTimer::timeout, view_, [this] { Show(); });
}

void ChatPane::Add(const std::string& line) {
  AddLater(line);
  Show();
}

void ChatPane::AddLater(const std::string& line) {
  waiting_.push_back(line);
  waitingChars_ += line.size();
  // Lines that the pane would drop at once do not wait either.
  while (waiting_.size() > 1 && (waiting_.size() > size_t{kMaxLines} || waitingChars_ > size_t{kMaxChars})) {
    waitingChars_ -= waiting_.front().size();
    waiting_.pop_front();
  }
  if (!showTimer_.isActive()) showTimer_.start();
}

void ChatPane::Show() {
  showTimer_.stop();
  if (waiting_.empty()) return;
  QTextDocument* doc = view_->document();
  QTextCursor end(doc);
  // Placed by position within the edit, the cursor lays out no line; the
  // widget lays out only the lines it shows.
  end.beginEditBlock();
  end.setPosition(doc->characterCount() - 1);
  for (const std::string& line : waiting_) {
    if (!doc->isEmpty()) end.insertBlock();
    end.insertText(ToQString(line));  // plain text, never markup
  }
  waiting_.clear();
  waitingChars_ = 0;
  // The oldest lines go; the newest stays, however long.
  const int excessLines = doc->blockCount() - kMaxLines;
  const int excessChars = doc->characterCount() - kMaxChars;
  QTextBlock first = doc->firstBlock();
  for (int dropped = 0; first != doc->lastBlock() && (dropped < excessLines || first.position() < excessChars);
       ++dropped)
    first = first.next();
  if (first.position() > 0) {
    end.setPosition(0);
    end.setPosition(first.position(), QTextCursor::KeepAnchor);
    end.removeSelectedText();
  }
  end.endEditBlock();
  view_->verticalScrollBar()->setValue(view_->verticalScrollBar()->maximum());
}

void ChatPane::Clear() {
  waiting_.clear();
  waitingChars_ = 0;
  showTimer_.stop();
  view_->clear();
}
