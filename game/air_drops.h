#pragma once
// Air drops: a drop recorded before the capture on the partner board that
// supplied its piece. The pass moves the supplying board's moves in front of
// each such drop until none is left. It works on any move record through
// three accessors, so the game loader and the repair tool share it.
#include <string>
#include <vector>

struct AirDropOutcome {
  enum Kind { Ok, MissingSupplier, PassLimit } kind = Ok;
  int fixes = 0;
  std::vector<int> order;  // new order of the input records (indexes), when kind is Ok
};

// board(r) gives 1 or 2, captured(r) and dropped(r) piece codes (0 none).
// `startHands`, when given, holds the 20 hand counts the game starts with
// (board A's ten holding slots, then board B's); else the hands start empty.
template <class Record, class BoardOf, class CapturedOf, class DroppedOf>
AirDropOutcome FindAirDropOrder(const std::vector<Record>& moves, int count, BoardOf board, CapturedOf captured,
                                DroppedOf dropped, int maxPasses = 10000, const int* startHands = nullptr) {
  AirDropOutcome out;
  if (count > static_cast<int>(moves.size())) count = static_cast<int>(moves.size());
  if (count < 0) count = 0;
  std::vector<int> w(static_cast<size_t>(count)), t;
  for (int i = 0; i < count; ++i) w[static_cast<size_t>(i)] = i;
  auto slotOf = [](int b, int code) {
    if (code < 2 || code > 11) return -1;
    return 10 * (b == 1 ? 0 : 1) + code / 2 - 1 + 5 * (code % 2);
  };
  for (int pass = 0; pass < maxPasses; ++pass) {
    t = w;
    int counts[20] = {};
    if (startHands)
      for (int i = 0; i < 20; ++i) counts[i] = startHands[i];
    int dropAt = -1, captureAt = -1, dropSlot = -1;
    for (int i = 0; i < count && (dropAt < 0 || captureAt < 0); ++i) {
      const Record& m = moves[static_cast<size_t>(t[static_cast<size_t>(i)])];
      const int b = board(m) == 1 ? 1 : 2;
      if (int c = dropped(m); c) {
        int s = slotOf(b, c);
        if (s >= 0) {
          if (counts[s] < 1 && dropAt < 0) {
            dropAt = i;
            dropSlot = s;
          }
          --counts[s];
        }
      }
      if (int c = captured(m); c) {
        int s = slotOf(3 - b, c);
        if (s >= 0) {
          ++counts[s];
          if (dropAt >= 0 && s == dropSlot) captureAt = i;
        }
      }
    }
    if (dropAt < 0) {
      out.kind = AirDropOutcome::Ok;
      out.order = std::move(w);
      return out;
    }
    if (captureAt < 0) {
      out.kind = AirDropOutcome::MissingSupplier;
      return out;
    }
    const int captureBoard = board(moves[static_cast<size_t>(t[static_cast<size_t>(captureAt)])]) == 1 ? 1 : 2;
    w.clear();
    for (int i = 0; i < dropAt; ++i) w.push_back(t[static_cast<size_t>(i)]);
    for (int pickOther = 0; pickOther < 2; ++pickOther) {
      for (int i = dropAt + 1; i <= captureAt; ++i) {
        const int idx = t[static_cast<size_t>(i)];
        const bool onCaptureBoard = (board(moves[static_cast<size_t>(idx)]) == 1 ? 1 : 2) == captureBoard;
        if (onCaptureBoard != static_cast<bool>(pickOther)) w.push_back(idx);
      }
      if (!pickOther) w.push_back(t[static_cast<size_t>(dropAt)]);
    }
    for (int i = captureAt + 1; i < count; ++i) w.push_back(t[static_cast<size_t>(i)]);
    ++out.fixes;
  }
  out.kind = AirDropOutcome::PassLimit;
  return out;
}

// Puts the records into the order found; records past the counted ones keep their places.
template <class Record>
void ApplyAirDropOrder(std::vector<Record>& moves, const std::vector<int>& order) {
  std::vector<Record> reordered;
  reordered.reserve(moves.size());
  for (int i : order) reordered.push_back(std::move(moves[static_cast<size_t>(i)]));
  for (size_t i = reordered.size(); i < moves.size(); ++i) reordered.push_back(std::move(moves[i]));
  moves.swap(reordered);
}

// The air-drop pass over a record of moves with fields board, captured and
// dropped, from the hands `startHands` (see FindAirDropOrder): on failure its error line goes to `log` and its mark ("ErrC," or
// "ErrA,") to `marks`, and the record is left as it is; else the moves are
// put into the order found.
template <class Record>
AirDropOutcome PutAirDropsRight(std::vector<Record>& moves, int count, std::string& log, std::string& marks,
                                const int* startHands = nullptr) {
  AirDropOutcome r = FindAirDropOrder(
      moves, count, [](const Record& m) { return m.board; }, [](const Record& m) { return m.captured; },
      [](const Record& m) { return m.dropped; }, 10000, startHands);
  if (r.kind == AirDropOutcome::PassLimit) {
    log += "\r\nErrC=Cyclic error in AirDrops removing function.";
    marks += "ErrC,";
  } else if (r.kind == AirDropOutcome::MissingSupplier) {
    log += "\r\nErrA=Founded AirDrop for which no later played move on partners board taked such piece.";
    marks += "ErrA,";
  } else if (r.fixes > 0) {
    ApplyAirDropOrder(moves, r.order);
  }
  return r;
}

// The move text of the first `count` moves, each written with a blank before
// its first "{"; a move without one gets the blank after it, or before it
// with `blankFirst`.
template <class Record, class TextOf>
std::string JoinMoveTexts(const std::vector<Record>& moves, int count, TextOf textOf, bool blankFirst,
                          size_t expected) {
  std::string joined;
  joined.reserve(expected);
  for (int i = 0; i < count && i < static_cast<int>(moves.size()); ++i) {
    const std::string& t = textOf(moves[static_cast<size_t>(i)]);
    const size_t brace = t.find('{');
    if (brace != std::string::npos) {
      joined.append(t, 0, brace);
      joined += ' ';
      joined.append(t, brace, std::string::npos);
    } else if (blankFirst) {
      joined += ' ';
      joined += t;
    } else {
      joined += t;
      joined += ' ';
    }
  }
  return joined;
}
