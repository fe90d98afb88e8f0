// Sensor alert, anomaly alert, packet capture, user action, TLS, host
// identifier, client id and monitored host records: wire bytes, presence,
// enumeration validity and non-zero defaults.
#include <gtest/gtest.h>

#include "appliance_protocol/sensor/alert.pb.h"
#include "appliance_protocol/sensor/hostidentifier.pb.h"
#include "wire.h"

namespace {

using skelvar_test::Wire;

// A minimal initialised NetworkConnection: TCP, both hosts V4 with an empty address.
#define CONN "08 06 12 06 0A 04 08 04 12 00 22 06 0A 04 08 04 12 00"
#define IPA "08 04 12 00"  // IPAddress V4, empty address
// Alert without type: action BLOCK, timespan start 1, the connection.
#define ALERT_REST "10 02 1A 05 0D 01 00 00 00 22 12 " CONN
#define ALERT "08 05 " ALERT_REST
// GenericHostIdentifierEvent fields 1 to 4.
#define HOSTID "0A 01 68 10 01 1A 04 " IPA " 22 05 0D 01 00 00 00"

const skelvar_test::WireCase kCases[] = {
    // Invalid enumerations stay unset and come back as unknown varints, last.
    {"alert.Alert", "08 13 " ALERT_REST, ALERT_REST " 08 13", false},
    {"alert.Alert", "08 05 10 00 1A 05 0D 01 00 00 00 22 12 " CONN,
     "08 05 1A 05 0D 01 00 00 00 22 12 " CONN " 10 00", false},
    {"alert.Alert", "08 05 10 02 1A 00 22 12 " CONN, "=", false},
    {"alert.Alert", ALERT " 82 01 00", "=", true},  // empty qxanta_evidence
    {"alert.BlacklistReputationMatch", "0A 01 68", "=", false},
    {"alert.IDSRule", "08 01 22 01 61 30 07", "08 01 30 07 22 01 61", true},  // no field 4
    {"anomalyalert.AnomalyAlert", "2A 00 2A 01 61 2A 01 61", "=", false},
    {"pcap.Pcap", "", "=", false},
    {"pcap.Pcap", "1A 00", "=", true},
    {"pcap.Pcap", "12 00 1A 00", "=", false},  // connection lacks its fields
    {"pcap.Pcap", "1A 00 20 00 20 13 40 05", "=", true},
    {"useraction.UserAction", "08 03", "=", true},
    {"useraction.UserAction", "08 03 22 03 0A 01 61", "=", false},
    {"useraction.UserAction", "08 00 08 04", "=", false},
    {"useraction.ApplianceAction", "12 01 61 0A 01 62", "0A 01 62 12 01 61", true},
    {"idstls.IDSTLS", "08 00", "=", false},
    {"idstls.IDSTLS", "08 00 12 12 " CONN " 5A 02 08 01", "=", false},
    {"idstls.IDSTLS", "08 00 12 12 " CONN " 22 00 32 02 FF FE 60 01", "=", true},
    {"idstls.JA3", "12 03 01 02 03 10 04 1A 00", "10 01 10 02 10 03 10 04", true},
    {"idstls.JA3S", "1A 02 05 06 08 01 10 02 22 00", "08 01 10 02 18 05 18 06 22 00", true},
    {"hostidentifier.GenericHostIdentifierEvent", "0A 01 68 10 04 1A 04 " IPA " 22 05 0D 01 00 00 00",
     "0A 01 68 1A 04 " IPA " 22 05 0D 01 00 00 00 10 04", false},
    {"hostidentifier.GenericHostIdentifierEvent", HOSTID " 30 02 30 00", "=", true},
    {"hostidentifier.GenericHostIdentifierEvent", HOSTID " 28 01 30 01", HOSTID " 30 01 28 01", true},
    {"hostidentifier.GenericHostIdentifierEvent", HOSTID " 3A 02 0A 00", "=", false},
    {"hostidentifier.GenericHostIdentifierEvent", HOSTID " 3A 00", "=", true},
    {"hostidentifier.MQGenericHostIdentifierEvent",
     "08 01 10 01 18 01 25 00 00 00 00 2A 0B 0A 01 68 10 01 1A 04 " IPA, "=", false},
    {"clientid.ClientID", "0A 00 12 04 " IPA " 20 FF FF FF FF FF FF FF FF FF 01", "=", true},
    {"clientid.ClientID", "0A 00 12 02 08 04", "=", false},
    {"monitored_host.MonitoredHost", "0A 04 " IPA " 12 00 1D 00 00 00 00 25 01 00 00 00", "=", true},
    {"monitored_host.MonitoredHost", "0A 04 " IPA " 12 00 18 00 25 01 00 00 00",
     "0A 04 " IPA " 12 00 25 01 00 00 00 18 00", false},  // varint first_seen is unknown
};

TEST(SensorAlert, WireTable) {
  skelvar_test::CheckWire("appliance_protocol.sensor", kCases);
}

TEST(SensorAlert, NonZeroDefaultsSurviveClear) {
  using namespace appliance_protocol::sensor::alert;
  Alert a;
  EXPECT_TRUE(a.type() == IP && a.action() == LOG && a.occurrences() == 1u);
  a.set_occurrences(5);
  a.set_action(BLOCK);
  a.set_blacklist_version(0);
  EXPECT_EQ(Wire(a), "10 02 30 05 3D 00 00 00 00");
  a.Clear();
  EXPECT_TRUE(a.action() == LOG && a.occurrences() == 1u && !a.has_occurrences());
  EXPECT_EQ(Wire(a), "");
}

TEST(SensorAlert, HostIdentifierOneof) {
  using namespace appliance_protocol::sensor::hostidentifier;
  GenericHostIdentifierEvent target, source;
  target.mutable_dhcp_host_identifier_data()->mutable_mac_address()->set_address("m");
  target.set_operation_type(HOST_IDENTIFIER_OP_TYPE_STOP);
  source.set_hostname("h");
  target.MergeFrom(source);  // source case 0: the detail stays
  EXPECT_EQ(target.dhcp_host_identifier_data().mac_address().address(), "m");
  target.Clear();
  EXPECT_EQ(target.host_identifier_data_case(), GenericHostIdentifierEvent::HOST_IDENTIFIER_DATA_NOT_SET);
  EXPECT_EQ(target.operation_type(), HOST_IDENTIFIER_OP_TYPE_ALIVE);
}

}  // namespace
