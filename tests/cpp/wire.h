// Helpers shared by the C++ suites: wire bytes written as hex text, and one
// runner for tables of wire facts.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include <google/protobuf/descriptor.h>
#include <google/protobuf/message.h>
#include <gtest/gtest.h>

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

// A new message of the type registered under `full_name`; nullptr if the
// generated pool has no such type.
inline std::unique_ptr<google::protobuf::Message> NewMessage(const std::string& full_name) {
  const google::protobuf::Descriptor* d =
      google::protobuf::DescriptorPool::generated_pool()->FindMessageTypeByName(full_name);
  if (d == nullptr) return nullptr;
  return std::unique_ptr<google::protobuf::Message>(
      google::protobuf::MessageFactory::generated_factory()->GetPrototype(d)->New());
}

// As `out` of a WireCase: the input must fail to parse.
inline constexpr char kFails[] = "fails";

// One wire fact: `in` parsed into a fresh message of `type`, then
//   out      what writing it gives back ("=": the input unchanged; kFails: the
//            parse fails and nothing else is checked),
//   init     whether it is initialised,
//   missing  its InitializationErrorString() (nullptr: not checked).
// The runner also checks that ByteSizeLong() is the size written.
struct WireCase {
  const char* type;
  const char* in;
  const char* out;
  bool init;
  const char* missing = nullptr;
};

// Runs the cases; a type is a full name, or relative to `package` when that
// is not empty.
inline void CheckWire(std::string_view package, const WireCase* cases, std::size_t n) {
  for (const WireCase* c = cases; c != cases + n; ++c) {
    const std::string type = package.empty() ? std::string(c->type)
                                             : std::string(package) + "." + c->type;
    SCOPED_TRACE(type + " <- " + c->in);
    std::unique_ptr<google::protobuf::Message> m = NewMessage(type);
    if (m == nullptr) {
      ADD_FAILURE() << "no such type";
      continue;
    }
    const bool parsed = m->ParsePartialFromString(Bytes(c->in));
    if (std::string_view(c->out) == kFails) {
      EXPECT_FALSE(parsed);
      continue;
    }
    if (!parsed) {
      ADD_FAILURE() << "parse failed";
      continue;
    }
    const std::string out = Bytes(std::string_view(c->out) == "=" ? c->in : c->out);
    EXPECT_EQ(Wire(*m), Hex(out));
    EXPECT_EQ(m->ByteSizeLong(), out.size());
    EXPECT_EQ(m->IsInitialized(), c->init);
    if (c->missing != nullptr) EXPECT_EQ(m->InitializationErrorString(), c->missing);
  }
}

// Takes a table, or the rows in braces.
template <std::size_t N>
void CheckWire(std::string_view package, const WireCase (&cases)[N]) {
  CheckWire(package, cases, N);
}

}  // namespace skelvar_test
