// The base board window: picture, Board menu, profile of the board settings.
#include "display/board_window.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <stdexcept>

#include "display/board_display.h"
#include "platform/dialogs.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "platform/user_fonts.h"

namespace {

constexpr const char* kSection = "Kestrovane";
constexpr const char* kKvxCaption = "Click to select from KVX graphic ...";
constexpr const char* kBugStuffCaption = "Click to select from BugStuff (Thief, BPGNView) graphic ...";
constexpr const char* kPieceSets = "Graphic/Piece/Bitmap/";

std::string AsciiUpper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::string WithTrailingSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// The folder of a chosen file, with a trailing separator.
std::string FolderOf(const QString& file) { return WithTrailingSlash(PathFromQString(QFileInfo(file).absolutePath())); }

// Integer and colour keys of the profile between the folder and the fonts, in order.
struct IntKey {
  const char* name;
  int32_t KestrovaneVisualProperties::*field;
};
struct ColorKey {
  const char* name;
  uint32_t KestrovaneVisualProperties::*field;
};
using V = KestrovaneVisualProperties;
constexpr IntKey kShapeKeys[] = {{"SquareSize", &V::SquareSize},
                                 {"DPGraphicBoardSquareStyle", &V::DPGraphicBoardSquareStyle},
                                 {"DPGraphicBoardLinesNet", &V::DPGraphicBoardLinesNet},
                                 {"DPGraphicPiecesType", &V::DPGraphicPiecesType}};
constexpr ColorKey kColorKeys[] = {{"DPColorBoardLines", &V::DPColorBoardLines},
                                   {"DPColorBoardText", &V::DPColorBoardText},
                                   {"DPColorBoardBck", &V::DPColorBoardBck},
                                   {"DPColorStuffPlace", &V::DPColorStuffPlace},
                                   {"DPColorTable", &V::DPColorTable},
                                   {"PresumptiveTimeColor", &V::PresumptiveTimeColor},
                                   {"PresumptiveTimeBackground", &V::PresumptiveTimeBackground},
                                   {"DPColorBoardSquareWhite", &V::DPColorBoardSquareWhite},
                                   {"DPColorBoardSquareBlack", &V::DPColorBoardSquareBlack},
                                   {"DPColorBoardPieces", &V::DPColorBoardPieces},
                                   {"DPColor2BoardPieces", &V::DPColor2BoardPieces},
                                   {"DPColorBoardStuffNumber", &V::DPColorBoardStuffNumber},
                                   {"HighlightSquareColor", &V::HighlightSquareColor}};
constexpr IntKey kFlagKeys[] = {{"TolvoEnergyBoard", &V::TolvoEnergyBoard},
                                {"ShowPresumptiveTimes", &V::ShowPresumptiveTimes},
                                {"ShowCoordinates", &V::ShowCoordinates},
                                {"SquareCoordinatesNumber", &V::SquareCoordinatesNumber},
                                {"SquareCoordinates", &V::SquareCoordinates},
                                {"FlipSides", &V::FlipSides},
                                {"DPBoardSquaresUserSolidColor", &V::DPBoardSquaresUserSolidColor},
                                {"DPColorBoardTextTransparent", &V::DPColorBoardTextTransparent}};

int FontPoints(const QFont& font) {
  return font.pointSize() > 0 ? font.pointSize() : static_cast<int>(font.pointSizeF() + 0.5);
}

struct FontKeys {
  bool name, color, size, style;
};

void WriteFont(IniFile& ini, const std::string& prefix, const VisualFont& f, FontKeys keys) {
  if (keys.name) ini.WriteString(kSection, prefix + "Name", FromQString(f.font.family()));
  if (keys.color) ini.WriteInteger(kSection, prefix + "Color", static_cast<int32_t>(f.color));
  if (keys.size) ini.WriteInteger(kSection, prefix + "Size", FontPoints(f.font));
  if (keys.style) ini.WriteString(kSection, prefix + "Style", FontStyleToString(f.font));
}

void ReadFont(const IniFile& ini, const std::string& prefix, VisualFont& f, FontKeys keys) {
  if (keys.name) f.font.setFamily(ToQString(ini.ReadString(kSection, prefix + "Name", FromQString(f.font.family()))));
  if (keys.color) f.color = ProfileColor(ini.ReadInteger(kSection, prefix + "Color", static_cast<int32_t>(f.color)), f.color);
  if (keys.size) {
    const int points = ini.ReadInteger(kSection, prefix + "Size", FontPoints(f.font));
    if (points > 0) f.font.setPointSize(points);
  }
  if (keys.style) {
    QFont& font = f.font;
    StringToFontStyle(ini.ReadString(kSection, prefix + "Style", FontStyleToString(font)), font);
  }
}

constexpr FontKeys kAllKeys{true, true, true, true};
constexpr FontKeys kNoNameKeys{false, true, true, true};

}  // namespace

