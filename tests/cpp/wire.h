// Helpers shared by the C++ suites: wire bytes written as hex text.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

#include <google/protobuf/message.h>

namespace skelvar_test {

// "0A 01 61" -> the three bytes; spaces are ignored.
inline std::string Bytes(std::string_view hex) {
  std::string out;
  int half = -1;
  for (char c : hex) {
    if (c == ' ') continue;
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else throw std::invalid_argument("not a hex digit");
    if (half < 0) {
      half = v;
    } else {
      out.push_back(static_cast<char>(half << 4 | v));
      half = -1;
    }
  }
  if (half >= 0) throw std::invalid_argument("odd number of hex digits");
  return out;
}

// The bytes as upper-case hex pairs separated by single spaces.
inline std::string Hex(std::string_view bytes) {
  std::string out;
  char buf[4];
  for (unsigned char c : bytes) {
    std::snprintf(buf, sizeof buf, out.empty() ? "%02X" : " %02X", c);
    out += buf;
  }
  return out;
}

// The message written with SerializePartialToString, as hex.
inline std::string Wire(const google::protobuf::Message& m) {
  return Hex(m.SerializePartialAsString());
}

// Parses hex into a fresh message of type M; fails the test's expectation
// through the returned flag.
template <class M>
bool ParseHex(std::string_view hex, M* m) {
  return m->ParsePartialFromString(Bytes(hex));
}

}  // namespace skelvar_test
