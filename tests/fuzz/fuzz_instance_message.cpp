// Fuzz target for the reader of the single-instance socket's lines: any bytes
// must decode without a fault; what is accepted fits the limits and encodes
// again to a line that decodes to the same message.
#include "shell/uSingleInstance.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArrayView line(reinterpret_cast<const char*>(data), qsizetype(size));
  const std::optional<inkora::TInstanceMessage> message = inkora::DecodeInstanceMessage(line);
  if (!message) return 0;

  Check(size <= size_t(inkora::kInstanceMaxLine) + 1);
  Check(std::memchr(data, 0, size) == nullptr);
  Check(message->Restore || message->Code == inkora::kInstanceOpenFile ||
        message->Code == inkora::kInstancePrintedDocument);
  Check(message->Path.isEmpty() || message->Path.startsWith(QLatin1Char('/')));
  Check(message->Path.toUtf8().size() <= inkora::kInstanceMaxPath);

  const QByteArray again = inkora::EncodeInstanceMessage(*message);
  Check(!again.isEmpty() && again.size() <= inkora::kInstanceMaxLine && !again.contains('\n'));
  Check(inkora::DecodeInstanceMessage(again) == message);
  return 0;
}
