#include "overlay/uTablet.h"

#include <QTabletEvent>

#include <algorithm>
#include <cmath>

namespace inkora {

bool TTabletPen::HandleTabletEvent(const QTabletEvent& event) {
  switch (event.type()) {
    case QEvent::TabletPress:
    case QEvent::TabletMove:
      if (event.type() == QEvent::TabletMove && !(event.buttons() & Qt::LeftButton)) return false;
      Push(uint32_t(std::lround(std::clamp(event.pressure(), 0.0, 1.0) * kMaxPressure)));
      return true;
    default:
      return false;
  }
}

void TTabletPen::Push(uint32_t pressure) {
  if (FCount == kCapacity) {  // drop the oldest
    FHead = (FHead + 1) % kCapacity;
    --FCount;
  }
  FQueue[(FHead + FCount) % kCapacity].Pressure = std::min(pressure, kMaxPressure);
  ++FCount;
}

int TTabletPen::PollPackets(TTabletPacket* buffer, int max) {
  const int n = std::min(max, FCount);
  for (int i = 0; i < n; ++i) buffer[i] = FQueue[(FHead + i) % kCapacity];
  FHead = (FHead + n) % kCapacity;
  FCount -= n;
  return n;
}

}  // namespace inkora
