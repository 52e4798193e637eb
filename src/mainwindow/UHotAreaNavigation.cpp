#include "mainwindow/UHotAreaNavigation.h"

#include <cstdlib>

#include "mainwindow/HotAreaInfo.h"

namespace {

using EDirection = UHotAreaNavigation::EDirection;

// Twice the centre, to keep halves whole.
int CentreH(const Rect& rect) { return rect.left + rect.right; }
int CentreV(const Rect& rect) { return rect.top + rect.bottom; }

bool Overlap(int firstLow, int firstHigh, int secondLow, int secondHigh) {
  return firstLow < secondHigh && secondLow < firstHigh;
}

bool Horizontal(EDirection direction) {
  return direction == EDirection::Left || direction == EDirection::Right;
}

// How far `to` lies from `from` along the direction (positive: ahead) and across it.
int Ahead(const Rect& from, const Rect& to, EDirection direction) {
  switch (direction) {
    case EDirection::Left: return CentreH(from) - CentreH(to);
    case EDirection::Right: return CentreH(to) - CentreH(from);
    case EDirection::Up: return CentreV(from) - CentreV(to);
    case EDirection::Down: return CentreV(to) - CentreV(from);
  }
  return 0;
}

int Across(const Rect& from, const Rect& to, EDirection direction) {
  return Horizontal(direction) ? std::abs(CentreV(to) - CentreV(from))
                               : std::abs(CentreH(to) - CentreH(from));
}

// Whether the two areas share a row (for left and right) or a column (for up and down).
bool SameBand(const Rect& from, const Rect& to, EDirection direction) {
  return Horizontal(direction) ? Overlap(from.top, from.bottom, to.top, to.bottom)
                               : Overlap(from.left, from.right, to.left, to.right);
}

}  // namespace

long UHotAreaNavigation::Step(long from, EDirection direction) {
  if (from < 0 || from >= kControllerCount) return 0;
  const Rect& start = kHotAreaInfo[from].hotRect;
  long best = from;
  int bestAhead = 0;
  int bestAcross = 0;
  for (long index = 0; index < kControllerCount; ++index) {
    const Rect& area = kHotAreaInfo[index].hotRect;
    const int ahead = Ahead(start, area, direction);
    if (ahead <= 0 || !SameBand(start, area, direction)) continue;
    const int across = Across(start, area, direction);
    if (best == from || ahead < bestAhead || (ahead == bestAhead && across < bestAcross)) {
      best = index;
      bestAhead = ahead;
      bestAcross = across;
    }
  }
  return best;
}
