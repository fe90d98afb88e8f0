// Wire facts of the message class frame and the common types: exact bytes,
// unknown fields, required fields, Swap/Clear, and thread-safe first use of
// reflection.
#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <google/protobuf/descriptor.h>
#include <google/protobuf/io/coded_stream.h>
#include <google/protobuf/message.h>
#include <gtest/gtest.h>

#include "appliance_protocol/qxprotobuf/frontend_command.pb.h"
#include "appliance_protocol/qxprotobuf/net.pb.h"
#include "appliance_protocol/sensor/common.pb.h"
#include "wire.h"

namespace {

using google::protobuf::Message;
using skelvar_test::Bytes;
using skelvar_test::ParseHex;
using skelvar_test::Wire;
namespace fc = appliance_protocol::qxprotobuf::frontend_command;
namespace net = appliance_protocol::qxprotobuf::net;
namespace common = appliance_protocol::sensor::common;

std::unique_ptr<Message> NewByName(const std::string& name) {
  auto* d = google::protobuf::DescriptorPool::generated_pool()->FindMessageTypeByName(name);
  if (d == nullptr) return nullptr;
  return std::unique_ptr<Message>(
      google::protobuf::MessageFactory::generated_factory()->GetPrototype(d)->New());
}

// Runs first, before anything else in this program touches reflection: eight
// threads ask for descriptors of different types of one file at once.
TEST(FrameReflection, ConcurrentFirstDescriptorOfOneFile) {
  using Get = const google::protobuf::Descriptor* (*)();
  const Get getters[] = {
      &common::SensorID::descriptor,    &common::SensorHost::descriptor,
      &common::IPAddress::descriptor,   &common::Host::descriptor,
      &common::NetworkConnection::descriptor, &common::WebRequest::descriptor,
      &common::MailMessage::descriptor, &common::SpfCheck::descriptor};
  std::atomic<bool> go{false};
  std::vector<const google::protobuf::Descriptor*> got(8);
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&, i] {
      while (!go.load()) std::this_thread::yield();
      got[i] = getters[i]();
    });
  go = true;
  for (auto& t : threads) t.join();
  std::set<std::string> names;
  for (int i = 0; i < 8; ++i) {
    ASSERT_NE(got[i], nullptr);
    EXPECT_EQ(got[i], getters[i]());  // built once, never rebuilt
    EXPECT_EQ(got[i]->file()->name(), "appliance_protocol/sensor/common.proto");
    names.insert(got[i]->full_name());
  }
  EXPECT_EQ(names.size(), 8u);
  EXPECT_EQ(common::TransportProtocol_descriptor()->value(0)->number(), -1);
}

// A type, input bytes, whether parsing succeeds, whether the result is
// initialised, and what it writes back.
struct WireCase {
  const char* type;
  const char* in;
  bool parses;
  bool initialized;
  const char* out;
};

#define HOST_V4 "0A 04 08 04 12 00"  // Host{ip_address{V4, ""}}

