// BusConnection: one connection to the D-Bus system bus (DBUS_SYSTEM_BUS_ADDRESS honoured),
// driven by a run loop: its descriptor is watched for the events sd-bus asks for, a timer follows
// sd-bus's next deadline, and each wake-up processes messages until none is left. Nothing
// blocks: every method call is asynchronous and has a timeout.
//
// Handlers run inside that processing, so they must not destroy the connection (post to the
// loop what may); what a call's handler captured is released on a later pass of the loop.
// When the connection breaks, pending calls get an error answer, then the lost handler runs
// once, on a later pass, with the failure named "system bus". Loop thread only.
#pragma once

#include <systemd/sd-bus.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/platform_error.h"
#include "platform/runloop/run_loop.h"

namespace zt {

struct MessageUnref {
  void operator()(sd_bus_message* m) const { sd_bus_message_unref(m); }
};
using BusMessage = std::unique_ptr<sd_bus_message, MessageUnref>;

class BusConnection {
 public:
  // A call's answer: `error` is null for a plain answer; `reply` is null when the call could
  // not even be sent.
  using ReplyHandler = std::function<void(sd_bus_message* reply, const sd_bus_error* error)>;
  // A signal, or a method call made to a served object (the handler replies to it).
  using MessageHandler = std::function<void(sd_bus_message& message)>;

  // Opens the bus, or says why it cannot be reached. Calls without a timeout of their own get
  // `callTimeout`.
  static PlatformResult<std::unique_ptr<BusConnection>> open(RunLoop& loop,
                                                             std::chrono::milliseconds callTimeout);
  ~BusConnection();
  BusConnection(const BusConnection&) = delete;
  BusConnection& operator=(const BusConnection&) = delete;

  // A method call with `types` and `args` appended as sd_bus_message_append takes them; null
  // when it cannot be made (the connection has broken), which call() answers with an error.
  template <typename... Args>
  BusMessage newCall(const char* destination, const char* path, const char* interface,
                     const char* member, const char* types = "", Args... args) {
    sd_bus_message* message = nullptr;
    if (sd_bus_message_new_method_call(bus_, &message, destination, path, interface, member) < 0) {
      return {};
    }
    BusMessage call(message);
    if (sd_bus_message_append(message, types, args...) < 0) return {};
    return call;
  }
  void call(BusMessage call, ReplyHandler reply, std::chrono::milliseconds timeout = {});
  // Follows the signals that match `rule` (the broker's match syntax), unless the rule cannot
  // be sent.
  PlatformError match(const std::string& rule, MessageHandler handler);
  // Serves the object at `path`: `handler` gets every method call made to it, unless the
  // connection cannot take it.
  PlatformError serve(const char* path, MessageHandler handler);
  using LostHandler = std::function<void(const PlatformError& error)>;
  void setLostHandler(LostHandler handler) { lost_ = std::move(handler); }

 private:
  BusConnection(RunLoop& loop, sd_bus* bus);
  void pump();
  void schedulePump();
  void rearm();
  void breakOff(int error);
  void keep(sd_bus_slot* slot, std::unique_ptr<MessageHandler> handler);

  RunLoop& loop_;
  sd_bus* bus_ = nullptr;
  RunLoop::Id watch_ = 0;
  RunLoop::Id timer_ = 0;
  bool pumpPosted_ = false;
  bool broken_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  LostHandler lost_;
  std::vector<sd_bus_slot*> slots_;
  std::vector<std::unique_ptr<MessageHandler>> handlers_;  // the userdata of slots_
};

}  // namespace zt
