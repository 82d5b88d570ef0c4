#pragma once
// The report pane's side of the report: lines and fonts into a QTextEdit, the
// pane's document as RTF bytes, and printing.
#include <QTextCharFormat>
#include <QTextCursor>
#include <string>

#include "tools/core/report_text.h"

class QPrinter;
class QTextDocument;
class QTextEdit;

// Appends to the end of a text edit, as the lines of a rich edit are added.
// Undo history is off while the sink lives.
class TextEditReportSink : public ReportSink {
 public:
  explicit TextEditReportSink(QTextEdit* edit);
  ~TextEditReportSink() override;
  TextEditReportSink(const TextEditReportSink&) = delete;
  TextEditReportSink& operator=(const TextEditReportSink&) = delete;

  void SetFont(const std::string& family, int points) override;
  void SetSize(int points) override;
  void ResetAttributes() override;
  void AddLine(const std::string& text) override;

  // The pane's default attributes: Courier New, 10 pt.
  static QTextCharFormat DefaultFormat();

 private:
  QTextEdit* edit_;
  QTextCursor cursor_;
  QTextCharFormat format_;
  bool undo_;
};

// The document as an RTF file: fonts "Courier New" and "Chess Bughouse" first.
std::string DocumentToRtf(const QTextDocument& document);

// Prints the document on the printer, page by page, with `title` as the job name.
void PrintDocument(const QTextDocument& document, QPrinter& printer, const QString& title);
