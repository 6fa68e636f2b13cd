#pragma once
// EventConnection: keeps an event sink attached to its source; destroying or disconnecting it
// detaches the sink, as releasing a COM event sink does.

#include <functional>
#include <utility>

namespace kx::host {

class EventConnection {
 public:
  EventConnection() = default;
  explicit EventConnection(std::function<void()> detach) : detach_(std::move(detach)) {}
  EventConnection(EventConnection&& other) noexcept : detach_(std::exchange(other.detach_, {})) {}
  EventConnection& operator=(EventConnection&& other) noexcept {
    if (this != &other) {
      Disconnect();
      detach_ = std::exchange(other.detach_, {});
    }
    return *this;
  }
  EventConnection(const EventConnection&) = delete;
  EventConnection& operator=(const EventConnection&) = delete;
  ~EventConnection() { Disconnect(); }

  bool connected() const { return static_cast<bool>(detach_); }
  void Disconnect() {
    if (auto detach = std::exchange(detach_, {})) detach();
  }

 private:
  std::function<void()> detach_;
};

}  // namespace kx::host
