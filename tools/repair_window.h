#pragma once
// The repair tool window: loads a BPGN text, runs the repair on it, shows the
// log, the statistics and a small picture of both boards, and saves the
// repaired and the refused games to two files.
#include <QImage>
#include <QWidget>
#include <array>
#include <string>

#include "tools/core/repair_driver.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTextEdit;

class TfrmBPGNRepairer : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmBPGNRepairer(QWidget* owner = nullptr);
  ~TfrmBPGNRepairer() override;

  QPushButton* btnExample = nullptr;
  QPushButton* btnExample2 = nullptr;
  QPushButton* bbtnProcess = nullptr;
  QCheckBox* chbStepByStep = nullptr;
  QCheckBox* chRemoveComments = nullptr;
  QPushButton* bbtnBPGNLoad = nullptr;
  QPushButton* bbtnBPGNSave = nullptr;
  QPushButton* bbtnBPGN3Save = nullptr;
  QCheckBox* chbRemoveDuplicity = nullptr;
  QCheckBox* chbRAGIS = nullptr;
  QLineEdit* edRAGIS = nullptr;
  QTextEdit* reBpgnIn = nullptr;
  QPushButton* btnBpgnLoadFrom1 = nullptr;
  QTextEdit* reBpgnOut = nullptr;
  QTextEdit* reDoublePosition = nullptr;
  QProgressBar* pbProcessing = nullptr;
  QPlainTextEdit* txtLog = nullptr;
  QPlainTextEdit* txtMove = nullptr;
  QPlainTextEdit* txtTmp = nullptr;

  // The two example games: a finished bughouse game with a clock on every
  // move, and a short one whose board-B drops come before their captures.
  static const char kExample1[];
  static const char kExample2[];

  const std::string& Bpgn1() const { return bpgn1_; }
  const std::string& Bpgn2() const { return bpgn2_; }
  const std::string& Bpgn3() const { return bpgn3_; }
  const std::string& InputFileName() const { return inputFileName_; }
  // The last run as the driver reported it.
  const repair::RepairResult& LastRun() const { return lastRun_; }
  bool Running() const { return running_; }

  // The surface the board picture is drawn on, in window coordinates.
  const QImage& Surface() const { return surface_; }
  int Step() const { return step_; }
  int OriginX() const { return originX_; }
  int OriginY() const { return originY_; }

  bool LoadBpgn1();
  bool SaveBpgn2();
  bool SaveBpgn3();
  void RepairBpgn();
  void DrawDoublePosition(const repair::CompactPosition& position);

 public slots:
  void bbtnProcessClick();
  void bbtnBPGNLoadClick();
  void bbtnBPGNSaveClick();
  void bbtnBPGN3SaveClick();
  void btnBpgnLoadFrom1Click();
  void btnExampleClick();
  void btnExample2Click();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  class RunObserver;
  friend class RunObserver;

  void BuildComponents();
  void FormCreate();
  void LoadBitmaps();
  void FreeBitmaps();
  void SetInput(std::string text, const QString& source);
  void SetCaptionForInput(const QString& source);
  enum class SaveOutcome { Cancelled, Declined, Saved };
  // Writes `bytes` to a file chosen in the save dialog, after the warnings.
  SaveOutcome SaveOutput(const std::string& bytes, std::string& lastName, const std::string& otherName,
                  const QString& what, const QString& title);
  // false when the user declines to replace `path`.
  bool ConfirmTarget(const QString& path, const std::string& otherName, const QString& what, bool suffixAdded);

  std::string programFolder_;
  std::string pieceFolder_;
  std::string gameFolder_;
  std::string bpgn1_, bpgn2_, bpgn3_;
  std::string inputFileName_, repairedFileName_, unrepairedFileName_;
  repair::RepairResult lastRun_;
  // Light square, dark square, then the pieces by square code 2..13.
  std::array<QImage, 14> bitmaps_;
  bool bitmapsLoaded_ = false;
  QImage surface_;
  bool drawn_ = false;
  int originX_ = 1;
  int originY_ = 362;
  int step_ = 25;
  bool running_ = false;
  bool stopRequested_ = false;
  bool closeAfterRun_ = false;
};
