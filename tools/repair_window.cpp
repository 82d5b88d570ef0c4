#include "tools/repair_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>

#include "platform/canvas.h"
#include "platform/dialogs.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/text_codec.h"

namespace {

using Answer = Dialogs::Answer;

constexpr uint32_t kGreen = 0x0C992D;  // 0x00BBGGRR
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kCountColor = 0x0000CC;
constexpr size_t kPaneLimit = 65000;

const char* const kBitmapFiles[14] = {"Wsquare.bmp", "Bsquare2.bmp", "WPawn.bmp",   "BPawn.bmp",  "WBishop.bmp",
                                      "BBishop.bmp", "WKnight.bmp",  "BKnight.bmp", "WRook.bmp",  "BRook.bmp",
                                      "WQueen.bmp",  "BQueen.bmp",   "WKing.bmp",   "BKing.bmp"};
constexpr int kWhiteQueen = 10;

const QString kFilter = QStringLiteral("BPGN files (*.BPGN *.bpgn);;All files (*)");

// Game bytes for a widget: line ends become "\n" (a lone "\r" too).
QString ForWidget(const std::string& bytes) {
  QString text = ToQString(bytes);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

// A fixed-pitch font; another one stands in where the family is missing.
QFont Typewriter(const char* family, int points) {
  QFont font(QString::fromLatin1(family));
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSize(points);
  return font;
}

void Show(QTextEdit* pane, const std::string& bytes) { pane->setPlainText(ForWidget(bytes)); }

// A pane's text as bytes with "\r\n" line ends, in the encoding `shown` reads
// in; non-breaking spaces kept.
std::string FromPane(QTextEdit* pane, const std::string& shown) {
  QString text = pane->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  text.replace(QChar::LineSeparator, QLatin1Char('\n'));
  text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return FromQString(text, shown);
}

// Every line end (LF, CR LF or a lone CR) written as CR LF; the rest untouched.
std::string JoinLines(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 32);
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

QString SameFileKey(const QString& path) {
  const QFileInfo info(path);
  const QString canonical = info.canonicalFilePath();
  return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

bool SameFile(const QString& a, const std::string& b) {
  return !b.empty() && SameFileKey(a) == SameFileKey(PathToQString(b));
}

}  // namespace

const char TfrmBPGNRepairer::kExample1[] =
    "[Event \"Kestrovane club evening, round 3\"]\r\n"
    "[Site \"Kestrovane hotseat\"]\r\n"
    "[Date \"2026.11.14\"]\r\n"
    "[WhiteA \"Marek Ondrus\"][WhiteAElo \"1710\"]\r\n"
    "[BlackA \"Ilse Varga\"][BlackAElo \"1805\"]\r\n"
    "[WhiteB \"Tomas Reny\"][WhiteBElo \"1640\"]\r\n"
    "[BlackB \"Petra Lund\"][BlackBElo \"1760\"]\r\n"
    "[TimeControl \"180\"]\r\n"
    "[Result \"0-1\"]\r\n"
    "\r\n"
    "1A.e4{179} 1B.d4{179} 1a.e5{179} 1b.d5{178} 2A.Nf3{177} 2B.c4{177} 2a.Nc6{178}\r\n"
    "2b.dxc4{176} 3A.Bc4{175} 3B.e3{175} 3a.Bc5{176} 3b.Nf6{174} 4A.O-O{173}\r\n"
    "4B.Bxc4{172} 4a.Nf6{174} 4b.e6{172} 5A.d3{171} 5B.Nf3{170} 5a.d6{172}\r\n"
    "5b.Be7{170} 6A.Bg5{168} 6B.O-O{168} 6a.h6{170} 6b.O-O{168} 7A.Bxf6{166}\r\n"
    "7a.Qxf6{168} 7B.B@g5{165} 7b.N@e4{166} 8B.Bxf6{163} 8A.Nc3{163} 8b.Bxf6{164}\r\n"
    "8a.Bg4{165} 9B.Nc3{160} 9A.Nd5{160} 9b.Nxc3{161} 9a.Qd8{162} 10B.bxc3{157}\r\n"
    "10A.h3{157} 10b.c5{158} 10a.Bxf3{159} 11A.Qxf3{154} 11B.Qc2{154} 11a.Nd4{156}\r\n"
    "11b.Qc7{155} 12A.Qg3{151} 12a.O-O{153} {Marek Ondrus resigns} 0-1\r\n";

const char TfrmBPGNRepairer::kExample2[] =
    "[Event \"Kestrovane air drops\"]\r\n"
    "[Site \"Kestrovane hotseat\"]\r\n"
    "[Date \"2026.11.15\"]\r\n"
    "[WhiteA \"Jana Koval\"][BlackA \"Oskar Brand\"]\r\n"
    "[WhiteB \"Lena Haas\"][BlackB \"Viktor Sailo\"]\r\n"
    "[Result \"*\"]\r\n"
    "\r\n"
    "1A.e4{180} 1a.d5{179} 1B.d4{180} 1b.d5{179} 2B.P@e5{178} 2b.P@c4{177}\r\n"
    "2A.Nc3{178} 2a.dxe4{177} 3A.Nxe4{176} 3B.Nf3{176} {*} *\r\n";

// What the run shows and asks, relayed to the window while it lives. Outside
// step mode the panes and the picture are refreshed a few times a second and
// at the end: setting a growing text once per game would make a long run
// quadratic, and the blocked window shows only what is repainted anyway.
class TfrmBPGNRepairer::RunObserver : public repair::RepairObserver {
 public:
  RunObserver(TfrmBPGNRepairer* window, bool stepMode)
      : window_(window),
        stepMode_(stepMode),
        texts_{{{window->txtMove, {}, false},
                {window->txtLog, {}, false},
                {window->reBpgnOut, {}, false},
                {window->txtTmp, {}, false}}} {
    clock_.start();
  }

  bool StopBeforeRun(const std::string& title, const std::string& text) override {
    if (!window_) return true;
    Flush();
    const Answer answer = AppDialogs().Message(window_, ToQString(title), ToQString(text), {Answer::Yes, Answer::No},
                                               Answer::No);
    return answer == Answer::Yes || !window_ || window_->stopRequested_;
  }

  bool AskNextMove(const std::string& question) override {
    if (!window_ || window_->stopRequested_) return false;
    Flush();
    const Answer answer =
        AppDialogs().Message(window_, QStringLiteral("Confirm"), ToQString(question), {Answer::Yes, Answer::No},
                             Answer::Yes);
    // The dialog ran an event loop: the window may have gone meanwhile.
    return answer == Answer::Yes && window_ && !window_->stopRequested_;
  }

  void ShowPosition(const repair::CompactPosition& position, const std::string& dump) override {
    position_ = position;
    dump_ = dump;
    positionWaiting_ = true;
    Refresh();
  }
  void ShowMove(const std::string& text) override { Later(0, text); }
  void ShowLog(const std::string& log) override { Later(1, log); }
  void ShowOutput(const std::string& text) override { Later(2, text); }
  void ShowAirDrops(const std::string& text) override { Later(3, text); }

  void Progress(int percent) override {
    if (!window_ || window_->pbProcessing->value() == percent) return;
    window_->pbProcessing->setValue(percent);
    window_->pbProcessing->repaint();
  }
  void Beep() override { QApplication::beep(); }

  // Shows whatever still waits.
  void Flush() {
    if (!window_) return;
    for (PaneText& t : texts_) {
      if (!t.waiting) continue;
      t.waiting = false;
      Show(t.pane, t.bytes);
    }
    if (positionWaiting_) {
      positionWaiting_ = false;
      window_->DrawDoublePosition(position_);
      Show(window_->reDoublePosition, dump_);
    }
    window_->repaint();
    clock_.restart();
  }

 private:
  struct PaneText {
    QWidget* pane;
    std::string bytes;
    bool waiting = false;
  };

  static void Show(QWidget* pane, const std::string& bytes) {
    if (auto* rich = qobject_cast<QTextEdit*>(pane)) rich->setPlainText(ForWidget(bytes));
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(pane)) memo->setPlainText(ForWidget(bytes));
  }

  void Later(int pane, const std::string& bytes) {
    texts_[pane].bytes = bytes;
    texts_[pane].waiting = true;
    Refresh();
  }

  void Refresh() {
    if (stepMode_ || clock_.elapsed() >= 100) Flush();
  }

  QPointer<TfrmBPGNRepairer> window_;
  bool stepMode_;
  QElapsedTimer clock_;
  std::array<PaneText, 4> texts_;  // txtMove, txtLog, reBpgnOut, txtTmp
  repair::CompactPosition position_;
  std::string dump_;
  bool positionWaiting_ = false;
};

TfrmBPGNRepairer::TfrmBPGNRepairer(QWidget* owner) : QWidget(owner) {
  setObjectName(QStringLiteral("TfrmBPGNRepairer"));
  setWindowTitle(QStringLiteral("BPGN Repairer"));
  resize(818, 659);
  BuildComponents();
  FormCreate();
}

TfrmBPGNRepairer::~TfrmBPGNRepairer() = default;

void TfrmBPGNRepairer::BuildComponents() {
  QStyle* s = style();
  // The places are fixed in pixels: a small font and tight buttons fit them.
  QFont small = font();
  small.setPixelSize(11);
  small.setStretch(QFont::Condensed);
  const auto button = [this, small](const char* name, const QString& caption, int x, int y, int w, int h) {
    auto* b = new QPushButton(caption, this);
    b->setFont(small);
    b->setStyleSheet(QStringLiteral("padding: 0px 2px;"));
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(x, y, w, h);
    return b;
  };
  const auto check = [this, small](const char* name, const QString& caption, int x, int y, int w, int h, bool on) {
    auto* c = new QCheckBox(caption, this);
    c->setFont(small);
    c->setObjectName(QString::fromLatin1(name));
    c->setGeometry(x, y, w, h);
    c->setChecked(on);
    return c;
  };
  const auto pane = [this](const char* name, const QString& text, int x, int y, int w, int h) {
    auto* p = new QTextEdit(this);
    p->setObjectName(QString::fromLatin1(name));
    p->setGeometry(x, y, w, h);
    p->setAcceptRichText(false);
    p->setPlainText(text);
    return p;
  };
  const auto memo = [this](const char* name, const QString& text, int x, int y, int w, int h) {
    auto* m = new QPlainTextEdit(text, this);
    m->setObjectName(QString::fromLatin1(name));
    m->setGeometry(x, y, w, h);
    return m;
  };

  btnExample = button("btnExample", QStringLiteral("Example"), 0, 0, 49, 25);
  btnExample2 = button("btnExample2", QStringLiteral("2"), 48, 0, 17, 25);
  bbtnProcess = button("bbtnProcess", QStringLiteral("Repair"), 64, 0, 89, 41);
  bbtnProcess->setIcon(s->standardIcon(QStyle::SP_DialogApplyButton));
  bbtnProcess->setToolTip(
      QStringLiteral("Process BPGN1 : check syntax, repair \"AirDrops\", check duplicity games ..."));
  chbStepByStep = check("chbStepByStep", QStringLiteral("Step By Step"), 160, 0, 89, 17, false);
  chRemoveComments = check("chRemoveComments", QStringLiteral("Remove Comments"), 256, 0, 113, 17, false);
  bbtnBPGNLoad = button("bbtnBPGNLoad", QStringLiteral("Load BPGN 1"), 376, 0, 105, 25);
  bbtnBPGNLoad->setIcon(s->standardIcon(QStyle::SP_DialogOpenButton));
  bbtnBPGNSave = button("bbtnBPGNSave", QStringLiteral("Save repaired BPGN 1"), 480, 0, 145, 25);
  bbtnBPGNSave->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
  bbtnBPGN3Save = button("bbtnBPGN3Save", QStringLiteral("Save unrepaired BPGN 3"), 624, 0, 153, 25);
  bbtnBPGN3Save->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
  chbRemoveDuplicity =
      check("chbRemoveDuplicity", QStringLiteral("Find and Remove Duplicity "), 160, 24, 153, 17, true);
  chbRAGIS = check("chbRAGIS", QStringLiteral("Remove games which contains :"), 328, 24, 177, 17, false);
  edRAGIS = new QLineEdit(QStringLiteral("aborted"), this);
  edRAGIS->setObjectName(QStringLiteral("edRAGIS"));
  edRAGIS->setGeometry(504, 24, 273, 21);
  edRAGIS->setFont(small);

  reBpgnIn = pane("reBpgnIn", QStringLiteral("Here insert .Bpgn file"), 0, 48, 273, 241);
  btnBpgnLoadFrom1 = button("btnBpgnLoadFrom1", QStringLiteral("L"), 272, 48, 10, 17);
  reBpgnOut = pane("reBpgnOut", QStringLiteral("BpgnOut"), 280, 48, 257, 241);
  for (QTextEdit* p : {reBpgnIn, reBpgnOut}) {
    p->setLineWrapMode(QTextEdit::NoWrap);
    p->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    p->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  }
  reDoublePosition = pane("reDoublePosition", QStringLiteral("reBoard"), 544, 48, 233, 281);
  reDoublePosition->setFont(Typewriter("Courier New", 8));
  reDoublePosition->setLineWrapMode(QTextEdit::NoWrap);

  pbProcessing = new QProgressBar(this);
  pbProcessing->setObjectName(QStringLiteral("pbProcessing"));
  pbProcessing->setGeometry(0, 288, 537, 16);
  pbProcessing->setRange(0, 100);
  pbProcessing->setValue(0);
  pbProcessing->setTextVisible(false);

  txtLog = memo("txtLog", QStringLiteral("txtLog"), 0, 304, 537, 57);
  txtLog->setReadOnly(true);
  txtMove = memo("txtMove", QStringLiteral("txtMove"), 544, 336, 233, 25);
  txtMove->setFont(Typewriter("Courier", 12));
  txtMove->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  txtTmp = memo("txtTmp", QStringLiteral("AirDrops:"), 544, 408, 233, 153);

  connect(bbtnProcess, &QPushButton::clicked, this, &TfrmBPGNRepairer::bbtnProcessClick);
  connect(bbtnBPGNLoad, &QPushButton::clicked, this, &TfrmBPGNRepairer::bbtnBPGNLoadClick);
  connect(bbtnBPGNSave, &QPushButton::clicked, this, &TfrmBPGNRepairer::bbtnBPGNSaveClick);
  connect(bbtnBPGN3Save, &QPushButton::clicked, this, &TfrmBPGNRepairer::bbtnBPGN3SaveClick);
  connect(btnBpgnLoadFrom1, &QPushButton::clicked, this, &TfrmBPGNRepairer::btnBpgnLoadFrom1Click);
  connect(btnExample, &QPushButton::clicked, this, &TfrmBPGNRepairer::btnExampleClick);
  connect(btnExample2, &QPushButton::clicked, this, &TfrmBPGNRepairer::btnExample2Click);
}

void TfrmBPGNRepairer::FormCreate() {
  programFolder_ = paths::ProgramFolder();
  pieceFolder_ = paths::Below("Graphic/Piece/Bitmap/TolvoSimple/");
  gameFolder_ = paths::Resolve(paths::Below("Bpgn/"));
  LoadBitmaps();
}

// --- bitmaps and the board picture ---

void TfrmBPGNRepairer::FreeBitmaps() {
  for (QImage& b : bitmaps_) b = QImage();
  bitmapsLoaded_ = false;
}

void TfrmBPGNRepairer::LoadBitmaps() {
  FreeBitmaps();
  QStringList missing;
  for (int i = 0; i < 14; ++i) {
    const std::string path = paths::Resolve(pieceFolder_ + kBitmapFiles[i]);
    QImage loaded;
    if (loaded.load(PathToQString(path))) bitmaps_[i] = loaded.convertToFormat(QImage::Format_RGB32);
    else missing << PathToQString(path);
  }
  bitmapsLoaded_ = missing.isEmpty();
  // Without a white queen the cells keep a usable size.
  step_ = bitmaps_[kWhiteQueen].isNull() ? 25 : bitmaps_[kWhiteQueen].height() + 1;
  if (!missing.isEmpty()) AppDialogs().Error(this, QStringLiteral("Cannot load bitmap:\n") + missing.join('\n'));
}

void TfrmBPGNRepairer::DrawDoublePosition(const repair::CompactPosition& p) {
  const int x0 = originX_, y0 = originY_, s = step_;
  const QSize size(x0 + 20 * s + 41, y0 + 8 * s + 101);
  if (surface_.size() != size) {
    surface_ = QImage(size, QImage::Format_RGB32);
    surface_.fill(palette().color(QPalette::Window));
  }
  canvas::Canvas c(surface_);
  c.SetPenColor(kGreen);
  c.SetBrushColor(kWhite);
  c.Rectangle(x0, y0, x0 + 20 * s + 40, y0 + 8 * s + 100);
  c.Rectangle(x0 + 7, y0 + 50, x0 + 20 * s + 7, y0 + 8 * s + 52);
  for (int i = 1; i <= 8; ++i) {
    c.MoveTo(x0 + 7, y0 + 50 + i * s);
    c.LineTo(x0 + 20 * s + 7, y0 + 50 + i * s);
  }
  for (int i = 1; i <= 20; ++i) {
    c.MoveTo(x0 + 7 + i * s, y0 + 50);
    c.LineTo(x0 + 7 + i * s, y0 + 8 * s + 52);
  }
  c.Rectangle(x0 + 8 * s + 7, y0 + 50, x0 + 10 * s + 7, y0 + 8 * s + 52);
  c.Rectangle(x0 + 18 * s + 7, y0 + 50, x0 + 20 * s + 7, y0 + 8 * s + 52);

  QFont font = QApplication::font();
  canvas::SetFontPoints(font, 12);
  c.SetFont(font);
  c.SetFontColor(kGreen);
  const auto clock = [&p](int seat, bool toMove) {
    const int t = p.clock[seat];
    return QStringLiteral("%1.%2s%3").arg(t / 10).arg(t % 10).arg(toMove ? QStringLiteral(" <<") : QStringLiteral("   "));
  };
  c.TextOut(x0 + 7, y0 + 20, clock(1, p.sideToMoveA == 1));
  c.TextOut(x0 + 10 * s + 7, y0 + 20, clock(2, p.sideToMoveB == 0));
  c.TextOut(x0 + 7, y0 + 9 * s + 43, clock(0, p.sideToMoveA == 0));
  c.TextOut(x0 + 10 * s + 7, y0 + 9 * s + 43, clock(3, p.sideToMoveB == 1));

  const auto cell = [&](int column, int row, const QImage& bitmap) {
    if (!bitmap.isNull()) c.Draw(x0 + 8 + column * s, y0 + 51 + row * s, bitmap);
  };
  for (int rank = 0; rank < 8; ++rank) {
    for (int file = 0; file < 8; ++file) {
      const int square = 26 + file + 12 * rank;
      const int emptyBitmap = (rank + file) % 2 == 0 ? 1 : 0;
      const auto picture = [&](int code) -> const QImage& {
        return code >= 2 && code <= 13 ? bitmaps_[code] : bitmaps_[emptyBitmap];
      };
      cell(file, 7 - rank, picture(p.boardA[square]));
      cell(17 - file, rank, picture(p.boardB[square]));
    }
  }

  // Hands: pawn, rook / knight, queen / bishop, by the slot order P B N R Q.
  static const int kHandCells[5][2] = {{0, 0}, {0, 2}, {0, 1}, {1, 0}, {1, 1}};
  QFont small = QApplication::font();
  canvas::SetFontPoints(small, std::max(1, s / 3));
  small.setBold(true);
  c.SetFont(small);
  c.SetFontColor(kCountColor);
  c.SetBackgroundMode(canvas::BackgroundMode::Transparent);
  const auto hand = [&](const int32_t* holdings, int colour, int column, int topRow) {
    for (int k = 0; k < 5; ++k) {
      const int count = holdings[k + 5 * colour];
      if (count == 0) continue;
      const int col = column + kHandCells[k][0];
      // The bishop of the lower group sits one row further down.
      const int row = topRow + kHandCells[k][1] + (k == 1 && topRow == 5 ? 1 : 0);
      cell(col, row, bitmaps_[2 * (k + 1) + colour]);
      if (count != 1) c.TextOut(x0 + 8 + col * s + 2, y0 + 51 + row * s + 1, QString::number(count));
    }
  };
  hand(p.holdingsA, 1, 8, 0);
  hand(p.holdingsA, 0, 8, 5);
  hand(p.holdingsB, 0, 18, 0);
  hand(p.holdingsB, 1, 18, 5);
  drawn_ = true;
}

void TfrmBPGNRepairer::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (!drawn_) return;
  QPainter painter(this);
  const QRect area(originX_, originY_, surface_.width() - originX_, surface_.height() - originY_);
  painter.drawImage(area.topLeft(), surface_, area);
}

