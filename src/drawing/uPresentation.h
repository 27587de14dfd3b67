// The presentation model: every drawing object of the open project (ObjList),
// every stroke sample (PtList), and an index from ObjId to that stroke's samples.
#pragma once

#include "drawing/uTypes.h"

#include <QString>

#include <vector>

namespace inkora {

struct TProjectState {
  bool HasFile = false;
  QString ProjectPath;
  bool Modified = false;
};

class TPresentation {
 public:
  TPresentation();

  const std::vector<TDrawObj>& ObjList() const { return FObjList; }
  const std::vector<TPoints>& PtList() const { return FPtList; }
  int ObjCount() const { return int(FObjList.size()); }

  // The object with this ObjId (== its index); nullptr when out of range.
  TDrawObj* Obj(int objId);
  const TDrawObj* Obj(int objId) const;
  TDrawObj& Last() { return FObjList.back(); }

  // Appends an object; returns its index. The caller sets ObjId to ObjCount()
  // beforehand, so ObjId equals the index.
  int AppendObj(const TDrawObj& obj);

  // Appends a sample and links it into its stroke's chain. A sample whose ObjId
  // names no object is kept in PtList but belongs to no stroke.
  void AppendPoint(const TPoints& pt);

  // Samples of one stroke in list order, through the index (no PtList scan).
  int SampleCount(int objId) const;
  template <class F>
  void ForEachSample(int objId, F&& f) const {
    if (objId < 0 || objId >= int(FFirstPt.size())) return;
    for (int32_t i = FFirstPt[objId]; i >= 0; i = FNextPt[i]) f(FPtList[i]);
  }
  template <class F>
  void ForEachSampleMutable(int objId, F&& f) {
    if (objId < 0 || objId >= int(FFirstPt.size())) return;
    for (int32_t i = FFirstPt[objId]; i >= 0; i = FNextPt[i]) f(FPtList[i]);
  }

  // Empties both lists; only when a presentation is started or opened.
  void Clear();
  // Room for this many objects and samples, so loading does not regrow.
  void Reserve(size_t objects, size_t points);
  // Replaces both lists by these (a presentation just read) and indexes them
  // in one pass; room is left for drawing on without regrowing at once.
  void Assign(std::vector<TDrawObj>&& objects, std::vector<TPoints>&& points);

  TProjectState ProjectState;

 private:
  // Links sample `index` of PtList into its stroke's chain.
  void LinkPoint(int32_t index);

  std::vector<TDrawObj> FObjList;
  std::vector<TPoints> FPtList;
  // Per ObjId: first and last sample index (-1 when none) and sample count.
  std::vector<int32_t> FFirstPt, FLastPt, FPtCount;
  // Per PtList index: the next sample of the same stroke (-1 at the end).
  std::vector<int32_t> FNextPt;
};

}  // namespace inkora