const WireCase kWire[] = {
    {"appliance_protocol.qxprotobuf.frontend_command.FrontendCommand",
     "0A 01 61 12 01 62 1D 01 00 00 00", true, true, "0A 01 61 12 01 62 1D 01 00 00 00"},
    // Fields arrive in any order and are written in number order.
    {"appliance_protocol.qxprotobuf.frontend_command.FrontendCommand",
     "1D 01 00 00 00 12 01 62 0A 01 61", true, true, "0A 01 61 12 01 62 1D 01 00 00 00"},
    // A string sent twice keeps the last; a sub-message sent twice merges.
    {"appliance_protocol.qxprotobuf.frontend_command.FrontendCommand",
     "0A 01 61 0A 01 63", true, false, "0A 01 63"},
    {"appliance_protocol.qxprotobuf.frontend_command.FrontendCommand",
     "22 03 0A 01 70 22 03 22 01 42", true, false, "22 06 0A 01 70 22 01 42"},
    // Field 3 as a varint is an unknown field, written after field 4; unknown
    // numbers keep their arrival order.
    {"appliance_protocol.qxprotobuf.frontend_command.FrontendCommand",
     "18 07 22 00", true, false, "22 00 18 07"},
    {"appliance_protocol.qxprotobuf.frontend_command.FrontendCommand",
     "2A 00 0A 01 61 30 05", true, false, "0A 01 61 2A 00 30 05"},
    {"appliance_protocol.qxprotobuf.frontend_command.FrontendCommand", "", true, false, ""},
    // Malformed input: fixed32 cut short, sub-message overrunning its input,
    // truncated varint, sub-message overrunning its own limit.
    {"appliance_protocol.qxprotobuf.frontend_command.FrontendCommand", "1D 01 00 00", false, false, ""},
    {"appliance_protocol.qxprotobuf.frontend_command.FrontendCommand", "22 05 0A 01 61", false, false, ""},
    {"appliance_protocol.sensor.heartbeat.Heartbeat", "0D 01 00 00 00 10 FF", false, false, ""},
    {"appliance_protocol.sensor.common.Host", "0A 02 0A 05", false, false, ""},
    // The appliance's IPAddress: an invalid version stays unknown.
    {"appliance_protocol.qxprotobuf.net.IPAddress", "08 06 12 00", true, true, "08 06 12 00"},
    {"appliance_protocol.qxprotobuf.net.IPAddress", "08 05 12 00", true, false, "12 00 08 05"},
    // Heartbeat offsets are zigzag: -1 -> 01, 1 -> 02, an explicit 0 is written.
    {"appliance_protocol.sensor.heartbeat.Heartbeat", "0D 01 00 00 00 10 01", true, true, "0D 01 00 00 00 10 01"},
    {"appliance_protocol.sensor.heartbeat.Heartbeat", "0D 01 00 00 00 10 02", true, true, "0D 01 00 00 00 10 02"},
    {"appliance_protocol.sensor.heartbeat.Heartbeat", "0D 01 00 00 00 10 00", true, true, "0D 01 00 00 00 10 00"},
    // TransportProtocol UNKNOWN (-1) is ten bytes; the five-byte form reads the same.
    {"appliance_protocol.sensor.common.NetworkConnection",
     "08 FF FF FF FF FF FF FF FF FF 01 12 06 " HOST_V4 " 22 06 " HOST_V4, true, true,
     "08 FF FF FF FF FF FF FF FF FF 01 12 06 " HOST_V4 " 22 06 " HOST_V4},
    {"appliance_protocol.sensor.common.NetworkConnection",
     "08 FF FF FF FF 0F 12 06 " HOST_V4 " 22 06 " HOST_V4, true, true,
     "08 FF FF FF FF FF FF FF FF FF 01 12 06 " HOST_V4 " 22 06 " HOST_V4},
    {"appliance_protocol.sensor.common.NetworkConnection",
     "08 00 12 06 " HOST_V4 " 22 06 " HOST_V4, true, false,
     "12 06 " HOST_V4 " 22 06 " HOST_V4 " 08 00"},
    {"appliance_protocol.sensor.common.IPAddress", "08 05 12 00", true, false, "12 00 08 05"},
    {"appliance_protocol.sensor.common.Hash", "08 03 12 00", true, false, "12 00 08 03"},
    {"appliance_protocol.sensor.common.WebRequest", "10 0A 0A 02 0A 00", true, true, "0A 02 0A 00 10 0A"},
    {"appliance_protocol.sensor.common.Timespan", "15 02 00 00 00", true, false, "15 02 00 00 00"},
    // MailMessage declares mailbox_id (9) second but writes it after field 1..8.
    {"appliance_protocol.sensor.common.MailMessage", "4A 01 62 0A 01 61", true, true, "0A 01 61 4A 01 62"},
    {"appliance_protocol.sensor.common.SensorApplication", "08 63 10 01 18 02 20 03", true, true,
     "08 63 10 01 18 02 20 03"},
};

TEST(FrameWire, ParseCheckAndRewrite) {
  for (const auto& c : kWire) {
    SCOPED_TRACE(std::string(c.type) + " <- " + c.in);
    auto m = NewByName(c.type);
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(ParseHex(c.in, m.get()), c.parses);
    if (!c.parses) continue;
    EXPECT_EQ(m->IsInitialized(), c.initialized);
    EXPECT_EQ(Wire(*m), c.out);
    EXPECT_EQ(m->ByteSizeLong(), Bytes(c.out).size());
  }
}

// A type, input bytes, and the runtime's list of missing required fields.
struct MissingCase {
  const char* type;
  const char* in;
  const char* missing;
};

