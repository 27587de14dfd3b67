#include "overlay/uTablet.h"

#include <QPointingDevice>
#include <QTabletEvent>

#include <gtest/gtest.h>

namespace inkora {
namespace {

QTabletEvent tabletEvent(QEvent::Type type, qreal pressure, Qt::MouseButtons buttons) {
  static const QPointingDevice stylus("test stylus", 42, QInputDevice::DeviceType::Stylus,
                                      QPointingDevice::PointerType::Pen,
                                      QInputDevice::Capability::Position |
                                          QInputDevice::Capability::Pressure,
                                      1, 3);
  const Qt::MouseButton button = type == QEvent::TabletMove ? Qt::NoButton : Qt::LeftButton;
  return QTabletEvent(type, &stylus, QPointF(10, 10), QPointF(10, 10), pressure, 0, 0, 0, 0, 0,
                      Qt::NoModifier, button, buttons);
}

TEST(TabletPen, QueuesContactPressureScaledTo1024) {
  TTabletPen pen;
  EXPECT_TRUE(pen.HandleTabletEvent(tabletEvent(QEvent::TabletPress, 0.5, Qt::LeftButton)));
  EXPECT_TRUE(pen.HandleTabletEvent(tabletEvent(QEvent::TabletMove, 1.0, Qt::LeftButton)));
  EXPECT_FALSE(pen.HandleTabletEvent(tabletEvent(QEvent::TabletMove, 0.0, Qt::NoButton)));  // hover

  TTabletPacket buf[kMaxTabletPackets];
  ASSERT_EQ(pen.PollPackets(buf, kMaxTabletPackets), 2);
  EXPECT_EQ(buf[0].Pressure, 512u);
  EXPECT_EQ(buf[1].Pressure, 1024u);
  EXPECT_EQ(pen.PollPackets(buf, kMaxTabletPackets), 0);
  EXPECT_EQ(pen.MaxPressure(), 1024u);
}

TEST(TabletPen, HandsOutAtMostTheAskedNumberOldestFirstAndDropsTheOldestWhenFull) {
  TTabletPen pen;
  for (uint32_t i = 0; i < 200; ++i) pen.Push(i);
  EXPECT_EQ(pen.Pending(), 128);
  TTabletPacket buf[kMaxTabletPackets];
  ASSERT_EQ(pen.PollPackets(buf, kMaxTabletPackets), 32);
  EXPECT_EQ(buf[0].Pressure, 72u);
  EXPECT_EQ(buf[31].Pressure, 103u);
  EXPECT_EQ(pen.Pending(), 96);
  pen.Push(5000);  // out of range pressure is held at full
  pen.Clear();
  EXPECT_EQ(pen.PollPackets(buf, kMaxTabletPackets), 0);
}

}  // namespace
}  // namespace inkora
