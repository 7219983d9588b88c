#include "graphics/rect_list_optimizer.h"

#include <algorithm>
#include <vector>

namespace plugfw::gfx {
namespace {

using Rects = std::vector<Rect>;

// Shared area, not a shared edge: rectangles that only touch never count as overlapping,
// so cutting one by the other always removes something.
bool Overlap(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

float Area(const Rect& r) { return r.Width() * r.Height(); }

// r without x, when that is one rectangle: x spans r in one direction and reaches one of
// r's edges in the other.
bool RemainderIsOneRect(const Rect& r, const Rect& x, Rect& rest) {
  const bool fullWidth = x.left == r.left && x.right == r.right;
  const bool fullHeight = x.top == r.top && x.bottom == r.bottom;
  if (fullWidth && x.top == r.top) {
    rest = {r.left, x.bottom, r.right, r.bottom};
  } else if (fullWidth && x.bottom == r.bottom) {
    rest = {r.left, r.top, r.right, x.top};
  } else if (fullHeight && x.left == r.left) {
    rest = {x.right, r.top, r.right, r.bottom};
  } else if (fullHeight && x.right == r.right) {
    rest = {r.left, r.top, x.left, r.bottom};
  } else {
    return false;
  }
  return true;
}

// r without x (x inside r) as disjoint pieces: the bands above and below x across r's
// whole width, then what lies left and right of x between them. Returns how many.
int32_t SplitAround(const Rect& r, const Rect& x, Rect pieces[4]) {
  int32_t count = 0;
  if (x.top > r.top) pieces[count++] = {r.left, r.top, r.right, x.top};
  if (x.bottom < r.bottom) pieces[count++] = {r.left, x.bottom, r.right, r.bottom};
  if (x.left > r.left) pieces[count++] = {r.left, x.top, x.left, x.bottom};
  if (x.right < r.right) pieces[count++] = {x.right, x.top, r.right, x.bottom};
  return count;
}

// Cuts overlapping pairs apart: the inner of two nested rectangles goes; otherwise the
// one whose remainder is a single rectangle is cut, else the smaller is split around the
// overlap while the list stays within budget. Every piece uses edges the input already
// had and every step removes area, so the pass ends.
void RemoveOverlaps(Rects& list, size_t budget) {
  for (size_t i = 0; i < list.size(); ++i) {
    for (size_t j = i + 1; j < list.size();) {
      const Rect a = list[i];
      const Rect b = list[j];
      if (a.Contains(b)) {
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(j));
        continue;
      }
      if (b.Contains(a)) {
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
        if (i >= list.size()) return;
        j = i + 1;
        continue;
      }
      if (!Overlap(a, b)) {
        ++j;
        continue;
      }
      const Rect common = a.Intersection(b);
      Rect rest;
      if (RemainderIsOneRect(a, common, rest)) {
        list[i] = rest;
      } else if (RemainderIsOneRect(b, common, rest)) {
        list[j] = rest;
      } else {
        const size_t cut = Area(a) < Area(b) ? i : j;
        Rect pieces[4];
        const int32_t count = SplitAround(list[cut], common, pieces);
        if (list.size() + static_cast<size_t>(count) - 1 <= budget) {
          list[cut] = pieces[0];
          list.insert(list.end(), pieces + 1, pieces + count);
        }
      }
      ++j;
    }
  }
}

bool TouchVertically(const Rect& a, const Rect& b) {
  return (a.top <= b.top && b.top <= a.bottom) || (b.top <= a.top && a.top <= b.bottom);
}

bool TouchHorizontally(const Rect& a, const Rect& b) {
  return (a.left <= b.left && b.left <= a.right) || (b.left <= a.left && a.left <= b.right);
}

// Their union is exactly one rectangle.
bool Mergeable(const Rect& a, const Rect& b) {
  return (a.left == b.left && a.right == b.right && TouchVertically(a, b)) ||
         (a.top == b.top && a.bottom == b.bottom && TouchHorizontally(a, b));
}

// Joins the first mergeable pair into the later one's place, then looks again from the
// start; every join takes one rectangle away.
void MergeNeighbours(Rects& list) {
  bool joined = true;
  while (joined) {
    joined = false;
    for (size_t i = 0; i < list.size() && !joined; ++i) {
      for (size_t j = i + 1; j < list.size(); ++j) {
        if (!Mergeable(list[i], list[j])) continue;
        list[j] = list[i].Union(list[j]);
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
        joined = true;
        break;
      }
    }
  }
}

}  // namespace

void OptimizeRectList(RectList& rects) {
  const int32_t count = rects.Count();
  Rects original;
  Rects list;
  original.reserve(static_cast<size_t>(count));
  list.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    original.push_back(rects.Get(i));
    if (!original.back().Empty()) list.push_back(original.back());
  }
  const size_t budget = list.size() * kRectListGrowthLimit;
  RemoveOverlaps(list, budget);
  MergeNeighbours(list);

  rects.Clear();
  for (const Rect& r : list) {
    if (rects.Add(r)) continue;
    // Clearing kept the storage, so the rectangles as they came fit again.
    rects.Clear();
    for (const Rect& kept : original) rects.Add(kept);
    return;
  }
}

}  // namespace plugfw::gfx
