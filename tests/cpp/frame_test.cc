// Wire facts of the message class frame and the common types: exact bytes,
// unknown fields, required fields, Swap/Clear, and thread-safe first use of
// reflection.
#include <atomic>
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

using skelvar_test::Bytes;
using skelvar_test::kFails;
using skelvar_test::ParseHex;
using skelvar_test::Wire;
namespace fc = appliance_protocol::qxprotobuf::frontend_command;
namespace net = appliance_protocol::qxprotobuf::net;
namespace common = appliance_protocol::sensor::common;

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

// FrontendCommand's full name without the package prefix.
#define FC "qxprotobuf.frontend_command.FrontendCommand"
#define HOST_V4 "0A 04 08 04 12 00"  // Host{ip_address{V4, ""}}

const skelvar_test::WireCase kWire[] = {
    {FC, "0A 01 61 12 01 62 1D 01 00 00 00", "=", true},
    // Fields arrive in any order and are written in number order.
    {FC, "1D 01 00 00 00 12 01 62 0A 01 61", "0A 01 61 12 01 62 1D 01 00 00 00", true},
    // A string sent twice keeps the last; a sub-message sent twice merges.
    {FC, "0A 01 61 0A 01 63", "0A 01 63", false},
    {FC, "22 03 0A 01 70 22 03 22 01 42", "22 06 0A 01 70 22 01 42", false},
    // Field 3 as a varint is an unknown field, written after field 4; unknown
    // numbers keep their arrival order.
    {FC, "18 07 22 00", "22 00 18 07", false},
    {FC, "2A 00 0A 01 61 30 05", "0A 01 61 2A 00 30 05", false},
    {FC, "", "", false, "source_host, command_uuid, utc_timestamp_published"},
    // Malformed input: fixed32 cut short, sub-message overrunning its input,
    // truncated varint, sub-message overrunning its own limit.
    {FC, "1D 01 00 00", kFails, false},
    {FC, "22 05 0A 01 61", kFails, false},
    {"sensor.heartbeat.Heartbeat", "0D 01 00 00 00 10 FF", kFails, false},
    {"sensor.common.Host", "0A 02 0A 05", kFails, false},
    // The appliance's IPAddress: an invalid version stays unknown.
    {"qxprotobuf.net.IPAddress", "08 06 12 00", "=", true},
    {"qxprotobuf.net.IPAddress", "08 05 12 00", "12 00 08 05", false, "type"},
    // Heartbeat offsets are zigzag: -1 -> 01, 1 -> 02, an explicit 0 is written.
    {"sensor.heartbeat.Heartbeat", "0D 01 00 00 00 10 01", "=", true},
    {"sensor.heartbeat.Heartbeat", "0D 01 00 00 00 10 02", "=", true},
    {"sensor.heartbeat.Heartbeat", "0D 01 00 00 00 10 00", "=", true},
    // TransportProtocol UNKNOWN (-1) is ten bytes; the five-byte form reads the same.
    {"sensor.common.NetworkConnection",
     "08 FF FF FF FF FF FF FF FF FF 01 12 06 " HOST_V4 " 22 06 " HOST_V4, "=", true},
    {"sensor.common.NetworkConnection", "08 FF FF FF FF 0F 12 06 " HOST_V4 " 22 06 " HOST_V4,
     "08 FF FF FF FF FF FF FF FF FF 01 12 06 " HOST_V4 " 22 06 " HOST_V4, true},
    {"sensor.common.NetworkConnection", "08 00 12 06 " HOST_V4 " 22 06 " HOST_V4,
     "12 06 " HOST_V4 " 22 06 " HOST_V4 " 08 00", false},
    {"sensor.common.IPAddress", "08 05 12 00", "12 00 08 05", false},
    {"sensor.common.Hash", "08 03 12 00", "12 00 08 03", false},
    {"sensor.common.WebRequest", "10 0A 0A 02 0A 00", "0A 02 0A 00 10 0A", true},
    {"sensor.common.Timespan", "15 02 00 00 00", "=", false},
    // MailMessage declares mailbox_id (9) second but writes it after field 1..8.
    {"sensor.common.MailMessage", "4A 01 62 0A 01 61", "0A 01 61 4A 01 62", true},
    {"sensor.common.SensorApplication", "08 63 10 01 18 02 20 03", "=", true},
    // Missing required fields, named down to the record.
    {FC, "0A 01 61 12 01 62 1D 01 00 00 00 22 03 0A 01 70", "=", false, "nginx_push.body"},
    {"qxprotobuf.integration.IntegrationTool", "0A 01 76 1A 01 31", "=", false, "tool_name"},
    {"sensor.heartbeat.Heartbeat", "10 01", "=", false, "timestamp"},
    {"sensor.common.SensorID", "0A 01 61", "=", false, "sensor_key"},
    {"sensor.common.SensorHost", "12 02 08 04", "=", false, "internal_address.address"},
    {"sensor.common.Host", "0A 02 08 04", "=", false, "ip_address.address"},
    {"sensor.common.WebRequest", "0A 02 0A 00 9A 01 03 0A 01 78", "=", false, "response_headers[0].value"},
    {"sensor.common.MailMessage", "0A 01 6D 82 01 03 0A 01 72 82 01 00", "=", false, "received[1].unparsed"},
    {"sensor.common.SpfCheck", "08 01 12 01 73 1A 02 08 04", "=", false, "mail_server_ip.address"},
};

TEST(FrameWire, ParseCheckAndRewrite) {
  skelvar_test::CheckWire("appliance_protocol", kWire);
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