// --- input ---

void TfrmBPGNRepairer::SetCaptionForInput(const QString& source) {
  setWindowTitle(QStringLiteral("BPGN Repairer: (%1B) %2").arg(bpgn1_.size()).arg(source));
}

void TfrmBPGNRepairer::SetInput(std::string text, const QString& source) {
  bpgn1_ = std::move(text);
  SetCaptionForInput(source);
}

void TfrmBPGNRepairer::btnBpgnLoadFrom1Click() {
  SetInput(FromPane(reBpgnIn, bpgn1_), QStringLiteral("BpgnIn rich text control."));
}

void TfrmBPGNRepairer::btnExampleClick() {
  reBpgnIn->setPlainText(ForWidget(kExample1));
  SetInput(kExample1, QStringLiteral("Example"));
}

void TfrmBPGNRepairer::btnExample2Click() {
  reBpgnIn->setPlainText(ForWidget(kExample2));
  SetInput(kExample2, QStringLiteral("Example 2"));
}

void TfrmBPGNRepairer::bbtnBPGNLoadClick() { LoadBpgn1(); }

bool TfrmBPGNRepairer::LoadBpgn1() {
  const std::optional<QString> chosen = AppDialogs().OpenFile(this, QStringLiteral("Load BPGN 1"),
                                                              PathToQString(gameFolder_), QStringLiteral("*.BPGN"),
                                                              kFilter);
  if (!chosen) return false;
  std::string bytes;
  if (!file_io::ReadFile(PathFromQString(*chosen), bytes)) {
    AppDialogs().Error(this, QStringLiteral("Cannot open file \"%1\".").arg(*chosen));
    return false;
  }
  inputFileName_ = PathFromQString(*chosen);
  SetInput(JoinLines(bytes), *chosen);
  if (bpgn1_.size() > kPaneLimit) {
    reBpgnIn->setPlainText(QStringLiteral(
        "Loaded BPGN > 65 000 Bytes, is stored in Bpgn1 string, use Repair button to process it."));
  } else {
    Show(reBpgnIn, bpgn1_);
  }
  return true;
}