// ---------------------------------------------------------------------------

BoardImage::BoardImage(QWidget* parent) : QWidget(parent) { setObjectName(QStringLiteral("imgBoard")); }

void BoardImage::ResizeCanvas(QSize size, uint32_t color) {
  size = size.expandedTo(QSize(1, 1));
  if (canvas_.size() != size) canvas_ = QImage(size, QImage::Format_RGB32);
  canvas_.fill(ColorFromBgr(color));
  setFixedSize(size);
  update();
}

void BoardImage::paintEvent(QPaintEvent* event) {
  // Only the parts drawn again since the last paint, not their bounding box.
  QPainter painter(this);
  for (const QRect& area : event->region()) painter.drawImage(area.topLeft(), canvas_, area);
}

void BoardImage::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  emit MouseDown(event->button(), p.x(), p.y());
}

void BoardImage::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  emit MouseUp(event->button(), p.x(), p.y());
}

// ---------------------------------------------------------------------------

TfrmKestroForm::TfrmKestroForm(QWidget* parent) : QWidget(parent) {
  ProgramFolder = paths::ProgramFolder();
  SysFolder = paths::Below("Sys/");
  BpgnFolder = paths::Below("Bpgn/");
  DefaultEngine = paths::Below("Engines/Sjeng85/Sjeng85.Exe");
  for (std::string& engine : EnginePaths) engine = DefaultEngine;

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  MainMenu1 = new QMenuBar(this);
  MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
  MainMenu1->setNativeMenuBar(false);
  layout->addWidget(MainMenu1);
  scroll_ = new QScrollArea(this);
  scroll_->setWidgetResizable(false);
  surface_ = new QWidget;
  imgBoard = new BoardImage(surface_);
  scroll_->setWidget(surface_);
  layout->addWidget(scroll_, 1);

  actWindowLayout = new QAction(this);
  actWindowLayout->setObjectName(QStringLiteral("actWindowLayout"));
  connect(actWindowLayout, &QAction::triggered, this, [this] {
    if (Live()) WindowLayout();
  });
  BuildBoardMenu();

  game_ = std::make_unique<CKestroGame>(std::string(), 1);
  imgBoard->ResizeCanvas(QSize(1, 1), WindowColor());
}

TfrmKestroForm::~TfrmKestroForm() = default;

void TfrmKestroForm::FormCreate() {
  LoadChessFont();
  SaveDialogFolder = BpgnFolder;
}

void TfrmKestroForm::LoadChessFont() {
  const std::string font = paths::Resolve(paths::Below("Sys/CHESSBUG.TTF"));
  static const int id = QFontDatabase::addApplicationFont(PathToQString(font));
  (void)id;
  // Saved reports name the font too: other programs find it installed for the user.
  InstallUserFont(font);
}

KestrovaneVisualProperties& TfrmKestroForm::Visual() { return DisplayOf(*game_).Visual; }

const TwoBoardPosition& TfrmKestroForm::ShownPosition() const { return game_->Position; }

void TfrmKestroForm::ReplaceGame(std::unique_ptr<CKestroGame> game) {
  if (game_ && game) {
    BoardDisplay& from = DisplayOf(*game_);
    BoardDisplay& to = DisplayOf(*game);
    to.Visual = from.Visual;
    to.Pieces = from.Pieces;
    to.Painted = from.Painted;  // the picture still shows the old game's drawing
  }
  game_ = std::move(game);
}

uint32_t TfrmKestroForm::WindowColor() const { return BgrFromColor(palette().color(QPalette::Window)); }

void TfrmKestroForm::SetWindowColor(uint32_t bgr) {
  QPalette p = palette();
  for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
    p.setColor(g, QPalette::Window, ColorFromBgr(bgr));
  setPalette(p);
}

void TfrmKestroForm::ScrollToStart() {
  scroll_->horizontalScrollBar()->setValue(0);
  scroll_->verticalScrollBar()->setValue(0);
}

void TfrmKestroForm::DrawBoard() {
  if (!Live()) return;
  QImage& canvas = imgBoard->Canvas();
  const QRegion drawn = DrawPosition(*game_, canvas, ShownPosition());
  const KestrovaneVisualProperties& v = Visual();
  const QSize picture(v.OriginX + v.PictureWidth, v.OriginY + v.PictureHeight);
  if (v.PiecesLoaded && canvas.size() != picture) {
    // The picture changed size: fit the image to it and draw again.
    imgBoard->ResizeCanvas(picture, WindowColor());
    DrawPosition(*game_, imgBoard->Canvas(), ShownPosition());
    FitSurface();
    imgBoard->update();
  } else {
    imgBoard->update(drawn);
  }
  DrawOverPosition();
}

