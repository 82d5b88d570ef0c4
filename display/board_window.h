#pragma once
// The base board window: a child of the frame's MDI area that owns one game
// object, shows its position on `imgBoard` and edits the look through its
// Board menu. The play window and the game viewer derive from it.
#include <QImage>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "display/visual_properties.h"
#include "game/kestro_game.h"

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class QScrollArea;

// The picture of both boards; its size follows the drawn picture.
class BoardImage : public QWidget {
  Q_OBJECT
 public:
  explicit BoardImage(QWidget* parent);
  QImage& Canvas() { return canvas_; }
  // Makes the canvas `size`, filled with `color` (0x00BBGGRR), and fits the widget to it.
  void ResizeCanvas(QSize size, uint32_t color);

 signals:
  void MouseDown(Qt::MouseButton button, int x, int y);
  void MouseUp(Qt::MouseButton button, int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QImage canvas_;
};

class TfrmKestroForm : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmKestroForm(QWidget* parent = nullptr);
  ~TfrmKestroForm() override;

  // The game object; null only after the window closed.
  CKestroGame* Game() const { return game_.get(); }
  // Makes `game` the window's game; the visual settings and the piece set of
  // the old one are carried over.
  void ReplaceGame(std::unique_ptr<CKestroGame> game);
  KestrovaneVisualProperties& Visual();

  // Redraw levels: the position only, or scroll to the start, clear, draw and lay out.
  void DrawBoard();
  void FullRedraw();
  // The picture cleared in the window's colour.
  void ClearPicture();
  uint32_t WindowColor() const;
  // The window's own colour; its children take it over where they set none.
  void SetWindowColor(uint32_t bgr);
  void ScrollToStart();

  void SaveBoardSettings(const std::string& fileName);
  void LoadBoardSettings(const std::string& fileName);
  // The profile file dialog ("Profiles/MyProfile.INI"; a name without
  // extension gets ".INI"); nullopt on Cancel or when the window closed.
  std::optional<QString> AskProfile(bool save, const QString& title);
  // The piece set named in the settings loaded again, the settings' square
  // size kept over the bitmaps' own.
  void ReloadPieceSetKeepingSquareSize();
  // Fits the surface to the picture and the controls on it.
  void FitSurface();
  // How wide a part of the surface the window shows without scrolling
  // sideways (less the vertical scroll bar when the surface needs one).
  int VisibleWidth() const;
  // Makes the chess font available to this process and installs it for the user.
  static void LoadChessFont();

  // What the window shows; the game's current position unless a derived window says otherwise.
  virtual const TwoBoardPosition& ShownPosition() const;

  bool Closing() const { return closing_; }
  // Room for the menu and the whole picture.
  QSize sizeHint() const override;
  int MoveInputMode = 2;  // 0 click-click, 1 drag, 2 either

  // Folders and engines.
  std::string ProgramFolder, SysFolder, BpgnFolder;
  std::string DefaultEngine;
  std::string EnginePaths[4];
  int EngineTimerCounters[4] = {1, 1, 1, 1};
  std::string SaveDialogFolder;  // initial folder of the game-record save dialog

  // Sensible square sizes in pixels.
  static constexpr int kMinSquareSize = 8;
  static constexpr int kMaxSquareSize = 200;

  BoardImage* imgBoard = nullptr;
  QMenuBar* MainMenu1 = nullptr;
  QMenu* mnuBoard = nullptr;
  QAction* actWindowLayout = nullptr;

  // Board menu items that other code checks or runs.
  QAction* mnuiBoardPiecesDefault = nullptr;
  QAction* mnuiBoardPiecesTolvo = nullptr;
  QAction* mnuiBoardPiecesUserKVXNStuff = nullptr;
  QAction* mnuiBoardFontPieces = nullptr;
  QAction* mnuiBoardPiecesUserBugStuff = nullptr;
  QAction* mnuiBoardColorTextTransparent = nullptr;
  QAction* mnuiBoardSquareBMP = nullptr;
  QAction* mnuiBoardSquareUserSolidColor = nullptr;
  QAction* mnuiEnergyBoard = nullptr;
  QAction* mnuiBoardSquareStyleBasic = nullptr;
  QAction* mnuiBoardSquareStyleBorder = nullptr;
  QAction* mnuiBoardSquareStyleMountains = nullptr;
  QAction* mnuiMoveInputCDCD = nullptr;
  QAction* mnuiMoveInputCDCU = nullptr;
  QAction* mnuiMoveInputCDCDorCU = nullptr;
  QAction* mnuiBoardLinesNet = nullptr;
  QAction* mnuiShowCoordinates = nullptr;

 public slots:
  void mnuiBoardSizeClick();
  void mnuiEnergyBoardClick();
  void mnuiShowCoordinatesClick();
  void mnuProfileLoadBoardClick();
  void mnuProfileSaveBoardClick();

 protected:
  // Handlers the derived windows put in place of the base ones.
  virtual void FormActivate();
  virtual void FormClose();
  virtual void WindowLayout() {}
  // What a derived window draws over every whole drawing of the position.
  virtual void DrawOverPosition() {}
  // The base creation handler: the chess font and the save dialog's folder.
  void FormCreate();

  // Widget on which the picture sits inside the scroll area; derived windows
  // place their controls on it too.
  QWidget* Surface() const { return surface_; }
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void BuildBoardMenu();
  QAction* AddItem(QMenu* menu, const char* name, const QString& caption, void (TfrmKestroForm::*handler)());
  QAction* AddColorItem(QMenu* menu, const char* name, const QString& caption, uint32_t KestrovaneVisualProperties::*field,
                        bool redraw);
  struct RadioRow {
    QAction** item;
    const char* name;
    const char* caption;
    int value;
  };
  // A sub-menu of radio items; `handler` gets the item and its value.
  void AddRadioItems(QMenu* parent, const char* name, const char* caption, std::initializer_list<RadioRow> rows,
                     void (TfrmKestroForm::*handler)(QAction*, int));
  bool ChooseFont(VisualFont& font);

  // Pieces sub-menu.
  void PiecesBuiltIn(QAction* item, const char* folder);
  void CheckPieces(QAction* item);
  void mnuiBoardPiecesDefaultClick();
  void mnuiBoardPiecesTolvoClick();
  void mnuiBoardPiecesUserKVXNStuffClick();
  void mnuiBoardFontPiecesClick();
  void mnuiBoardPiecesUserBugStuffClick();

  void mnuiBoardColorTextTransparentClick();
  void mnuiBoardSquareBMPClick();
  void mnuiBoardSquareUserSolidColorClick();
  void mnuiBoardFontPlayersClick();
  void mnuiBoardFontLagClick();
  void mnuiFontPresumptiveTimeClick();
  void mnuiFontStuffNumberClick();
  void mnuiFontCoordinatesClick();
  void SquareStyleClick(QAction* item, int style);
  void MoveInputClick(QAction* item, int mode);
  void mnuiBoardLinesNetClick();

  void Activated();
  // Runs a menu command while the window is live; an error it throws goes to the error box.
  void Run(const std::function<void()>& command);
  // True while the window may still act on its game.
  bool Live() const { return !closing_ && game_; }

  std::unique_ptr<CKestroGame> game_;
  bool closing_ = false;
  QScrollArea* scroll_ = nullptr;
  QWidget* surface_ = nullptr;
  QAction* piecesChecked_ = nullptr;
  QString kvxFolder_;      // last folder chosen with the KVX item, empty before
  QString bugStuffFolder_;  // last folder chosen with the BugStuff item, empty before
};
