// Wire facts of the IDS URL, IDS alert, EVE event, bad DNS and cloud asset records.
#include <gtest/gtest.h>

#include "appliance_protocol/sensor/idsalert.pb.h"
#include "appliance_protocol/sensor/idsurl.pb.h"
#include "wire.h"

namespace {

using skelvar_test::Bytes;
using skelvar_test::CheckWire;
using skelvar_test::Wire;

// A minimal initialised TCP connection between two hosts with empty v4 addresses.
#define CONN "12 12 08 06 12 06 0A 04 08 04 12 00 22 06 0A 04 08 04 12 00"
#define SPAN "0A 05 0D 01 00 00 00"
#define EVT "08 01 " CONN " 18 01"

TEST(SensorIds, Wire) {
  CheckWire("appliance_protocol.sensor", {
      {"idsurl.IDSURL", SPAN " 12 00", "=", false, "request.domain"},
      {"idsurl.IDSURL", SPAN " 12 05 0A 03 0A 01 61 18 00", "=", true},  // counter 0 written
      {"idsurl.AnalyzedIDSURL", "1A 01 75 " CONN " 08 01", "08 01 " CONN " 1A 01 75", true},
      {"idsurl.AnalyzedIDSURL", "08 01 28 00 " CONN " 1A 01 75", "08 01 " CONN " 1A 01 75 28 00", true},
      {"idsurl.AnalyzedIDSURL", "08 01 1A 01 75 22 00", "=", false, "connection, request.domain"},
      {"idsalert.IDSAlert", SPAN, "=", true},
      {"idsalert.IDSAlert", SPAN " 10 00", "=", true},  // UNKNOWN_IDS set is written
      {"idsalert.IDSAlert", "10 03 " SPAN, SPAN " 10 03", true},
      {"idsalert.IDSAlert", "10 FF FF FF FF FF FF FF FF FF 01 " SPAN, SPAN " 10 FF FF FF FF FF FF FF FF FF 01", true},
      {"idsalert.IDSAlert", "0A 05 15 01 00 00 00", "=", false, "timespan.timestamp_start"},
      {"idsevent.IDSEvent", EVT " 22 00", "=", true},
      {"idsevent.IDSEvent", EVT, "=", false, "bson"},
      {"idsevent.IDSEvent", "08 01 " CONN " 18 00 22 00", "08 01 " CONN " 22 00 18 00", false, "event_type"},
      {"idsevent.IDSEvent", "08 01 " CONN " 18 13 22 00", "08 01 " CONN " 22 00 18 13", false, "event_type"},
      {"idsevent.IDSEvent", EVT " 22 03 FF 00 C3", "=", true},  // opaque BSON bytes
      {"baddns.BadDnsPacket", "12 00", "=", true},
      {"baddns.BadDnsPacket", "0D 01 00 00 00", "=", false, "traffic"},
      {"baddns.BadDnsPacket", "0D 01 00 00 00 12 01 FF", "=", true},
      {"baddns.BadDnsPacket", "08 01 12 00", "12 00 08 01", true},  // varint timestamp is unknown
      {"cloudasset.CloudAsset", "22 00 1A 01 62 12 01 61 08 01", "08 01 12 01 61 1A 01 62 22 00", true},
      {"cloudasset.CloudAsset", "12 01 61 1A 01 62 22 00", "=", false, "timestamp"},
      {"cloudasset.CloudAsset", "08 01 1A 01 62 22 00", "=", false, "cloud_service_provider"},
      {"cloudasset.CloudAsset", "08 01 12 01 61 22 00", "=", false, "asset_type"},
      {"cloudasset.CloudAsset", "08 01 12 01 61 1A 01 62", "=", false, "bson"},
      {"cloudasset.CloudAsset", "08 01 12 01 FF 1A 01 62 22 00", "=", true},  // text not checked
  });
}

TEST(SensorIds, UnsetFieldsReadDefaults) {
  using namespace appliance_protocol::sensor;
  idsalert::IDSAlert a;
  ASSERT_TRUE(a.ParsePartialFromString(Bytes("10 03")));
  EXPECT_FALSE(a.has_rule_type());
  EXPECT_EQ(a.rule_type(), idsalert::UNKNOWN_IDS);

  idsurl::AnalyzedIDSURL u;
  ASSERT_TRUE(u.ParsePartialFromString(Bytes("28 00")));
  EXPECT_FALSE(u.has_pellucan_upload());
  EXPECT_EQ(u.pellucan_upload(), common::STATUS_UNKNOWN);
}

}  // namespace
