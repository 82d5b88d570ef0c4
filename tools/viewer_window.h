#pragma once
// The game viewer: opens a game file, shows one game at a time on both boards,
// steps through it, flips it, and builds, saves and prints a rich-text report.
#include <QString>
#include <memory>
#include <string>

#include "display/board_window.h"
#include "game/bpgn_file.h"

class QAction;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QSpinBox;
class QTextEdit;
class QToolBar;
class ReportSink;

class TfrmKestroView : public TfrmKestroForm {
  Q_OBJECT
 public:
  // Opens `fileName` when it is not blank; a file that can not be read throws.
  TfrmKestroView(QWidget* parent, const QString& fileName);
  ~TfrmKestroView() override;

  const QString& FileName() const { return fileName_; }
  void LoadBpgnFile(const QString& fileName);
  // The open file, null before one is opened.
  CBpgn* Bpgn() const { return bpgn_.get(); }
  // Automatic diagrams every N lines, 0 for none.
  int AutoDiagramLines() const;

  // The built-in example game.
  static const char* const kExampleGame;
  // Where "Print Now" prints; a PDF file when set, else the default printer.
  QString PrintToFile;

  QPlainTextEdit* txtAboutGame = nullptr;
  QScrollBar* sbGame = nullptr;
  QTextEdit* reBpgnGame = nullptr;
  QTextEdit* reRTFGame = nullptr;
  QCheckBox* chbTolvoEnergyBoard = nullptr;
  QToolBar* ToolBar1 = nullptr;
  QAction* spbtnBPGNExample = nullptr;
  QAction* sbtnBPGNOpen = nullptr;
  QAction* btnViewGame = nullptr;
  QAction* btnFlipGame = nullptr;
  QPushButton* btnInsertDiagram = nullptr;
  QPushButton* btnInsertBFEN = nullptr;
  QCheckBox* cbAutoDiagram = nullptr;
  QSpinBox* csedAutoDiagram = nullptr;
  QLabel* lblAutoDiagram = nullptr;
  QLabel* Label1 = nullptr;
  QAction* mnuiKVYBPGNExample = nullptr;
  QAction* mnuiKVYBPGNOpen = nullptr;
  QAction* mnuiShowGameInPrintFormat = nullptr;
  QAction* mnuiShowAllGamesInPrintFormat = nullptr;

 public slots:
  void imgBoardMouseUp(Qt::MouseButton button, int x, int y);
  void sbGameChange(int position);
  void btnViewGameClick();
  void btnFlipGameClick();
  void mnuiKVYBPGNExampleClick();
  void mnuiKVYBPGNOpenClick();
  void chbTolvoEnergyBoardClick();
  void txtAboutGameChange();
  // The report commands.
  void mnuiRTFUndoClick();
  void mnuiRTFCopyClick();
  void mnuiRTFRatifyClick();
  void mnuiShowPositionInPrintFormatClick();
  void mnuiShowGameInPrintFormatClick();
  void mnuiShowGameInRTFFormat2Click();
  void mnuiShowAllGamesInPrintFormatClick();
  void mnuiRTFClearClick();
  void mnuiRTFPasteClick();
  void mnuiRTFCutClick();
  void mnuiRTFSelectAllClick();
  void mnuiRTFSaveClick();
  void mnuiRTFPrintNowClick();
  void btnInsertBFENClick();

 protected:
  void FormActivate() override;
  void WindowLayout() override;

 private:
  void BuildControls();
  void BuildMenus();
  QAction* MenuItem(QMenu* menu, const char* name, const QString& caption, void (TfrmKestroView::*handler)());
  // Makes a game of `text` the window's game and shows it at ply `ply`.
  void ShowGameText(const std::string& text, int ply);
  void SetAbout(const QString& text);
  void PlaceControls();
  // Runs a command; an error it throws goes to the error box.
  void Guarded(void (TfrmKestroView::*handler)());
  bool Confirm(const QString& title, const QString& text);

  std::unique_ptr<CBpgn> bpgn_;
  QString fileName_;
  QString aboutText_;
  bool settingAbout_ = false;
};
