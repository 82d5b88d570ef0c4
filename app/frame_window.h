#pragma once
// The frame window: menus, speed buttons and status line around the MDI area
// that holds the play window, the game viewers and the repair tool.
#include <QMainWindow>
#include <QStringList>
#include <QUrl>
#include <functional>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QTimer;
class TfrmKestroForm;

class Tfrm_Main : public QMainWindow {
  Q_OBJECT
 public:
  // `arguments`: the command line without the program name.
  explicit Tfrm_Main(const QStringList& arguments, QWidget* parent = nullptr);

  QMdiArea* mdiArea = nullptr;
  QTimer* Timer1 = nullptr;
  QAction* actKVXViewLoadBPGN = nullptr;

  // Opens a page in the user's browser and returns at once; `failed` runs
  // when no browser shows it, perhaps later from the event loop (unless
  // `owner` is gone by then). Tests put another in place.
  static std::function<void(const QUrl&, QObject* owner, const std::function<void()>& failed)> OpenUrl;
  // The desktop's launcher program the default OpenUrl runs.
  static QString UrlLauncher;
  // The two web pages of the Help menu.
  static const char* const kForumPage;
  static const char* const kDownloadPage;
  static QString AboutText();

 public slots:
  void spbKestrovaneClick();
  void spbKestroViewClick();
  void spbBPGNRepairerClick();
  void FileExit();
  void WindowTile();
  void WindowCascade();
  void WindowArrange();
  void WindowMinimizeItemsClick();
  void HelpContents();
  void HelpKVXNClick();
  void HelpAbout();
  void mnuiWinBPGNFilesRegisterClick();
  void Timer1Timer();
  void actKVXViewLoadBPGNExecute();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate();
  void FormShow();
  void BuildMenus();
  void BuildSpeedBar();
  // Raises every open child of the class, last to first; returns how many.
  int RaiseChildren(const char* className);
  QMdiSubWindow* AddChild(TfrmKestroForm* form, const QString& caption);
  void OpenViewer(const QString& fileName);
  void CloseChildren();
  void OpenPage(const QUrl& url, const QString& failure);
  void OpenHelpPage(const char* relative);
  void OpenWebPage(const char* address);

  QStringList arguments_;
  bool shown_ = false;
};
