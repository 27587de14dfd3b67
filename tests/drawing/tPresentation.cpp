#include "drawing/uPresentation.h"

#include <gtest/gtest.h>

namespace inkora {
namespace {

TDrawObj strokeWithId(int id) {
  TDrawObj o;
  o.ObjId = id;
  o.Kind = okFreePen;
  return o;
}

TPoints sample(int objId, int x) {
  TPoints p;
  p.ObjId = objId;
  p.Pt = QPoint(x, 0);
  return p;
}

std::vector<int> xsOf(const TPresentation& m, int id) {
  std::vector<int> xs;
  m.ForEachSample(id, [&](const TPoints& p) { xs.push_back(p.Pt.x()); });
  return xs;
}

TEST(Presentation, IndexFindsEachStrokesSamplesInListOrder) {
  TPresentation m;
  m.AppendObj(strokeWithId(0));
  m.AppendObj(strokeWithId(1));
  m.AppendObj(strokeWithId(2));  // a stroke without samples
  // Interleaved, as a loaded or pasted project may have them.
  for (int x : {1, 2}) m.AppendPoint(sample(0, x));
  for (int x : {10, 11}) m.AppendPoint(sample(1, x));
  m.AppendPoint(sample(0, 3));
  m.AppendPoint(sample(7, 99));  // names no object: kept, belongs to none
  m.AppendPoint(sample(1, 12));

  EXPECT_EQ(xsOf(m, 0), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(xsOf(m, 1), (std::vector<int>{10, 11, 12}));
  EXPECT_TRUE(xsOf(m, 2).empty());
  EXPECT_TRUE(xsOf(m, 7).empty());
  EXPECT_TRUE(xsOf(m, -1).empty());
  EXPECT_EQ(m.SampleCount(0), 3);
  EXPECT_EQ(m.SampleCount(7), 0);
  EXPECT_EQ(m.PtList().size(), 7u);
  EXPECT_EQ(m.Obj(3), nullptr);
  ASSERT_NE(m.Obj(1), nullptr);
  EXPECT_EQ(m.Obj(1)->ObjId, 1);

  // An object appended later starts its own chain.
  m.AppendObj(strokeWithId(3));
  m.AppendPoint(sample(3, 40));
  EXPECT_EQ(xsOf(m, 3), (std::vector<int>{40}));

  m.Clear();
  EXPECT_EQ(m.ObjCount(), 0);
  EXPECT_TRUE(m.PtList().empty());
  EXPECT_TRUE(xsOf(m, 0).empty());
}

}  // namespace
}  // namespace inkora
