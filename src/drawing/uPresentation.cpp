#include "drawing/uPresentation.h"

#include <algorithm>

namespace inkora {

namespace {
// Room for a long lecture before the sample list first grows: appends on the
// live input path then rarely reallocate.
constexpr size_t kInitialPoints = 1 << 16;
constexpr size_t kInitialObjects = 1 << 10;
}  // namespace

TPresentation::TPresentation() { Clear(); }

TDrawObj* TPresentation::Obj(int objId) {
  return objId >= 0 && objId < ObjCount() ? &FObjList[objId] : nullptr;
}

const TDrawObj* TPresentation::Obj(int objId) const {
  return objId >= 0 && objId < ObjCount() ? &FObjList[objId] : nullptr;
}

int TPresentation::AppendObj(const TDrawObj& obj) {
  FObjList.push_back(obj);
  FFirstPt.push_back(-1);
  FLastPt.push_back(-1);
  FPtCount.push_back(0);
  return ObjCount() - 1;
}

void TPresentation::AppendPoint(const TPoints& pt) {
  FPtList.push_back(pt);
  FNextPt.push_back(-1);
  LinkPoint(int32_t(FPtList.size() - 1));
}

void TPresentation::LinkPoint(int32_t index) {
  const int id = FPtList[size_t(index)].ObjId;
  if (id < 0 || id >= ObjCount()) return;
  if (FLastPt[id] < 0)
    FFirstPt[id] = index;
  else
    FNextPt[FLastPt[id]] = index;
  FLastPt[id] = index;
  ++FPtCount[id];
}

int TPresentation::SampleCount(int objId) const {
  return objId >= 0 && objId < ObjCount() ? FPtCount[objId] : 0;
}

void TPresentation::Clear() {
  FObjList.clear();
  FPtList.clear();
  FFirstPt.clear();
  FLastPt.clear();
  FPtCount.clear();
  FNextPt.clear();
  FObjList.reserve(kInitialObjects);
  FFirstPt.reserve(kInitialObjects);
  FLastPt.reserve(kInitialObjects);
  FPtCount.reserve(kInitialObjects);
  FPtList.reserve(kInitialPoints);
  FNextPt.reserve(kInitialPoints);
}

void TPresentation::Assign(std::vector<TDrawObj>&& objects, std::vector<TPoints>&& points) {
  FObjList = std::move(objects);
  FPtList = std::move(points);
  const size_t n = FObjList.size();
  FFirstPt.assign(n, -1);
  FLastPt.assign(n, -1);
  FPtCount.assign(n, 0);
  FNextPt.assign(FPtList.size(), -1);
  for (size_t i = 0; i < FPtList.size(); ++i) LinkPoint(int32_t(i));
  FObjList.reserve(std::max(FObjList.size() + kInitialObjects, FObjList.capacity()));
  FFirstPt.reserve(FObjList.capacity());
  FLastPt.reserve(FObjList.capacity());
  FPtCount.reserve(FObjList.capacity());
  FPtList.reserve(std::max(FPtList.size() + kInitialPoints, FPtList.capacity()));
  FNextPt.reserve(FPtList.capacity());
}

void TPresentation::Reserve(size_t objects, size_t points) {
  FObjList.reserve(objects);
  FFirstPt.reserve(objects);
  FLastPt.reserve(objects);
  FPtCount.reserve(objects);
  FPtList.reserve(points);
  FNextPt.reserve(points);
}

}  // namespace inkora