void TfrmKestroForm::ClearPicture() {
  if (!Live()) return;
  FillBoardBackground(*game_, imgBoard->Canvas(), WindowColor());
  imgBoard->update();
}

void TfrmKestroForm::FullRedraw() {
  if (!Live()) return;
  ScrollToStart();
  ClearPicture();
  DrawBoard();
  actWindowLayout->trigger();
}

QSize TfrmKestroForm::sizeHint() const {
  const int frame = 2 * scroll_->frameWidth();
  return QSize(surface_->width() + frame, MainMenu1->sizeHint().height() + surface_->height() + frame);
}

int TfrmKestroForm::VisibleWidth() const {
  const QSize room = scroll_->maximumViewportSize();
  if (surface_->height() <= room.height()) return room.width();
  return room.width() - scroll_->verticalScrollBar()->sizeHint().width();
}

void TfrmKestroForm::FitSurface() {
  QRect bounds;
  for (QWidget* child : surface_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->testAttribute(Qt::WA_WState_ExplicitShowHide) && child->isHidden()) continue;
    bounds |= child->geometry();
  }
  bounds |= QRect(0, 0, 1, 1);
  surface_->resize(bounds.right() + 1, bounds.bottom() + 1);
  updateGeometry();
}

// ---------------------------------------------------------------------------
// Activation and closing.

bool TfrmKestroForm::event(QEvent* event) {
  if (event->type() == QEvent::ParentChange) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
      connect(sub, &QMdiSubWindow::aboutToActivate, this, &TfrmKestroForm::Activated, Qt::UniqueConnection);
  }
  return QWidget::event(event);
}

void TfrmKestroForm::Run(const std::function<void()>& command) {
  if (!Live()) return;
  // Errors are shown here rather than unwound through Qt's menu code.
  try {
    command();
  } catch (const std::exception& e) {
    AppDialogs().Error(this, ToQString(e.what()));
  }
}

void TfrmKestroForm::Activated() {
  if (Live()) FormActivate();
}

void TfrmKestroForm::FormActivate() {
  imgBoard->ResizeCanvas(imgBoard->Canvas().size(), WindowColor());
  ReplaceGame(std::make_unique<CKestroGame>(std::string(), 1));
  game_->ComputeAttackMaps(game_->Position, 1);
  game_->ComputeAttackMaps(game_->Position, 2);
  DrawBoard();
  MoveInputMode = 2;
  mnuiMoveInputCDCDorCU->setChecked(true);
}

void TfrmKestroForm::closeEvent(QCloseEvent* event) {
  if (!closing_) FormClose();
  event->accept();
}

void TfrmKestroForm::FormClose() {
  // Nothing may reach the game once it is gone: stop the timers, then cut
  // every connection into this window before freeing it.
  closing_ = true;
  for (QTimer* timer : findChildren<QTimer*>()) timer->stop();
  for (QAction* action : findChildren<QAction*>()) disconnect(action, nullptr, this, nullptr);
  disconnect(imgBoard, nullptr, this, nullptr);
  game_.reset();
}

// ---------------------------------------------------------------------------
// The Board menu.

QAction* TfrmKestroForm::AddItem(QMenu* menu, const char* name, const QString& caption,
                                 void (TfrmKestroForm::*handler)()) {
  QAction* item = menu->addAction(caption);
  item->setObjectName(QString::fromLatin1(name));
  connect(item, &QAction::triggered, this, [this, handler] {
    Run([this, handler] { (this->*handler)(); });
  });
  return item;
}

QAction* TfrmKestroForm::AddColorItem(QMenu* menu, const char* name, const QString& caption,
                                      uint32_t KestrovaneVisualProperties::*field, bool redraw) {
  QAction* item = menu->addAction(caption);
  item->setObjectName(QString::fromLatin1(name));
  connect(item, &QAction::triggered, this, [this, field, redraw] {
    Run([this, field, redraw] {
      const std::optional<QColor> color = AppDialogs().Color(this, ColorFromBgr(Visual().*field));
      if (!Live()) return;  // the window may have closed while the dialog was open
      if (color) Visual().*field = BgrFromColor(*color);
      if (redraw) DrawBoard();
    });
  });
  return item;
}

void TfrmKestroForm::AddRadioItems(QMenu* parent, const char* name, const char* caption,
                                   std::initializer_list<RadioRow> rows, void (TfrmKestroForm::*handler)(QAction*, int)) {
  QMenu* menu = parent->addMenu(QString::fromLatin1(caption));
  menu->menuAction()->setObjectName(QString::fromLatin1(name));
  auto* group = new QActionGroup(this);
  for (const RadioRow& row : rows) {
    QAction* item = menu->addAction(QString::fromLatin1(row.caption));
    item->setObjectName(QString::fromLatin1(row.name));
    item->setCheckable(true);
    group->addAction(item);
    const int value = row.value;
    connect(item, &QAction::triggered, this, [this, item, value, handler] {
      Run([this, handler, item, value] { (this->*handler)(item, value); });
    });
    *row.item = item;
  }
}