// --- output ---

bool TfrmBPGNRepairer::ConfirmTarget(const QString& path, const std::string& otherName, const QString& what,
                                     bool suffixAdded) {
  QString reason;
  if (SameFile(path, inputFileName_)) {
    reason = QStringLiteral("The file\n%1\nis the input file (BPGN 1) these games were loaded from.\n").arg(path);
  } else if (SameFile(path, otherName)) {
    reason = QStringLiteral("The file\n%1\nholds the other output of the repair.\n").arg(path);
  } else if (suffixAdded && QFileInfo::exists(path)) {
    reason = QStringLiteral("The file\n%1\nalready exists.\n").arg(path);
  } else {
    return true;
  }
  const QString text = reason + QStringLiteral("Really overwrite it with the %1 games ?").arg(what);
  return AppDialogs().Message(this, QStringLiteral("Overwrite ?"), text, {Answer::Yes, Answer::No}, Answer::No) ==
         Answer::Yes;
}

TfrmBPGNRepairer::SaveOutcome TfrmBPGNRepairer::SaveOutput(const std::string& bytes, std::string& lastName,
                                                           const std::string& otherName, const QString& what,
                                                           const QString& title) {
  std::optional<QString> chosen =
      AppDialogs().SaveFile(this, title, PathToQString(gameFolder_), QStringLiteral("*.BPGN"), kFilter);
  if (!chosen) return SaveOutcome::Cancelled;
  QString path = *chosen;
  const bool suffixAdded = QFileInfo(path).suffix().isEmpty();
  if (suffixAdded) path += QStringLiteral(".BPGN");
  if (!ConfirmTarget(path, otherName, what, suffixAdded)) return SaveOutcome::Declined;
  lastName = PathFromQString(path);
  if (!file_io::WriteFileAtomic(lastName, bytes))
    AppDialogs().Error(this, QStringLiteral("Cannot write file \"%1\".").arg(path));
  return SaveOutcome::Saved;
}

