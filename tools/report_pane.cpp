// The report in a QTextEdit: appending lines, RTF out, printing.
#include "tools/report_pane.h"

#include <QAbstractTextDocumentLayout>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <cmath>
#include <memory>

#include "platform/text_codec.h"
#include "tools/core/rtf_writer.h"

TextEditReportSink::TextEditReportSink(QTextEdit* edit)
    : edit_(edit), cursor_(edit->document()), format_(DefaultFormat()), undo_(edit->document()->isUndoRedoEnabled()) {
  edit_->document()->setUndoRedoEnabled(false);
  cursor_.movePosition(QTextCursor::End);
  cursor_.beginEditBlock();
}

TextEditReportSink::~TextEditReportSink() {
  cursor_.endEditBlock();
  edit_->document()->setUndoRedoEnabled(undo_);
}

QTextCharFormat TextEditReportSink::DefaultFormat() {
  QTextCharFormat format;
  format.setFontFamilies({QString::fromLatin1(kReportFont)});
  format.setFontPointSize(10);
  return format;
}

void TextEditReportSink::SetFont(const std::string& family, int points) {
  format_.setFontFamilies({ToQString(family)});
  format_.setFontPointSize(points);
}

void TextEditReportSink::SetSize(int points) { format_.setFontPointSize(points); }

void TextEditReportSink::ResetAttributes() { format_ = DefaultFormat(); }

void TextEditReportSink::AddLine(const std::string& text) {
  QString line = ToQString(text);
  line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  line.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  const QStringList paragraphs = line.split(QLatin1Char('\n'));
  for (const QString& paragraph : paragraphs) {
    if (!edit_->document()->isEmpty() || cursor_.block().userState() == 1) cursor_.insertBlock();
    cursor_.block().setUserState(1);  // this block holds a line, even an empty one
    cursor_.setBlockCharFormat(format_);
    cursor_.insertText(paragraph, format_);
  }
}

std::string DocumentToRtf(const QTextDocument& document) {
  std::vector<std::string> fonts = {kReportFont, kDiagramFont};
  const auto fontIndex = [&fonts](const std::string& family) {
    for (size_t i = 0; i < fonts.size(); ++i)
      if (fonts[i] == family) return static_cast<int>(i);
    fonts.push_back(family);
    return static_cast<int>(fonts.size() - 1);
  };
  const double defaultPoints = document.defaultFont().pointSizeF() > 0 ? document.defaultFont().pointSizeF() : 10;
  const auto halfPoints = [defaultPoints](const QTextCharFormat& format) {
    const double points = format.fontPointSize() > 0 ? format.fontPointSize() : defaultPoints;
    return static_cast<int>(std::lround(points * 2));
  };
  const auto familyOf = [&document](const QTextCharFormat& format) {
    const QStringList families = format.fontFamilies().toStringList();
    return (families.isEmpty() ? document.defaultFont().family() : families.front()).toStdString();
  };
  std::vector<RtfParagraph> paragraphs;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    RtfParagraph paragraph;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid()) continue;
      QString text = fragment.text();
      text.replace(QChar::LineSeparator, QLatin1Char('\n'));
      text.remove(QChar::ObjectReplacementCharacter);
      const QTextCharFormat format = fragment.charFormat();
      paragraph.runs.push_back({text.toStdString(), fontIndex(familyOf(format)), halfPoints(format)});
    }
    if (paragraph.runs.empty()) {
      const QTextCharFormat format = block.charFormat();
      paragraph.runs.push_back({std::string(), fontIndex(familyOf(format)), halfPoints(format)});
    }
    paragraphs.push_back(std::move(paragraph));
  }
  return WriteRtf(fonts, paragraphs);
}

void PrintDocument(const QTextDocument& document, QPrinter& printer, const QString& title) {
  printer.setDocName(title);
  document.print(&printer);
}
