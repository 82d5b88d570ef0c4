// Piece sets: loading a set folder, the energy palette, and the cache that
// lets every game object drawing the same set share one copy.
#include <QFileInfo>
#include <algorithm>
#include <map>
#include <vector>

#include "display/board_display.h"
#include "platform/paths.h"
#include "platform/text_codec.h"

namespace {

constexpr const char* kSlotFiles[19] = {
    "WSquare.bmp", "BSquare.bmp", "WPawn.bmp",   "BPawn.bmp",      "WBishop.bmp",    "BBishop.bmp", "WKnight.bmp",
    "BKnight.bmp", "WRook.bmp",   "BRook.bmp",   "WQueen.bmp",     "BQueen.bmp",     "WKing.bmp",   "BKing.bmp",
    "Coin.bmp",    "CastlingWK.bmp", "CastlingWQ.bmp", "CastlingBK.bmp", "CastlingBQ.bmp"};
constexpr int kCoinSlot = 14;
constexpr int kFirstCastlingSlot = 15;
constexpr int kWhiteKingSlot = 12;

std::string DefaultSetFolder() { return paths::ProgramFolder() + "/Graphic/Piece/Bitmap/Kestrovane_Default/"; }
std::string EnergyPalettePath() { return paths::ProgramFolder() + "/Sys/sysEnergy.bmp"; }

// A file as found on disk; letter case and "\" are matched as Windows would.
std::string Locate(const std::string& path) { return paths::Resolve(path); }

bool Exists(const std::string& path) { return QFileInfo(PathToQString(path)).isFile(); }

// What a cached set was built from, so a changed file forces a reload.
struct FileStamp {
  std::string path;
  bool exists = false;
  qint64 size = 0;
  qint64 modified = 0;
  bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const std::string& path) {
  QFileInfo info(PathToQString(path));
  FileStamp s{path};
  s.exists = info.isFile();
  if (s.exists) {
    s.size = info.size();
    s.modified = info.lastModified().toMSecsSinceEpoch();
  }
  return s;
}

// Every file the loading of `folder` looks at.
std::vector<std::string> ConsultedFiles(const std::string& folder) {
  std::vector<std::string> files;
  const std::string fallback = DefaultSetFolder();
  for (const char* name : kSlotFiles) files.push_back(Locate(folder + name));
  files.push_back(Locate(fallback + kSlotFiles[kCoinSlot]));
  for (int s = kFirstCastlingSlot; s < 19; ++s) files.push_back(Locate(fallback + kSlotFiles[s]));
  files.push_back(Locate(EnergyPalettePath()));
  return files;
}

bool ReadBitmap(const std::string& path, QImage& image) {
  QImage loaded;
  if (!loaded.load(PathToQString(path))) return false;
  image = loaded.convertToFormat(QImage::Format_RGB32);
  return true;
}

// Palette pixel (5, 31i + 4), clamped into the picture.
void ReadEnergyColors(const QImage& palette, std::array<uint32_t, 17>& colors) {
  for (int i = 0; i < 17; ++i) {
    if (palette.isNull()) {
      colors[i] = 0xFFFFFF;
      continue;
    }
    int x = std::clamp(5, 0, palette.width() - 1);
    int y = std::clamp(31 * i + 4, 0, palette.height() - 1);
    colors[i] = BgrFromColor(QColor::fromRgb(palette.pixel(x, y)));
  }
}

// Reads a whole set; nullptr when a piece file is missing or any file that
// exists cannot be read.
std::shared_ptr<const PieceSet> ReadPieceSet(const std::string& folder) {
  auto set = std::make_shared<PieceSet>();
  set->folder = folder;
  std::string files[19];
  for (int s = 0; s < 19; ++s) files[s] = Locate(folder + kSlotFiles[s]);
  for (int s = 2; s <= 13; ++s)
    if (!Exists(files[s])) return nullptr;

  const std::string fallback = DefaultSetFolder();
  if (!Exists(files[kCoinSlot])) files[kCoinSlot] = Locate(fallback + kSlotFiles[kCoinSlot]);
  bool ownCastling = true;
  for (int s = kFirstCastlingSlot; s < 19; ++s) ownCastling = ownCastling && Exists(files[s]);
  if (!ownCastling)
    for (int s = kFirstCastlingSlot; s < 19; ++s) files[s] = Locate(fallback + kSlotFiles[s]);
  set->hasSquares = Exists(files[0]) && Exists(files[1]);
  if (!set->hasSquares) files[0].clear(), files[1].clear();

  // A fall-back that is missing too leaves its slot empty.
  for (int s = 0; s < 19; ++s)
    if (!files[s].empty() && Exists(files[s]) && !ReadBitmap(files[s], set->bitmaps[s])) return nullptr;

  if (!ReadBitmap(Locate(EnergyPalettePath()), set->energy)) return nullptr;
  ReadEnergyColors(set->energy, set->energyColors);
  return set;
}

struct CachedSet {
  std::vector<FileStamp> stamps;
  std::shared_ptr<const PieceSet> set;
};

std::map<std::string, CachedSet>& Cache() {
  static std::map<std::string, CachedSet> cache;
  return cache;
}

// The set in `folder`, shared with every other user of it while its files are unchanged.
std::shared_ptr<const PieceSet> SharedPieceSet(const std::string& folder) {
  std::vector<FileStamp> stamps;
  for (const std::string& f : ConsultedFiles(folder)) stamps.push_back(StampOf(f));
  const std::string key = paths::ProgramFolder() + '\n' + folder;
  auto found = Cache().find(key);
  if (found != Cache().end() && found->second.stamps == stamps) return found->second.set;
  std::shared_ptr<const PieceSet> set = ReadPieceSet(folder);
  if (set) Cache()[key] = CachedSet{std::move(stamps), set};
  return set;
}

int LoadInto(BoardDisplay& display, const std::string& folder) {
  const bool separated = !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
  std::shared_ptr<const PieceSet> set = SharedPieceSet(separated ? folder : folder + "/");
  if (!set) return 0;
  KestrovaneVisualProperties& v = display.Visual;
  display.Pieces = set;
  if (!set->hasSquares) v.DPBoardSquaresUserSolidColor = 1;
  v.SquareSize = set->bitmaps[kWhiteKingSlot].height();
  v.DPGraphicBMPPiecesPath = folder;
  v.PiecesLoaded = 1;
  return 1;
}

std::shared_ptr<GameDisplay> MakeDefaultDisplay() {
  auto display = std::make_shared<BoardDisplay>();
  LoadInto(*display, display->Visual.DPGraphicBMPPiecesPath);
  return display;
}

}  // namespace

BoardDisplay& DisplayOf(CKestroGame& game) {
  if (auto* display = dynamic_cast<BoardDisplay*>(game.Display.get())) return *display;
  game.Display = MakeDefaultDisplay();
  return static_cast<BoardDisplay&>(*game.Display);
}

void InstallGameDisplayFactory() { SetGameDisplayFactory(&MakeDefaultDisplay); }

int LoadPieceBitmaps(CKestroGame& game, const std::string& folder) { return LoadInto(DisplayOf(game), folder); }
