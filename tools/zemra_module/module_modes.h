// What the module does with the bytes of one connection: echo them, count them, or open them
// as Quorvel packets and answer each plaintext enciphered.
//
// A Responder takes each chunk read from a connection and returns the bytes to send back. In
// the Quorvel mode the bytes are collected until they are found to be whole packets
// (QuorvelCollector); bytes that wait are settled once the connection has been quiet for a
// moment (quiet()). Single-threaded.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "module_options.h"

namespace zt {

class Responder {
 public:
  virtual ~Responder() = default;
  virtual std::vector<std::uint8_t> respond(const std::uint8_t* data, std::size_t length) = 0;
  // Whether received bytes wait for more, or for quiet on the connection.
  virtual bool waiting() const { return false; }
  // Nothing more came for a moment: the answer to what waits.
  virtual std::vector<std::uint8_t> quiet() { return {}; }
};

// What every sink responder of this process received, and when the first and the last bytes came.
struct SinkTally {
  std::uint64_t bytes = 0;
  std::chrono::steady_clock::time_point first;
  std::chrono::steady_clock::time_point last;
};
SinkTally sinkTally();

// `lines` is where the Quorvel mode prints plaintexts. The Quorvel key must be in force.
std::unique_ptr<Responder> makeResponder(ModuleMode mode, std::FILE* lines);

}  // namespace zt