void TfrmBPGNRepairer::bbtnBPGNSaveClick() { SaveBpgn2(); }

void TfrmBPGNRepairer::bbtnBPGN3SaveClick() { SaveBpgn3(); }

bool TfrmBPGNRepairer::SaveBpgn2() {
  return SaveOutput(bpgn2_, repairedFileName_, unrepairedFileName_, QStringLiteral("repaired"),
                    QStringLiteral("Save repaired BPGN 1")) == SaveOutcome::Saved;
}

bool TfrmBPGNRepairer::SaveBpgn3() {
  const SaveOutcome outcome = SaveOutput(bpgn3_, unrepairedFileName_, repairedFileName_, QStringLiteral("unrepaired"),
                                         QStringLiteral("Save unrepaired BPGN 3"));
  if (outcome != SaveOutcome::Cancelled) return outcome == SaveOutcome::Saved;
  AppDialogs().Message(this, QStringLiteral("Err"), QStringLiteral("Select file please"), {Answer::Ok}, Answer::Ok);
  return false;
}

// --- the run ---

void TfrmBPGNRepairer::bbtnProcessClick() { RepairBpgn(); }

void TfrmBPGNRepairer::RepairBpgn() {
  if (running_) return;
  repair::RepairOptions options;
  options.stepByStep = chbStepByStep->isChecked();
  options.removeComments = chRemoveComments->isChecked();
  options.skipByText = chbRAGIS->isChecked();
  options.skipText = FromQString(edRAGIS->text(), bpgn1_);  // matched against the input's bytes
  options.removeDuplicates = chbRemoveDuplicity->isChecked();

  running_ = true;
  stopRequested_ = false;
  closeAfterRun_ = false;
  bbtnProcess->setEnabled(false);
  QPointer<TfrmBPGNRepairer> self(this);
  RunObserver observer(this, options.stepByStep);
  repair::RepairResult result = repair::RepairBpgn(bpgn1_, options, &observer);
  if (!self) return;  // deleted during a step-mode question
  observer.Flush();
  running_ = false;
  bbtnProcess->setEnabled(true);

  switch (result.end) {
    case repair::RepairEnd::Completed:
      bpgn2_ = result.bpgn2;
      bpgn3_ = result.bpgn3;
      bbtnBPGNSave->setEnabled(result.canSaveRepaired);
      bbtnBPGN3Save->setEnabled(result.canSaveUnrepaired);
      break;
    case repair::RepairEnd::StoppedInStep:
    case repair::RepairEnd::CyclicLoop:
      // The outputs are partial: they stay in memory but cannot be saved as if whole.
      bpgn2_ = result.bpgn2;
      bpgn3_ = result.bpgn3;
      bbtnBPGNSave->setEnabled(false);
      bbtnBPGN3Save->setEnabled(false);
      break;
    case repair::RepairEnd::Declined:
    case repair::RepairEnd::TooShort:
      break;  // nothing was emptied; the outputs of the previous run stay
  }
  lastRun_ = std::move(result);

  if (closeAfterRun_) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->close();
    else close();
  }
}

void TfrmBPGNRepairer::closeEvent(QCloseEvent* event) {
  if (running_) {
    // A step-mode question is open: end the run first, then close.
    stopRequested_ = true;
    closeAfterRun_ = true;
    event->ignore();
    return;
  }
  FreeBitmaps();
  event->accept();
}
