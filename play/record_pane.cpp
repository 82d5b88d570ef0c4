#include "play/record_pane.h"

#include <QPlainTextEdit>
#include <QScrollBar>

#include "platform/text_codec.h"

void GameRecordPane::SetText(const std::string& text) {
  text_ = text;
  QString shown = ToQString(text_);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  view_->setPlainText(shown);
  view_->verticalScrollBar()->setValue(view_->verticalScrollBar()->maximum());
}

void GameRecordPane::InsertMove(const std::string& moveText) {
  const std::string closing = kClosing;
  std::string text = text_;
  if (text.size() >= closing.size() && text.compare(text.size() - closing.size(), closing.size(), closing) == 0)
    text.erase(text.size() - closing.size());
  SetText(text + " " + moveText + closing);
}