const MissingCase kMissing[] = {
    {"appliance_protocol.qxprotobuf.frontend_command.FrontendCommand", "",
     "source_host, command_uuid, utc_timestamp_published"},
    {"appliance_protocol.qxprotobuf.frontend_command.FrontendCommand",
     "0A 01 61 12 01 62 1D 01 00 00 00 22 03 0A 01 70", "nginx_push.body"},
    {"appliance_protocol.qxprotobuf.net.IPAddress", "08 05 12 00", "type"},
    {"appliance_protocol.qxprotobuf.integration.IntegrationTool", "0A 01 76 1A 01 31", "tool_name"},
    {"appliance_protocol.sensor.heartbeat.Heartbeat", "10 01", "timestamp"},
    {"appliance_protocol.sensor.common.SensorID", "0A 01 61", "sensor_key"},
    {"appliance_protocol.sensor.common.SensorHost", "12 02 08 04", "internal_address.address"},
    {"appliance_protocol.sensor.common.Host", "0A 02 08 04", "ip_address.address"},
    {"appliance_protocol.sensor.common.WebRequest", "0A 02 0A 00 9A 01 03 0A 01 78",
     "response_headers[0].value"},
    {"appliance_protocol.sensor.common.MailMessage", "0A 01 6D 82 01 03 0A 01 72 82 01 00",
     "received[1].unparsed"},
    {"appliance_protocol.sensor.common.SpfCheck", "08 01 12 01 73 1A 02 08 04",
     "mail_server_ip.address"},
};

TEST(FrameRequired, NamedByInitializationErrorString) {
  for (const auto& c : kMissing) {
    SCOPED_TRACE(std::string(c.type) + " <- " + c.in);
    auto m = NewByName(c.type);
    ASSERT_TRUE(ParseHex(c.in, m.get()));
    EXPECT_FALSE(m->IsInitialized());
    EXPECT_EQ(m->InitializationErrorString(), c.missing);
  }
}

TEST(FrameFields, UnsetEnumsReadTheirFirstValue) {
  net::IPAddress a;
  ASSERT_TRUE(ParseHex("08 05 12 00", &a));
  EXPECT_FALSE(a.has_type());
  EXPECT_EQ(a.type(), net::V4);
  EXPECT_EQ(a.unknown_fields().field_count(), 1);

  common::NetworkConnection c;
  EXPECT_EQ(c.transport_protocol(), common::UNKNOWN);
  c.set_transport_protocol(common::UNKNOWN);
  EXPECT_EQ(c.ByteSizeLong(), 11u);
  c.set_transport_protocol(common::TCP);
  EXPECT_EQ(c.ByteSizeLong(), 2u);
}

TEST(FrameFields, EndGroupTagAtTopLevel) {
  fc::FrontendCommand m;
  const std::string bytes = Bytes("0A 01 61 0C 12 01 62");
  // The stream reader stops at the end-group tag with success and leaves the
  // tag for the caller; the rest is not read.
  google::protobuf::io::CodedInputStream in(
      reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
  EXPECT_TRUE(m.MergePartialFromCodedStream(&in));
  EXPECT_EQ(in.LastTagWas(0x0C), true);
  EXPECT_EQ(Wire(m), "0A 01 61");
  // The whole-buffer entry points require the input to end cleanly.
  fc::FrontendCommand n;
  EXPECT_FALSE(n.ParsePartialFromString(bytes));
}

TEST(FrameFields, SwapMovesUnknownFields) {
  fc::FrontendCommand a, b;
  ASSERT_TRUE(ParseHex("0A 01 61 30 05", &a));
  a.Swap(&b);
  EXPECT_EQ(Wire(a), "");
  EXPECT_EQ(Wire(b), "0A 01 61 30 05");
  b.Swap(&a);
  EXPECT_EQ(Wire(a), "0A 01 61 30 05");
  EXPECT_EQ(b.unknown_fields().field_count(), 0);
}

TEST(FrameFields, ClearKeepsAndReusesSubObjects) {
  fc::FrontendCommand m;
  ASSERT_TRUE(ParseHex("0A 01 61 22 03 0A 01 70 30 05", &m));
  const fc::NginxPush* push = &m.nginx_push();
  m.Clear();
  EXPECT_FALSE(m.has_nginx_push());
  EXPECT_FALSE(m.has_source_host());
  EXPECT_EQ(Wire(m), "");
  ASSERT_TRUE(ParseHex("22 03 0A 01 71", &m));
  EXPECT_EQ(&m.nginx_push(), push);
  EXPECT_EQ(m.nginx_push().path(), "q");
  // CopyFrom of itself changes nothing.
  m.CopyFrom(m);
  EXPECT_EQ(Wire(m), "22 03 0A 01 71");
}

}  // namespace
