// SIGTERM and SIGINT end the program through the same orderly path as closing
// the board: the handler only writes a byte to a pipe that the event loop reads.
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace inkora {

class TTerminationSignals final : public QObject {
  Q_OBJECT
 public:
  // onSignal runs on the event loop's thread when SIGTERM or SIGINT arrives.
  explicit TTerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
  ~TTerminationSignals() override;

 private:
  std::function<void()> FOnSignal;
  QSocketNotifier* FNotifier = nullptr;
};

}  // namespace inkora
