// The stylus packet queue: Qt tablet events of a pen in contact become packets
// with a normal pressure of 0..1024, which the brush pen polls per pointer event.
#pragma once

#include "drawing/uTabletPackets.h"

#include <array>

class QTabletEvent;

namespace inkora {

class TTabletPen final : public ITabletPackets {
 public:
  static constexpr uint32_t kMaxPressure = 1024;

  // Queues a packet for a pen touching the surface; hover is not queued.
  // Returns true when a packet was queued.
  bool HandleTabletEvent(const QTabletEvent& event);
  void Push(uint32_t pressure);
  void Clear() { FCount = 0; FHead = 0; }
  int Pending() const { return FCount; }

  int PollPackets(TTabletPacket* buffer, int max) override;
  uint32_t MaxPressure() const override { return kMaxPressure; }

 private:
  // Packets not yet polled; the oldest are dropped when a reader falls behind.
  static constexpr int kCapacity = 128;
  std::array<TTabletPacket, kCapacity> FQueue{};
  int FHead = 0;
  int FCount = 0;
};

}  // namespace inkora