void TfrmKestroForm::BuildBoardMenu() {
  mnuBoard = MainMenu1->addMenu(QStringLiteral("Board"));
  mnuBoard->setObjectName(QStringLiteral("mnuBoard"));

  QMenu* pieces = mnuBoard->addMenu(QStringLiteral("Pieces"));
  pieces->menuAction()->setObjectName(QStringLiteral("mnuiBoardPiecesBMP"));
  auto* piecesGroup = new QActionGroup(this);
  mnuiBoardPiecesDefault =
      AddItem(pieces, "mnuiBoardPiecesDefault", QStringLiteral("Kestrovane Default"),
              &TfrmKestroForm::mnuiBoardPiecesDefaultClick);
  mnuiBoardPiecesTolvo =
      AddItem(pieces, "mnuiBoardPiecesTolvo", QStringLiteral("Tolvo"), &TfrmKestroForm::mnuiBoardPiecesTolvoClick);
  mnuiBoardPiecesUserKVXNStuff = AddItem(pieces, "mnuiBoardPiecesUserKVXNStuff", QString::fromLatin1(kKvxCaption),
                                         &TfrmKestroForm::mnuiBoardPiecesUserKVXNStuffClick);
  mnuiBoardFontPieces = AddItem(pieces, "mnuiBoardFontPieces", QStringLiteral("Chess Font"),
                                &TfrmKestroForm::mnuiBoardFontPiecesClick);
  mnuiBoardPiecesUserBugStuff = AddItem(pieces, "mnuiBoardPiecesUserBugStuff", QString::fromLatin1(kBugStuffCaption),
                                        &TfrmKestroForm::mnuiBoardPiecesUserBugStuffClick);
  for (QAction* item : {mnuiBoardPiecesDefault, mnuiBoardPiecesTolvo, mnuiBoardPiecesUserKVXNStuff,
                        mnuiBoardFontPieces, mnuiBoardPiecesUserBugStuff}) {
    item->setCheckable(true);
    piecesGroup->addAction(item);
    // The check mark moves only when the command says so.
    connect(item, &QAction::triggered, this, [this] {
      if (piecesChecked_) piecesChecked_->setChecked(true);
    });
  }
  CheckPieces(mnuiBoardPiecesDefault);

  AddItem(mnuBoard, "mnuiBoardSize", QStringLiteral("Board size"), &TfrmKestroForm::mnuiBoardSizeClick);

  using V = KestrovaneVisualProperties;
  QMenu* colors = mnuBoard->addMenu(QStringLiteral("Board Colors"));
  colors->menuAction()->setObjectName(QStringLiteral("mnuiBoardColors"));
  AddColorItem(colors, "mnuiBoardColorTable", QStringLiteral("Table"), &V::DPColorTable, true);
  AddColorItem(colors, "mnuiBoardColorBackGround", QStringLiteral("Background"), &V::DPColorBoardBck, true);
  AddColorItem(colors, "mnuiBoardColorStuffPlace", QStringLiteral("Stuff Place"), &V::DPColorStuffPlace, true);
  AddColorItem(colors, "mnuiBoardColorLines", QStringLiteral("Lines"), &V::DPColorBoardLines, true);
  AddColorItem(colors, "mnuiBoardColorText", QStringLiteral("Text"), &V::DPColorBoardText, true);
  mnuiBoardColorTextTransparent = AddItem(colors, "mnuiBoardColorTextTransparent", QStringLiteral("Text background"),
                                          &TfrmKestroForm::mnuiBoardColorTextTransparentClick);
  mnuiBoardColorTextTransparent->setCheckable(true);
  mnuiBoardColorTextTransparent->setChecked(true);
  AddColorItem(colors, "mnuiPresumptiveTimeColor", QStringLiteral("Presumptive Time"), &V::PresumptiveTimeColor, true);
  AddColorItem(colors, "mnuiPresumptiveTimeBackground", QStringLiteral("Presumptive Time Background"),
               &V::PresumptiveTimeBackground, true);
  colors->addSeparator();
  auto* squaresGroup = new QActionGroup(this);
  mnuiBoardSquareBMP = AddItem(colors, "mnuiBoardSquareBMP", QStringLiteral("Board Squares : Graphic"),
                               &TfrmKestroForm::mnuiBoardSquareBMPClick);
  mnuiBoardSquareUserSolidColor =
      AddItem(colors, "mnuiBoardSquareUserSolidColor", QStringLiteral("Board Squares : User Solid Color"),
              &TfrmKestroForm::mnuiBoardSquareUserSolidColorClick);
  for (QAction* item : {mnuiBoardSquareBMP, mnuiBoardSquareUserSolidColor}) {
    item->setCheckable(true);
    squaresGroup->addAction(item);
  }
  mnuiBoardSquareBMP->setChecked(true);
  AddColorItem(colors, "mnuiBoardSquareWhiteColor", QStringLiteral("White Square"), &V::DPColorBoardSquareWhite, true);
  AddColorItem(colors, "mnuiBoardSquareBlackColor", QStringLiteral("Black Square"), &V::DPColorBoardSquareBlack, true);
  colors->addSeparator();
  AddColorItem(colors, "mnuiBoardColorPieces", QStringLiteral("Pieces"), &V::DPColorBoardPieces, true);
  AddColorItem(colors, "mnuiBoardColor2Pieces", QStringLiteral("Pieces 2.color"), &V::DPColor2BoardPieces, true);
  AddColorItem(colors, "mnuiBoardColorStuffNumber", QStringLiteral("Stuff Number"), &V::DPColorBoardStuffNumber, true);
  AddColorItem(colors, "mnuiHighlightSquareColor", QStringLiteral("Highlight Square"), &V::HighlightSquareColor, false);

  QMenu* fonts = mnuBoard->addMenu(QStringLiteral("Board Fonts"));
  fonts->menuAction()->setObjectName(QStringLiteral("mnuiBoardFonts"));
  AddItem(fonts, "mnuiBoardFontPlayers", QStringLiteral("Players"), &TfrmKestroForm::mnuiBoardFontPlayersClick);
  AddItem(fonts, "mnuiBoardFontLag", QStringLiteral("Lag"), &TfrmKestroForm::mnuiBoardFontLagClick);
  QAction* presumptive = AddItem(fonts, "mnuiFontPresumptiveTime", QStringLiteral("Presumptive Time"),
                                     &TfrmKestroForm::mnuiFontPresumptiveTimeClick);
  presumptive->setVisible(false);
  presumptive->setEnabled(false);
  AddItem(fonts, "mnuiFontStuffNumber", QStringLiteral("Stuff Number"), &TfrmKestroForm::mnuiFontStuffNumberClick);
  AddItem(fonts, "mnuiFontCoordinates", QStringLiteral("Coordinates"), &TfrmKestroForm::mnuiFontCoordinatesClick);

  mnuiEnergyBoard = AddItem(mnuBoard, "mnuiEnergyBoard", QStringLiteral("Tolvo Energy board"),
                            &TfrmKestroForm::mnuiEnergyBoardClick);
  mnuiEnergyBoard->setCheckable(true);
  const QString energyHint = QStringLiteral(
      "Squares attacked more by one side than by opponent side are in colors, white are squares not attacked by any "
      "side more.");
  mnuiEnergyBoard->setStatusTip(energyHint);
  mnuiEnergyBoard->setToolTip(energyHint);
  mnuBoard->setToolTipsVisible(true);

  AddRadioItems(mnuBoard, "mnuiBoardSquareStyle", "Square Style",
                {{&mnuiBoardSquareStyleBasic, "mnuiBoardSquareStyleBasic", "Basic", 0},
                 {&mnuiBoardSquareStyleBorder, "mnuiBoardSquareStyleBorder", "Border", 1},
                 {&mnuiBoardSquareStyleMountains, "mnuiBoardSquareStyleMountains", "Mountains", 2}},
                &TfrmKestroForm::SquareStyleClick);
  mnuiBoardSquareStyleBasic->setChecked(true);
  AddRadioItems(mnuBoard, "mnuiMoveInput", "Move Input",
                {{&mnuiMoveInputCDCD, "mnuiMoveInputCDCD", "Mouse Click Down -> Down", 0},
                 {&mnuiMoveInputCDCU, "mnuiMoveInputCDCU", "Mouse Click Down -> Up (drag drop)", 1},
                 {&mnuiMoveInputCDCDorCU, "mnuiMoveInputCDCDorCU", "Mouse Click Down -> Down Or Up", 2}},
                &TfrmKestroForm::MoveInputClick);
  mnuiMoveInputCDCDorCU->setChecked(true);

  mnuiBoardLinesNet = AddItem(mnuBoard, "mnuiBoardLinesNet", QStringLiteral("Lines between squares "),
                              &TfrmKestroForm::mnuiBoardLinesNetClick);
  mnuiBoardLinesNet->setCheckable(true);
  mnuiBoardLinesNet->setChecked(true);
  mnuiShowCoordinates = AddItem(mnuBoard, "mnuiShowCoordinates", QStringLiteral("Show Coordinates"),
                                &TfrmKestroForm::mnuiShowCoordinatesClick);
  mnuiShowCoordinates->setCheckable(true);
  mnuiShowCoordinates->setChecked(true);

  mnuBoard->addSeparator();
  AddItem(mnuBoard, "mnuProfileLoadBoard", QStringLiteral("Load from Profile"),
          &TfrmKestroForm::mnuProfileLoadBoardClick);
  AddItem(mnuBoard, "mnuProfileSaveBoard", QStringLiteral("Save into Profile"),
          &TfrmKestroForm::mnuProfileSaveBoardClick);
}

