#include "platform/bluetooth/bus_connection.h"

#include <poll.h>

#include <cstdint>

namespace zt {

namespace {

constexpr const char* kSubject = "system bus";

struct PendingCall {
  RunLoop* loop;
  BusConnection::ReplyHandler handler;
};

int onReply(sd_bus_message* reply, void* userdata, sd_bus_error* /*unused*/) {
  const auto& pending = *static_cast<PendingCall*>(userdata);
  pending.handler(reply, sd_bus_message_get_error(reply));
  return 1;
}

// A call's slot is freed inside sd-bus's processing: what its handler holds goes later.
void onCallSlotFreed(void* userdata) {
  auto held = std::shared_ptr<PendingCall>(static_cast<PendingCall*>(userdata));
  RunLoop* loop = held->loop;
  loop->post([held] {});
}

int onSignal(sd_bus_message* message, void* userdata, sd_bus_error* /*unused*/) {
  (*static_cast<BusConnection::MessageHandler*>(userdata))(*message);
  return 0;  // other matches may want it too
}

int onMethod(sd_bus_message* message, void* userdata, sd_bus_error* /*unused*/) {
  (*static_cast<BusConnection::MessageHandler*>(userdata))(*message);
  return 1;
}

std::uint64_t monotonicMicroseconds() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

}  // namespace

PlatformResult<std::unique_ptr<BusConnection>> BusConnection::open(
    RunLoop& loop, std::chrono::milliseconds callTimeout) {
  sd_bus* bus = nullptr;
  if (const int r = sd_bus_open_system_with_description(&bus, "zemra-telvo-bluetooth"); r < 0) {
    return systemError(-r, kSubject);
  }
  const int timeoutSet = sd_bus_set_method_call_timeout(
      bus, static_cast<std::uint64_t>(callTimeout.count()) * 1000);
  const int fd = sd_bus_get_fd(bus);
  if (timeoutSet < 0 || fd < 0) {
    sd_bus_close_unref(bus);
    return systemError(-(timeoutSet < 0 ? timeoutSet : fd), kSubject);
  }
  return std::unique_ptr<BusConnection>(new BusConnection(loop, bus));
}

BusConnection::BusConnection(RunLoop& loop, sd_bus* bus) : loop_(loop), bus_(bus) {
  watch_ = loop_.watch(sd_bus_get_fd(bus_), POLLIN, [this](short /*revents*/) { pump(); });
  schedulePump();
}

BusConnection::~BusConnection() {
  loop_.cancel(timer_);
  if (watch_ != 0) loop_.unwatch(watch_);
  for (sd_bus_slot* slot : slots_) sd_bus_slot_unref(slot);
  sd_bus_close_unref(bus_);
}

void BusConnection::call(BusMessage call, ReplyHandler reply, std::chrono::milliseconds timeout) {
  auto pending = std::make_unique<PendingCall>(PendingCall{&loop_, std::move(reply)});
  sd_bus_slot* slot = nullptr;
  const auto usec = static_cast<std::uint64_t>(timeout.count()) * 1000;  // 0: the default
  const int sent = broken_ || !call ? -ENOTCONN
                                     : sd_bus_call_async(bus_, &slot, call.get(), onReply,
                                                         pending.get(), usec);
  if (sent < 0) {
    loop_.post([held = std::shared_ptr<PendingCall>(std::move(pending)), sent] {
      sd_bus_error error = SD_BUS_ERROR_NULL;
      sd_bus_error_set_errno(&error, sent);
      held->handler(nullptr, &error);
      sd_bus_error_free(&error);
    });
    return;
  }
  sd_bus_slot_set_destroy_callback(slot, onCallSlotFreed);
  static_cast<void>(pending.release());  // the slot owns it now: freed with it
  sd_bus_slot_set_floating(slot, 1);
  sd_bus_slot_unref(slot);
  schedulePump();
}

PlatformError BusConnection::match(const std::string& rule, MessageHandler handler) {
  auto held = std::make_unique<MessageHandler>(std::move(handler));
  sd_bus_slot* slot = nullptr;
  const int r = sd_bus_add_match_async(bus_, &slot, rule.c_str(), onSignal, nullptr, held.get());
  if (r < 0) return systemError(-r, kSubject);
  keep(slot, std::move(held));
  return {};
}

PlatformError BusConnection::serve(const char* path, MessageHandler handler) {
  auto held = std::make_unique<MessageHandler>(std::move(handler));
  sd_bus_slot* slot = nullptr;
  const int r = sd_bus_add_object(bus_, &slot, path, onMethod, held.get());
  if (r < 0) return systemError(-r, kSubject);
  keep(slot, std::move(held));
  return {};
}

void BusConnection::keep(sd_bus_slot* slot, std::unique_ptr<MessageHandler> handler) {
  slots_.push_back(slot);
  handlers_.push_back(std::move(handler));
  schedulePump();
}

void BusConnection::pump() {
  if (broken_) return;
  for (;;) {
    const int processed = sd_bus_process(bus_, nullptr);
    if (processed < 0) return breakOff(-processed);
    if (processed == 0) break;
  }
  rearm();
}

void BusConnection::schedulePump() {
  if (pumpPosted_) return;
  pumpPosted_ = true;
  loop_.post([this, alive = std::weak_ptr<bool>(alive_)] {
    if (!alive.lock()) return;
    pumpPosted_ = false;
    pump();
  });
}

void BusConnection::rearm() {
  const int events = sd_bus_get_events(bus_);
  if (events < 0) return breakOff(-events);
  loop_.setEvents(watch_, static_cast<short>(events));
  loop_.cancel(timer_);
  timer_ = 0;
  std::uint64_t deadline = 0;
  if (sd_bus_get_timeout(bus_, &deadline) < 0 || deadline == UINT64_MAX) return;
  const std::uint64_t now = monotonicMicroseconds();
  const double seconds = deadline > now ? static_cast<double>(deadline - now) / 1e6 : 0.0;
  timer_ = loop_.after(seconds, [this] {
    timer_ = 0;
    pump();
  });
}

void BusConnection::breakOff(int error) {
  broken_ = true;
  loop_.cancel(timer_);
  timer_ = 0;
  loop_.unwatch(watch_);
  watch_ = 0;
  loop_.post([this, alive = std::weak_ptr<bool>(alive_), error] {
    if (!alive.lock() || !lost_) return;
    const auto handler = lost_;  // the handler may end this connection
    handler(systemError(error, kSubject));
  });
}

}  // namespace zt
