// Wire facts of the sensor's traffic records: session events, netflow,
// passive DNS (current and V17 forms), sensor and performance statistics.
#include <gtest/gtest.h>
#include <google/protobuf/descriptor.h>

#include "appliance_protocol/qxprotobuf/session_tracker.pb.h"
#include "appliance_protocol/sensor/netflow.pb.h"
#include "appliance_protocol/sensor/passivedns.pb.h"
#include "appliance_protocol/sensor/sensorstats.pb.h"
#include "wire.h"

namespace {

using google::protobuf::FieldDescriptor;
using skelvar_test::ParseHex;
using skelvar_test::Wire;
namespace st = appliance_protocol::qxprotobuf::session_tracker;
namespace nf = appliance_protocol::sensor::netflow;
namespace dns = appliance_protocol::sensor::passivedns;

#define ST "appliance_protocol.qxprotobuf.session_tracker."
#define NF "appliance_protocol.sensor.netflow."
#define DNS "appliance_protocol.sensor.passivedns."
#define SS "appliance_protocol.sensor.sensorstats."
#define PS "appliance_protocol.sensor.perfstats."

// A session event with every required field; the same without the address bytes.
#define EVENT "0A 01 75 10 01 1A 08 08 04 12 04 0A 00 00 01 25 01 00 00 00 2D 02 00 00 00"
#define EVENT_NO_ADDR "0A 01 75 10 01 1A 02 08 04 25 01 00 00 00 2D 02 00 00 00"
// A TCP connection between two hosts, and a flow with only its required fields.
#define CONN "08 06 12 06 0A 04 08 04 12 00 22 06 0A 04 08 04 12 00"
#define FLOW "0A 12 " CONN " 10 00 42 05 0D 01 00 00 00"
#define SPAN "0A 05 0D 01 00 00 00"

const skelvar_test::WireCase kWire[] = {
    // session events: oneof, closed enumerations, required fields down the tree
    {ST "GenericSessionEvent", "42 02 0A 00 4A 02 0A 00", "4A 02 0A 00", false},
    {ST "GenericSessionEvent", "10 02", "=", false},
    {ST "GenericSessionEvent", "38 05 38 00 38 04", "38 04 38 05 38 00", false},
    {ST "GenericSessionEvent", EVENT, "=", true},
    {ST "GenericSessionEvent", EVENT_NO_ADDR, "=", false},
    {ST "SessionEvents", "0A 01 6B 12 13 " EVENT_NO_ADDR, "=", false},
    {ST "SessionEvents", "12 19 " EVENT, "=", false},
    {ST "MQSessionEvents", "08 01 10 02 18 03 25 04 00 00 00 2A 03 0A 01 6B", "=", true},
    {ST "MQSessionEvents", "08 01 10 02 18 03 25 04 00 00 00 2A 18 0A 01 6B 12 13 " EVENT_NO_ADDR, "=", false},
    // netflow
    {NF "NetFlow", FLOW, "=", true},
    {NF "NetFlow", "0A 12 " CONN " 42 05 0D 01 00 00 00", "=", false, "tos"},
    {NF "NetFlow", FLOW " AA 02 06 08 01 10 02 18 01 AA 02 04 08 01 10 02", "=", false},
    {NF "NetFlow", FLOW " C0 01 07 BA 02 01 61", FLOW " BA 02 01 61 C0 01 07", true},
    {NF "NetFlow", FLOW " C0 01 00", "=", true},
    {NF "NetFlow", "A2 01 03 01 02 03", "A0 01 01 A0 01 02 A0 01 03", false},
    {NF "NetFlow", "42 05 0D 01 00 00 00 48 05 55 02 00 00 00",
     "42 05 0D 01 00 00 00 55 02 00 00 00 48 05", false},
    {NF "NetFlowTreeNode", "08 01 10 02 18 03 2A 02 04 05", "08 01 10 02 18 03 28 04 28 05", false},
    {NF "NetFlowTreeNode", "08 01 10 02 18 03", "=", false, "label"},
    {NF "NetFlowTreeModel", "", "=", true},
    // passive DNS, current form
    {DNS "PassiveDnsEntry", "", "=", true},
    {DNS "PassiveDnsEntry", "0A 02 08 01", "=", false, "questions[0].name"},
    {DNS "PassiveDnsEntry", "10 06", "=", true},
    {DNS "DnsQuestion", "08 35 1A 01 61", "1A 01 61 08 35", true},
    {DNS "DnsQuestion", "08 80 80 04 1A 01 61", "=", true},
    {DNS "DnsQuestion", "08 80 80 02 1A 01 61", "=", true},
    {DNS "DnsQuestion", "10 03 1A 00", "1A 00 10 03", true},
    {DNS "DnsAnswer", "1A 01 61 22 02 08 04", "=", false},
    {DNS "DnsRequestor", SPAN, "=", true},
    // passive DNS, V17 form: stricter, and its missing fields become unknown ones
    {DNS "PassiveDnsEntry", "0A 03 1A 01 61", "=", true},
    {DNS "PassiveDnsEntryV17", "0A 03 1A 01 61", "=", false},
    {DNS "DnsRequestorV17", SPAN, "=", false, "count"},
    {DNS "DnsRequestorV17", "0A 05 0D 00 00 00 00 10 00", "=", true},
    {DNS "PassiveDnsEntryV17", "3A 01 78 10 01", "10 01 3A 01 78", true},
    {DNS "DnsQuestionV17", "08 01 10 01 1A 01 61", "=", true},
    {DNS "DnsQuestionV17", "08 35 10 01 1A 01 61", "10 01 1A 01 61 08 35", false},
    {DNS "DnsAnswerV17", "08 01 10 01 1A 01 61 42 01 7A 48 07", "=", true},
    // sensor statistics
    {SS "SensorStats", SPAN, "=", true},
    {SS "SensorStats", SPAN " 12 03 0A 01 65 12 00", "=", false},
    {SS "SensorStats", SPAN " 22 00", "=", true},
    {SS "SensorStats", SPAN " 32 08 0A 06 0A 04 08 04 12 00", "=", false},
    {SS "NetworkTopology", "18 02", "18 01", true},
    {SS "DNSCacheStats", "0D 01 00 00 00 08 05", "08 05 0D 01 00 00 00", true},
    {SS "CaptureStats", "08 80 01 10 FF FF FF FF 0F", "=", true},
    {SS "AlertsStats", "48 00", "=", true},
    // performance statistics
    {PS "PerfStat", "0A 00 12 00 1A 00 22 00", "=", true},
    {PS "PerfStat", "0A 00 12 00 1A 00", "=", false, "value"},
    {PS "PerfStats", "", "=", false, "timespan"},
    {PS "PerfStats", SPAN, "=", true},
    {PS "PerfStats", SPAN " 12 06 0A 00 12 00 22 00", "=", false, "stats[0].property"},
};

TEST(SensorTraffic, ParseAndWriteBack) {
  skelvar_test::CheckWire("", kWire);
}

TEST(SensorTraffic, RejectedEnumValuesReadTheDefault) {
  st::GenericSessionEvent e;
  ASSERT_TRUE(ParseHex("10 02 38 05", &e));
  EXPECT_FALSE(e.has_operation_type());
  EXPECT_EQ(e.operation_type(), st::SessionAlive);
  EXPECT_FALSE(e.has_session_type());
  EXPECT_EQ(e.session_type(), st::SESSION_TYPE_ACTIVE_DIRECTORY);

  nf::NetFlow f;
  ASSERT_TRUE(ParseHex("C0 01 07", &f));
  EXPECT_FALSE(f.has_source());
  EXPECT_EQ(f.source(), nf::SOURCE_QXPSV);

  dns::DnsQuestion q;
  ASSERT_TRUE(ParseHex("08 35", &q));
  EXPECT_FALSE(q.has_dns_type());
  EXPECT_EQ(q.dns_type(), dns::TYPE_A);

  dns::PassiveDnsEntry entry;
  ASSERT_TRUE(ParseHex("10 06", &entry));
  EXPECT_FALSE(entry.has_error());
  EXPECT_EQ(entry.error(), dns::ERROR_NONE);
}

TEST(SensorTraffic, PresenceOfZeroAndDefaultValues) {
  nf::NetFlow f;
  f.set_packets_out(0);
  EXPECT_EQ(Wire(f), "55 00 00 00 00");

  dns::DnsAnswer a;
  a.set_ttl(-1);
  EXPECT_EQ(Wire(a), "30 FF FF FF FF FF FF FF FF FF 01");

  dns::DnsRequestor r;
  EXPECT_EQ(r.count(), 1);
  EXPECT_FALSE(r.has_count());
  EXPECT_EQ(Wire(r), "");
  r.set_count(1);
  EXPECT_EQ(Wire(r), "10 01");
  EXPECT_EQ(dns::DnsRequestorV17().count(), 0);
}

TEST(SensorTraffic, DnsTypeAcceptsExactlyTheDeclaredNumbers) {
  const int accepted[] = {1, 52, 55, 59, 62, 99, 103, 108, 109, 249, 258, 32768, 32769, 65536};
  const int rejected[] = {-1, 0, 53, 54, 56, 58, 63, 98, 104, 107, 110, 248, 259, 32767, 32770, 65535, 65537};
  for (int v : accepted) EXPECT_TRUE(dns::DnsType_IsValid(v)) << v;
  for (int v : rejected) EXPECT_FALSE(dns::DnsType_IsValid(v)) << v;
  EXPECT_EQ(dns::DnsType_descriptor()->value_count(), 77);
}

// Every counter set to a distinct value comes back present and unchanged.
TEST(SensorTraffic, NetflowCountersRoundTrip) {
  nf::NetFlow f;
  ASSERT_TRUE(ParseHex(FLOW, &f));
  const auto* refl = f.GetReflection();
  const auto* desc = f.GetDescriptor();
  int counters = 0;
  for (int i = 0; i < desc->field_count(); ++i) {
    const FieldDescriptor* fd = desc->field(i);
    if (fd->is_repeated() || fd->cpp_type() != FieldDescriptor::CPPTYPE_UINT32 || fd->number() == 2) continue;
    refl->SetUInt32(&f, fd, 0x10000u * fd->number() + 0xFFu);
    ++counters;
  }
  EXPECT_EQ(counters, 21);  // 4 packet and byte counters, 16 TCP flag counters, mtu
  nf::NetFlow back;
  ASSERT_TRUE(back.ParseFromString(f.SerializeAsString()));
  EXPECT_EQ(back.SerializeAsString(), f.SerializeAsString());
  for (int i = 0; i < desc->field_count(); ++i) {
    const FieldDescriptor* fd = desc->field(i);
    if (fd->is_repeated() || fd->cpp_type() != FieldDescriptor::CPPTYPE_UINT32 || fd->number() == 2) continue;
    EXPECT_TRUE(refl->HasField(back, fd)) << fd->name();
    EXPECT_EQ(refl->GetUInt32(back, fd), 0x10000u * fd->number() + 0xFFu) << fd->name();
  }
}

}  // namespace