// --- Pieces ---

void TfrmKestroForm::PiecesBuiltIn(QAction* item, const char* folder) {
  ScrollToStart();
  LoadPieceBitmaps(*game_, paths::Resolve(paths::Below(std::string(kPieceSets) + folder)));
  Visual().DPGraphicPiecesType = 0;
  CheckPieces(item);
}

void TfrmKestroForm::CheckPieces(QAction* item) {
  piecesChecked_ = item;
  item->setChecked(true);
}

void TfrmKestroForm::mnuiBoardPiecesDefaultClick() {
  PiecesBuiltIn(mnuiBoardPiecesDefault, "Kestrovane_Default/");
  actWindowLayout->trigger();
}

void TfrmKestroForm::mnuiBoardPiecesTolvoClick() {
  PiecesBuiltIn(mnuiBoardPiecesTolvo, "Tolvo1/");
  Visual().SquareSize = 24;
  Visual().DPColorBoardLines = 0x0C992D;
  actWindowLayout->trigger();
}

void TfrmKestroForm::mnuiBoardPiecesUserKVXNStuffClick() {
  const QString start = kvxFolder_.isEmpty() ? PathToQString(paths::Below(kPieceSets)) : kvxFolder_;
  const std::optional<QString> file =
      AppDialogs().OpenFile(this, QStringLiteral("Open"), start, start + QStringLiteral("WQueen.BMP"),
                            QStringLiteral("Bitmaps (*.BMP *.bmp)"));
  if (!Live()) return;
  if (file) {
    const std::string folder = FolderOf(*file);
    kvxFolder_ = PathToQString(folder);
    mnuiBoardPiecesUserKVXNStuff->setText(QString(kvxFolder_).replace(QLatin1Char('&'), QStringLiteral("&&")));
    if (LoadPieceBitmaps(*game_, folder)) {
      Visual().DPGraphicPiecesType = 0;
      ScrollToStart();
      ClearPicture();
      DrawBoard();
      CheckPieces(mnuiBoardPiecesUserKVXNStuff);
    }
  }
  actWindowLayout->trigger();
}

