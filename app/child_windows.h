#pragma once
// The frame's child windows that later work fills in: for now the play window
// and the game viewer are the base board window; the viewer shows the final
// position of the first game of the file it was opened on.
#include <QString>
#include <string>

#include "display/board_window.h"

class TfrmKestrovane : public TfrmKestroForm {
  Q_OBJECT
 public:
  explicit TfrmKestrovane(QWidget* parent = nullptr);

 protected:
  void WindowLayout() override;
};

class TfrmKestroView : public TfrmKestroForm {
  Q_OBJECT
 public:
  // Opens `fileName` when it is not blank; a file that can not be read throws.
  TfrmKestroView(QWidget* parent, const QString& fileName);
  const QString& FileName() const { return fileName_; }
  void LoadBpgnFile(const QString& fileName);

 protected:
  void FormActivate() override;
  void WindowLayout() override;

 private:
  QString fileName_;
};
