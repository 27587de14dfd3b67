// The stylus packets queued since the last pointer event, as a tablet driver
// delivers them: one normal pressure per packet, 0..MaxPressure.
#pragma once

#include <cstdint>

namespace inkora {

struct TTabletPacket {
  uint32_t Pressure = 0;
};

inline constexpr int kMaxTabletPackets = 32;

class ITabletPackets {
 public:
  virtual ~ITabletPackets() = default;
  // Moves up to max queued packets, oldest first, into buffer; returns how many.
  virtual int PollPackets(TTabletPacket* buffer, int max) = 0;
  virtual uint32_t MaxPressure() const = 0;
};

}  // namespace inkora