void TfrmKestroForm::mnuiBoardFontPiecesClick() {
  VisualFont font = Visual().FontPieces;
  if (ChooseFont(font)) {
    Visual().FontPieces = font;
    Visual().DPGraphicPiecesType = 1;
    DrawBoard();
    CheckPieces(mnuiBoardFontPieces);
  }
}

void TfrmKestroForm::mnuiBoardPiecesUserBugStuffClick() {
  // The other program's folder, as it wrote it in the registry.
  std::string other;
  const Registry registry;
  const char* key = "HKEY_LOCAL_MACHINE\\Software\\Bughouse";
  if (registry.KeyExists(key)) other = paths::Resolve(registry.ReadString(key, "graphpath").value_or("") + "Piece\\Bitmap\\");
  const QString otherFolder = PathToQString(other);
  const QString fileName =
      (bugStuffFolder_.isEmpty() ? otherFolder : bugStuffFolder_) + QStringLiteral("WQueen.BMP");
  const std::optional<QString> file =
      AppDialogs().OpenFile(this, QStringLiteral("Open"), otherFolder, fileName, QStringLiteral("Bitmaps (*.BMP *.bmp)"));
  if (!Live()) return;
  if (file) {
    const std::string folder = FolderOf(*file);
    bugStuffFolder_ = PathToQString(folder);
    mnuiBoardPiecesUserBugStuff->setText(QString(bugStuffFolder_).replace(QLatin1Char('&'), QStringLiteral("&&")));
    const int32_t squareSize = Visual().SquareSize;
    if (LoadPieceBitmaps(*game_, folder)) {
      Visual().DPGraphicPiecesType = 0;
      ScrollToStart();
      Visual().SquareSize = squareSize;
      ClearPicture();
      DrawBoard();
      CheckPieces(mnuiBoardPiecesUserBugStuff);
    }
  }
  actWindowLayout->trigger();
}

// --- size, colours, fonts, flags ---

