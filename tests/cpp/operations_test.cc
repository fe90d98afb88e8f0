// Appliance monitoring, status, audit and monitored-host records and the
// sensor's own status and actions: wire bytes, list order, merging of repeated
// sub-records, sizes of incomplete messages.
#include <gtest/gtest.h>

#include "appliance_protocol/qxprotobuf/monitoring.pb.h"
#include "wire.h"

namespace {

using skelvar_test::ParseHex;
using skelvar_test::Wire;

// Gauge "abc"/"x", time 1, value 1.5 (18 bytes).
#define GAUGE "0A 03 61 62 63 12 01 78 1D 01 00 00 00 25 00 00 C0 3F"
#define WINDOW "1D 00 00 00 00 25 00 00 00 00"
// ApplianceStatus with its six required fields only (15 bytes).
#define STATUS "0A 00 10 01 22 00 2D 00 00 00 00 32 00 42 00"
#define AUDIT_HEAD "08 01 10 02 18 03 22 00 2A 00 30 01 3A 04 08 04 12 00"
#define NEG "FF FF FF FF FF FF FF FF FF 01"

const skelvar_test::WireCase kCases[] = {
    {"qxprotobuf.monitoring.Gauge", GAUGE, "=", true},
    {"qxprotobuf.monitoring.Gauge", "20 01 0A 00 12 00 1D 00 00 00 00", "0A 00 12 00 1D 00 00 00 00 20 01", false},
    {"qxprotobuf.monitoring.MinGauge", "0A 00 12 00 " WINDOW " 2D 00 00 00 80", "=", true},
    {"qxprotobuf.monitoring.MaxGauge", "0A 00 12 00 " WINDOW " 2D 00 00 00 80", "=", true},
    {"qxprotobuf.monitoring.AvgGauge",
     "0A 03 61 62 63 12 01 78 " WINDOW " 2D 00 00 00 00 30 01 3D 00 00 00 00 45 00 00 00 00", "=", true},
    {"qxprotobuf.monitoring.Counter", "0A 03 61 62 63 12 01 78 " WINDOW " 28 00", "=", true},
    {"qxprotobuf.monitoring.LogEntry", "0A 01 61 12 01 62 " WINDOW " 28 01 32 01 63 38 01", "=", true},
    {"qxprotobuf.monitoring.LogEntry", "52 02 0A 00 0A 01 61 12 01 62 " WINDOW " 28 01 32 01 63 38 01",
     "0A 01 61 12 01 62 " WINDOW " 28 01 32 01 63 38 01 52 02 0A 00", false},
    // Interleaved lists: grouped by number, arrival order kept within each.
    {"qxprotobuf.monitoring.MonitoringData", "32 02 0A 00 0A 02 12 00 32 02 12 00", "0A 02 12 00 32 02 0A 00 32 02 12 00", false},
    {"qxprotobuf.monitoring.MonitoringData", "0A 12 " GAUGE, "=", true},
    // A second monitoring_data merges: its lists are appended.
    {"qxprotobuf.monitoring.RapidMonitoringData", "0D 01 00 00 00 12 00 1A 14 0A 12 " GAUGE " 1A 02 0A 00",
     "0D 01 00 00 00 12 00 1A 16 0A 12 " GAUGE " 0A 00", false},
    {"qxprotobuf.monitoring.RapidMonitoringData", "12 01 6B 0D 01 00 00 00", "0D 01 00 00 00 12 01 6B", false},
    {"qxprotobuf.monitoring.MQRapidMonitoringData", "18 00 10 00 08 05 25 01 02 03 04 2A 00",
     "08 05 10 00 18 00 25 01 02 03 04 2A 00", true},
    {"qxprotobuf.monitoring.MQApplianceMonitoringData",
     "08 01 25 00 00 00 00 2A 0B 0A 00 1D 00 00 00 00 22 00 2A 00", "=", true},
    // Appliance status.
    {"qxprotobuf.update.ApplianceStatus", STATUS, "=", true},
    {"qxprotobuf.update.ApplianceStatus", "10 00 10 08 0A 00", "0A 00 10 00 10 08", false},
    {"qxprotobuf.update.ApplianceStatus", "82 01 04 0A 00 12 00 5A 04 0A 00 12 00 82 01 05 0A 01 61 12 00 7A 04 0A 00 12 00",
     "5A 04 0A 00 12 00 7A 04 0A 00 12 00 82 01 04 0A 00 12 00 82 01 05 0A 01 61 12 00", false},
    {"qxprotobuf.update.ApplianceStatus", "52 02 08 01 52 02 08 02 52 02 10 03", "52 04 08 02 10 03", false},
    {"qxprotobuf.update.ApplianceStatus", "48 02", "48 01", false},
    {"qxprotobuf.update.ApplianceStatus", STATUS " 82 01 02 0A 00", "=", false},
    // Missing key: the size still counts every present field.
    {"qxprotobuf.update.ApplianceStatus", "0A 01 61 10 01 2D 00 00 00 00 32 00 42 00 1A 01 62 48 01",
     "0A 01 61 10 01 1A 01 62 2D 00 00 00 00 32 00 42 00 48 01", false},
    {"qxprotobuf.update.MQApplianceStatus", "08 01 25 00 00 00 00 2A 0F " STATUS, "=", true},
    {"qxprotobuf.update.MQApplianceStatus", "25 00 00 00 00 2A 0F " STATUS, "=", false},
    {"qxprotobuf.update.MQApplianceStatus",
     "08 01 25 00 00 00 00 2A 14 " STATUS " 92 01 02 10 01", "=", false},  // action_status without action
    {"qxprotobuf.update.ApplianceActionStatus", "10 04 0A 04 0A 00 10 0B", "0A 04 0A 00 10 0B 10 04", false},
    // Audit events.
    {"qxprotobuf.audit_log.AuditEvent", AUDIT_HEAD " 4D 00 00 00 00", "=", true},
    {"qxprotobuf.audit_log.AuditEvent", AUDIT_HEAD " 30 04 4D 00 00 00 00", AUDIT_HEAD " 4D 00 00 00 00 30 04", true},
    {"qxprotobuf.audit_log.AuditEvent", "30 00 08 01", "08 01 30 00", false},
    {"qxprotobuf.audit_log.AuditEvent", AUDIT_HEAD " 42 02 0A 00 4D 00 00 00 00", "=", false},
    {"qxprotobuf.audit_log.AuditEvent", "3A 02 08 04 3A 00", "3A 02 08 04", false},  // no address
    // Monitored host: every field required, 33 bytes in full.
    {"qxprotobuf.monitored_host.MQMonitoredHost",
     "08 01 10 02 18 03 25 00 00 00 00 2A 08 08 04 12 04 0A 00 00 01 32 00 3D 00 00 00 00 45 00 00 00 00", "=", true},
    {"qxprotobuf.monitored_host.MQMonitoredHost",
     "08 01 10 02 25 00 00 00 00 2A 08 08 04 12 04 0A 00 00 01 32 00 3D 00 00 00 00 45 00 00 00 00", "=", false},
    {"qxprotobuf.monitored_host.MQMonitoredHost", "2A 08 08 05 12 04 0A 00 00 01", "2A 08 12 04 0A 00 00 01 08 05", false},
    // Sensor actions and status.
    {"sensor.update.SensorAction", "08 07 10 03", "=", true},
    {"sensor.update.SensorAction", "10 04 08 07", "08 07 10 04", false},
    {"sensor.update.SensorAction", "10 " NEG " 08 07", "08 07 10 " NEG, false},
    {"sensor.update.SensorAction", "18 05 10 01", "10 01 18 05", false},  // no id
    {"sensor.update.SensorStatus", "9A 02 00 10 02 90 02 01 82 01 00", "82 01 00 90 02 01 9A 02 00 10 02", true},
};

TEST(Operations, WireTable) {
  skelvar_test::CheckWire("appliance_protocol", kCases);
}

TEST(Operations, MergeAppendsListsAndClearKeepsElements) {
  namespace mon = appliance_protocol::qxprotobuf::monitoring;
  mon::MonitoringData a, b;
  ASSERT_TRUE(ParseHex("0A 02 0A 00 3A 00", &a));
  ASSERT_TRUE(ParseHex("3A 02 12 00 0A 02 12 00", &b));
  a.MergeFrom(b);
  EXPECT_EQ(Wire(a), "0A 02 0A 00 0A 02 12 00 3A 00 3A 02 12 00");
  const mon::Gauge* first = &a.gauges(0);
  a.Clear();
  EXPECT_EQ(a.gauges_size(), 0);
  EXPECT_EQ(a.add_gauges(), first);  // the cleared element is reused
  EXPECT_EQ(Wire(*first), "");

  mon::RapidMonitoringData report;  // reading the unset batch creates nothing
  EXPECT_EQ(&report.monitoring_data(), &mon::MonitoringData::default_instance());
  EXPECT_FALSE(report.has_monitoring_data());
}

// A failed parse keeps what was read; a number cut short is kept too, marked
// present with the bytes that arrived.
TEST(Operations, FailedParseKeepsPartialNumbers) {
  appliance_protocol::qxprotobuf::monitoring::Counter c;
  EXPECT_FALSE(ParseHex("0A 01 61 28 FF FF", &c));
  EXPECT_EQ(c.source(), "a");
  EXPECT_TRUE(c.has_value());
  EXPECT_EQ(c.value(), 16383u);
  EXPECT_FALSE(ParseHex("1D 01 02", &c));
  EXPECT_TRUE(c.has_timestamp_start());
  EXPECT_EQ(c.timestamp_start(), 0x0201u);
}

}  // namespace
