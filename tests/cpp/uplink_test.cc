// Wire facts of the sensor uplink envelopes: field order, unknown and
// wrong-wire-type fields, required fields named down to the record, and
// envelopes that look alike but do not read as one another.
#include <gtest/gtest.h>

#include "appliance_protocol/sensor/queuemessage.pb.h"
#include "appliance_protocol/sensor/upload.pb.h"
#include "wire.h"

namespace {

using skelvar_test::kFails;
using skelvar_test::ParseHex;
using skelvar_test::Wire;
namespace mq = appliance_protocol::sensor::queuemessage;
namespace common = appliance_protocol::sensor::common;

#define SID "0A 06 0A 01 61 12 01 62"                   // sensor_id {a, b}
#define APP "1A 08 08 01 10 01 18 02 20 03"             // application {1, 1, 2, 3}
#define APP2 "12 08 08 01 10 01 18 02 20 03"            // the same as field 2

const skelvar_test::WireCase kWire[] = {
    {"queuemessage.MQSensorMessage", SID " " APP, "=", true},
    {"queuemessage.MQSensorMessage", SID, "=", false, "application"},
    // Number 4 as a varint, 22 (unknown), 5 as fixed32: all kept, written last
    // in arrival order.
    {"queuemessage.MQSensorMessage", "20 07 " SID " B0 01 05 " APP " 2D 01 00 00 00",
     SID " " APP " 20 07 B0 01 05 2D 01 00 00 00", true},
    // perf_stats (15) goes between mail_attachments (14) and ids_urls (16).
    {"queuemessage.MQSensorMessage", "82 01 00 7A 00 72 00 AA 01 00",
     "72 00 7A 00 82 01 00 AA 01 00", false},
    // A singular record sent twice merges; a list record sent twice appends.
    {"queuemessage.MQSensorMessage", "32 02 08 05 5A 00 32 02 10 02 5A 00",
     "32 04 08 05 10 02 5A 00 5A 00", false},
    {"queuemessage.MQSensorMessage", SID " 25 01 02", kFails, false},
    {"queuemessage.MQSensorMessage", SID " 5A 03 0A 00", kFails, false},
    // The upload has no timestamp: 4 as fixed32 is unknown. 32 and 26 too.
    {"upload.SensorUpload", "25 01 02 03 04 " SID " D2 01 00 " APP,
     SID " " APP " 25 01 02 03 04 D2 01 00", true},
    {"upload.SensorUpload", "82 02 00 82 01 00 " SID " " APP,
     SID " " APP " 82 01 00 82 02 00", false},
    {"upload.SensorUpload", "", "=", false},
    // Account records: an invalid SIEM event type stays unknown and moves last.
    {"queuemessage.MQEvent", "08 01 15 09 00 00 00 38 01 45 01 00 00 00",
     "08 01 15 09 00 00 00 45 01 00 00 00 38 01", true},
    {"queuemessage.MQEvent", "08 01 15 09 00 00 00 50 00", "=", true},
    {"queuemessage.MQSIEMEvent", "08 01 15 09 00 00 00 20 05", "=", true},
    {"queuemessage.MQMailMessage", "08 01 10 AC 02 1D 04 03 02 01", "=", true},
    // Serialized entries are opaque bytes, empty ones included.
    {"queuemessage.MQNetflowSerializedEntryCollection", SID " 1A 02 FF FE 1A 00 1A 01 80", "=", true},
    // Same numbers, other envelope: MQPcap's timestamp is 2, its log id 4.
    {"queuemessage.MQPcap", SID " 25 00 00 00 00 1A 02 1A 00 15 01 00 00 00",
     SID " 15 01 00 00 00 1A 02 1A 00 25 00 00 00 00", true},
    // Missing required fields, named down to the record.
    {"queuemessage.MQSensorMessage", SID " " APP " A2 01 00 A2 01 00", "=", false,
     "ids_event[0].timestamp, ids_event[0].connection, ids_event[0].event_type, ids_event[0].bson, "
     "ids_event[1].timestamp, ids_event[1].connection, ids_event[1].event_type, ids_event[1].bson"},
    {"queuemessage.MQHeartbeat", SID " " APP, "=", false, "heartbeat"},
    {"queuemessage.MQPassiveDnsEntryCollection", SID " 1A 0A " SID " 1A 00 1A 00", "=", false,
     "passive_dns_entries[1].sensor_id, passive_dns_entries[1].passive_dns"},
    {"queuemessage.MQUserAction", "08 01 25 01 00 00 00 2A 00", "=", false, "user_action.user_action_type"},
    {"queuemessage.MQMailMessage", "08 01 10 02", "=", false, "timestamp"},
    {"queuemessage.MQAnalyzedIDSURL", SID " 12 06 0A 01 76 12 01 74", "=", false,
     "analyzed_ids_url, integration_tool.tool_version"},
};

TEST(UplinkWire, ParseCheckAndRewrite) {
  skelvar_test::CheckWire("appliance_protocol.sensor", kWire);
}

TEST(UplinkFields, SiemEventTypeHasNoZero) {
  mq::MQEvent e;
  EXPECT_EQ(e.type(), common::MAIL_ATTACHMENT);
  ASSERT_TRUE(ParseHex("38 01", &e));  // 1 is not a SIEMEventType
  EXPECT_FALSE(e.has_type());
  EXPECT_EQ(e.type(), common::MAIL_ATTACHMENT);
  ASSERT_TRUE(ParseHex("38 03", &e));
  EXPECT_EQ(e.type(), common::MAIL_URL);
  e.Clear();
  EXPECT_EQ(e.type(), common::MAIL_ATTACHMENT);
  EXPECT_EQ(Wire(e), "");
}

TEST(UplinkFields, AlertEnvelopeDoesNotReadAsHeartbeatEnvelope) {
  const char* alert_bytes = SID " " APP2 " 1D 04 03 02 01 22 00";
  mq::MQAlert alert;
  ASSERT_TRUE(ParseHex(alert_bytes, &alert));
  EXPECT_TRUE(alert.has_application() && alert.has_alert() && alert.utc_timestamp() == 0x01020304);

  mq::MQHeartbeat beat;
  ASSERT_TRUE(ParseHex(alert_bytes, &beat));
  EXPECT_TRUE(beat.has_host());  // field 2 is the heartbeat envelope's host
  EXPECT_FALSE(beat.has_application() || beat.has_utc_timestamp() || beat.has_heartbeat());
  EXPECT_EQ(beat.unknown_fields().field_count(), 2);
  EXPECT_FALSE(beat.IsInitialized());
  EXPECT_EQ(Wire(beat), alert_bytes);
}

}  // namespace