void TfrmKestroForm::mnuiBoardSizeClick() {
  const std::optional<QString> entry =
      AppDialogs().Input(this, QStringLiteral("Board size :"), QStringLiteral("Square size :"),
                         QString::number(Visual().SquareSize));
  if (!Live() || !entry) return;
  bool ok = false;
  const int size = entry->trimmed().toInt(&ok);
  if (!ok) {
    AppDialogs().Error(this, QStringLiteral("'%1' is not a valid integer value").arg(*entry));
    return;
  }
  // A size outside the range would break the picture and the mouse mapping.
  if (size >= kMinSquareSize && size <= kMaxSquareSize) Visual().SquareSize = size;
  FullRedraw();
}

bool TfrmKestroForm::ChooseFont(VisualFont& font) {
  const std::optional<Dialogs::FontChoice> choice =
      AppDialogs().Font(this, Dialogs::FontChoice{font.font, ColorFromBgr(font.color)});
  if (!Live() || !choice) return false;
  font.font = choice->font;
  font.color = BgrFromColor(choice->color);
  return true;
}

void TfrmKestroForm::mnuiBoardFontPlayersClick() {
  if (!ChooseFont(Visual().FontPlayers)) return;
  Visual().FontPresumptiveTime = Visual().FontPlayers;
  FullRedraw();
}

void TfrmKestroForm::mnuiBoardFontLagClick() {
  if (ChooseFont(Visual().FontLag)) FullRedraw();
}

void TfrmKestroForm::mnuiFontPresumptiveTimeClick() {
  if (ChooseFont(Visual().FontPresumptiveTime)) DrawBoard();
}

void TfrmKestroForm::mnuiFontStuffNumberClick() {
  if (ChooseFont(Visual().FontStuffNumber)) DrawBoard();
}

void TfrmKestroForm::mnuiFontCoordinatesClick() {
  if (ChooseFont(Visual().FontCoordinates)) DrawBoard();
  FullRedraw();
}

void TfrmKestroForm::mnuiBoardColorTextTransparentClick() {
  Visual().DPColorBoardTextTransparent = mnuiBoardColorTextTransparent->isChecked() ? 1 : 0;
  DrawBoard();
}

void TfrmKestroForm::mnuiBoardSquareBMPClick() {
  mnuiBoardSquareBMP->setChecked(true);
  Visual().DPBoardSquaresUserSolidColor = 0;
  DrawBoard();
}

void TfrmKestroForm::mnuiBoardSquareUserSolidColorClick() {
  mnuiBoardSquareUserSolidColor->setChecked(true);
  Visual().DPBoardSquaresUserSolidColor = 1;
  DrawBoard();
}

void TfrmKestroForm::mnuiEnergyBoardClick() {
  Visual().TolvoEnergyBoard = mnuiEnergyBoard->isChecked() ? 1 : 0;
  DrawBoard();
}

void TfrmKestroForm::SquareStyleClick(QAction* item, int style) {
  Visual().DPGraphicBoardSquareStyle = style;
  item->setChecked(true);
  DrawBoard();
}

void TfrmKestroForm::MoveInputClick(QAction* item, int mode) {
  MoveInputMode = mode;
  item->setChecked(true);
}

void TfrmKestroForm::mnuiBoardLinesNetClick() {
  Visual().DPGraphicBoardLinesNet = mnuiBoardLinesNet->isChecked() ? 1 : 0;
  FullRedraw();
}

void TfrmKestroForm::mnuiShowCoordinatesClick() {
  Visual().ShowCoordinates = mnuiShowCoordinates->isChecked() ? 1 : 0;
  FullRedraw();
}

// --- profiles ---

std::optional<QString> TfrmKestroForm::AskProfile(bool save, const QString& title) {
  const QString folder = PathToQString(paths::Below("Profiles/"));
  const QString name = QStringLiteral("MyProfile.INI");
  const QString filter = QStringLiteral("INI Files (*.INI *.ini)");
  std::optional<QString> file = save ? AppDialogs().SaveFile(this, title, folder, name, filter)
                                     : AppDialogs().OpenFile(this, title, folder, name, filter);
  if (file && !file->isEmpty() && QFileInfo(*file).suffix().isEmpty()) *file += QStringLiteral(".INI");
  if (!Live() || !file || file->isEmpty()) return std::nullopt;
  return file;
}

void TfrmKestroForm::ReloadPieceSetKeepingSquareSize() {
  KestrovaneVisualProperties& v = Visual();
  const int32_t squareSize = v.SquareSize;
  LoadPieceBitmaps(*game_, v.DPGraphicBMPPiecesPath);
  Visual().SquareSize = squareSize;
}

void TfrmKestroForm::mnuProfileLoadBoardClick() {
  const std::optional<QString> file = AskProfile(false, QStringLiteral("Load from Profile"));
  if (!file) return;
  LoadBoardSettings(PathFromQString(*file));
  ReloadPieceSetKeepingSquareSize();
  ClearPicture();
  DrawBoard();
  actWindowLayout->trigger();
}

