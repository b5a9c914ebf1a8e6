// PlatformError: how every part of the platform layer reports a failure, and PlatformResult, a
// value or the failure that kept it from being made.
//
// The rule of the layer:
// - A failure is a PlatformError: the std::error_code of what went wrong, the subject it
//   happened to (a device path as given, "host:port", a Bluetooth device's name, or the system
//   call when there is nothing better), and, only where the system's words would not tell a
//   person enough, a sentence of our own (`detail`). message() is what a person reads:
//   "SUBJECT: reason".
// - An operation that can fail returns PlatformError (empty when it did not fail) or
//   PlatformResult<T>; a callback that ends an attempt gets one; a stream that failed keeps it
//   (streamError()); a constructor that cannot make its object whole leaves it failed and says
//   why in the same way (RunLoop::createMain, OutputStream's streamError()). Nothing in the
//   layer throws for a failure of the system, and no errno is dropped on its way up.
// - Outside the rule: a programming error (a loop used off its thread, the shared accessory
//   manager used before it is made) stops the process with a message; the command line's bad
//   values (external_accessory/options.h) are usage errors, thrown as std::invalid_argument
//   like the program's own, which answers them with one line and exit status 2.
//
// Plain values; any thread.
#pragma once

#include <string>
#include <system_error>
#include <utility>
#include <variant>

namespace zt {

struct [[nodiscard]] PlatformError {
  std::error_code code;
  std::string subject;
  std::string detail;  // replaces "SUBJECT: reason" when set

  // True when there is a failure.
  explicit operator bool() const { return static_cast<bool>(code); }
  std::string message() const;
};

// The errno value `error` of `subject`.
PlatformError systemError(int error, std::string subject);

template <typename T>
class [[nodiscard]] PlatformResult {
 public:
  // Implicit, so that an operation returns its value or its error as it is.
  // cppcheck-suppress noExplicitConstructor
  PlatformResult(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  // cppcheck-suppress noExplicitConstructor
  PlatformResult(PlatformError error) : state_(std::in_place_index<1>, std::move(error)) {}

  // True when it holds the value.
  explicit operator bool() const { return state_.index() == 0; }
  T& operator*() { return std::get<0>(state_); }
  const T& operator*() const { return std::get<0>(state_); }
  T* operator->() { return &std::get<0>(state_); }
  // The failure; empty when it holds the value.
  PlatformError error() const { return state_.index() == 1 ? std::get<1>(state_) : PlatformError{}; }

 private:
  std::variant<T, PlatformError> state_;
};

}  // namespace zt