void TfrmKestroForm::mnuProfileSaveBoardClick() {
  const std::optional<QString> file = AskProfile(true, QStringLiteral("Save into Profile"));
  if (file) SaveBoardSettings(PathFromQString(*file));
}

void TfrmKestroForm::SaveBoardSettings(const std::string& fileName) {
  if (!Live()) return;
  const KestrovaneVisualProperties& v = Visual();
  IniFile ini(fileName);

  // A set below the program folder is stored relative to it, with "\" as Windows writes it.
  std::string folder = AsciiUpper(v.DPGraphicBMPPiecesPath);
  const std::string program = AsciiUpper(paths::ProgramFolder()) + "/";
  if (folder.compare(0, program.size(), program) == 0) {
    folder.erase(0, program.size());
    std::replace(folder.begin(), folder.end(), '/', '\\');
  }
  ini.WriteString(kSection, "DPGraphicBMPPiecesPath", folder);

  for (const IntKey& k : kShapeKeys) ini.WriteInteger(kSection, k.name, v.*k.field);
  for (const ColorKey& k : kColorKeys) ini.WriteInteger(kSection, k.name, static_cast<int32_t>(v.*k.field));
  for (const IntKey& k : kFlagKeys) ini.WriteInteger(kSection, k.name, v.*k.field);

  WriteFont(ini, "FontPlayers", v.FontPlayers, kAllKeys);
  WriteFont(ini, "FontLag", v.FontLag, kAllKeys);
  WriteFont(ini, "FontCoordinates", v.FontCoordinates, kAllKeys);
  WriteFont(ini, "FontPresumptiveTime", v.FontPresumptiveTime, kAllKeys);
  WriteFont(ini, "FontPieces", v.FontPieces, kNoNameKeys);
  WriteFont(ini, "FontStuffNumber", v.FontStuffNumber, kNoNameKeys);
  if (!ini.Save()) throw std::runtime_error("Cannot create file \"" + fileName + "\"");
}

void TfrmKestroForm::LoadBoardSettings(const std::string& fileName) {
  if (!Live()) return;
  KestrovaneVisualProperties& v = Visual();
  const IniFile ini(fileName);

  std::string folder = ini.ReadString(kSection, "DPGraphicBMPPiecesPath", v.DPGraphicBMPPiecesPath);
  // Relative to the program folder unless it names a drive or starts at the root.
  if (folder.find(':') == std::string::npos && (folder.empty() || folder.front() != '/'))
    folder = paths::Below(folder);
  v.DPGraphicBMPPiecesPath = WithTrailingSlash(paths::Resolve(folder));

  for (const IntKey& k : kShapeKeys) {
    const int32_t value = ini.ReadInteger(kSection, k.name, v.*k.field);
    if (k.field == &V::SquareSize && (value < kMinSquareSize || value > kMaxSquareSize)) continue;
    v.*k.field = value;
    if (k.field == &V::DPGraphicBoardSquareStyle) {
      if (value == 0) mnuiBoardSquareStyleBasic->setChecked(true);
      if (value == 1) mnuiBoardSquareStyleBorder->setChecked(true);
      if (value == 2) mnuiBoardSquareStyleMountains->setChecked(true);
    }
    if (k.field == &V::DPGraphicBoardLinesNet) mnuiBoardLinesNet->setChecked(value != 0);
  }
  for (const ColorKey& k : kColorKeys)
    v.*k.field = ProfileColor(ini.ReadInteger(kSection, k.name, static_cast<int32_t>(v.*k.field)), v.*k.field);
  for (const IntKey& k : kFlagKeys) {
    v.*k.field = ini.ReadInteger(kSection, k.name, v.*k.field);
    if (k.field == &V::DPBoardSquaresUserSolidColor)
      (v.DPBoardSquaresUserSolidColor ? mnuiBoardSquareUserSolidColor : mnuiBoardSquareBMP)->setChecked(true);
    if (k.field == &V::DPColorBoardTextTransparent)
      mnuiBoardColorTextTransparent->setChecked(v.DPColorBoardTextTransparent != 0);
  }

  ReadFont(ini, "FontPlayers", v.FontPlayers, kAllKeys);
  // The running clocks are written in the players' face and size.
  v.FontPresumptiveTime.font.setFamily(v.FontPlayers.font.family());
  v.FontPresumptiveTime.font.setPointSize(FontPoints(v.FontPlayers.font));
  ReadFont(ini, "FontLag", v.FontLag, kAllKeys);
  ReadFont(ini, "FontCoordinates", v.FontCoordinates, kAllKeys);
  ReadFont(ini, "FontPieces", v.FontPieces, kAllKeys);
  ReadFont(ini, "FontStuffNumber", v.FontStuffNumber, kAllKeys);
  ReadFont(ini, "FontPresumptiveTime", v.FontPresumptiveTime, FontKeys{false, true, false, true});
}
