// Notification triggers, notification-proxy destinations, SIEM export records
// and network IoC feeds on the wire.
#include <gtest/gtest.h>

#include "appliance_protocol/qxprotobuf/notificationproxy.pb.h"
#include "appliance_protocol/sensor/network_ioc_feed.pb.h"
#include "appliance_protocol/sensor/notification.pb.h"
#include "appliance_protocol/sensor/siem.pb.h"
#include "wire.h"

namespace {

namespace nt = appliance_protocol::sensor::notification;
namespace siem = appliance_protocol::sensor::siem;
namespace ioc = appliance_protocol::sensor::network_ioc_feed;
using skelvar_test::Bytes;
using skelvar_test::CheckWire;
using skelvar_test::Wire;

#define APPLIANCE_REQUIRED "0A 01 75 10 00 18 00 20 00 35 00 00 00 00 38 00"
#define ORIGIN "0A 01 6F 10 01 1D 00 00 00 00 20 01"

TEST(NotificationWire, Triggers) {
  CheckWire("appliance_protocol.sensor.notification", {
      {"NotificationDeliveryConfig", "08 05 15 01 00 00 00", "=", true},
      {"NotificationDeliveryConfig", "08 09 10 01", "=", false},
      {"TestNotificationTrigger", "15 01 00 00 00", "=", false},
      {"AnalysisIocMatch", "08 02", "=", false},
      {"QXKBRuleNotificationTrigger", "0A 01 61", "=", true},
      {"QXKBRuleNotificationTrigger", "0A 01 61 12 00", "=", false},
      {"NetworkNotificationTrigger", "0D 01 00 00 00 12 02 08 04", "=", false},
      {"NetworkNotificationTrigger", "1D 02 00 00 00 12 05 08 04 12 01 7F 0D 01 00 00 00",
       "0D 01 00 00 00 12 05 08 04 12 01 7F 1D 02 00 00 00", true},
      {"NetworkNotificationTrigger", "08 01", "=", false},
      {"BreachNotificationTrigger", "0A 00 10 00", "=", true},
      {"NetworkIoCFeedNotificationTrigger", "12 0C " ORIGIN, "=", false},
      {"NetworkIoCFeedNotificationTrigger", "12 0C " ORIGIN " 0A 04 1A 02 08 07",
       "0A 04 1A 02 08 07 12 0C " ORIGIN, true},
      // trigger_type is APPLIANCE_CHECKIN, yet only the message record is carried.
      {"ApplianceNotificationTrigger",
       APPLIANCE_REQUIRED " 40 02 4A 0A 0A 00 12 00 1A 00 22 00 2A 00", "=", true},
      // Attributes are a list: a repeated key and the order survive; written after subkey_id.
      {"ApplianceNotificationTrigger",
       APPLIANCE_REQUIRED " 40 01 2A 06 0A 01 6B 12 01 31 2A 06 0A 01 6B 12 01 32",
       "0A 01 75 10 00 18 00 20 00 2A 06 0A 01 6B 12 01 31 2A 06 0A 01 6B 12 01 32"
       " 35 00 00 00 00 38 00 40 01", true},
      {"ApplianceNotificationTrigger", APPLIANCE_REQUIRED " 40 01 2A 03 0A 01 6B",
       "0A 01 75 10 00 18 00 20 00 2A 03 0A 01 6B 35 00 00 00 00 38 00 40 01", false},
      {"ApplianceNotificationTrigger", "40 03 " APPLIANCE_REQUIRED, APPLIANCE_REQUIRED " 40 03", false},
      {"ApplianceNotificationTrigger", "0A 01 75 10 FF FF FF FF 0F 18 00 20 00 30 05 38 00 40 01",
       "0A 01 75 10 FF FF FF FF 0F 18 00 20 00 38 00 40 01 30 05", false},
      {"ApplianceCheckin", "0D 00 00 00 00 10 02", "0D 00 00 00 00 10 01", true},
      {"MQNotificationTrigger", "08 05 10 04 1D 04 03 02 01 42 07 0D 09 00 00 00 10 03", "=", true},
      // MAIL_TRIGGER carrying a network trigger: nothing ties category and sub-record.
      {"MQNotificationTrigger", "08 01 10 02 1D 00 00 00 00 22 05 0D 01 00 00 00", "=", true},
      {"MQNotificationTrigger",
       "5A 04 0A 00 10 00 22 05 0D 01 00 00 00 08 01 32 07 08 01 15 01 00 00 00 10 07 1D 00 00 00 00",
       "08 01 10 07 1D 00 00 00 00 22 05 0D 01 00 00 00 32 07 08 01 15 01 00 00 00 5A 04 0A 00 10 00",
       true},
      {"MQNotificationTrigger", "08 01 10 04 1D 00 00 00 00 42 02 10 03", "=", false},
      {"MQNotificationTrigger", "08 01 10 02 1D 00 00 00 00 2A 00", "=", true},
      {"MQNotificationTrigger", "08 01 10 09 1D 00 00 00 00", "08 01 1D 00 00 00 00 10 09", false},
      {"MQNotificationTrigger", "10 00 08 01 10 02 1D 00 00 00 00", "08 01 10 02 1D 00 00 00 00 10 00", true},
  });
}

#define SLACK "08 01 12 00 1A 00 20 00 28 00 30 00 3A 00"
#define TP "08 01 12 00 1A 00 20 00 2A 00 32 00"
#define TP_HOST_7 "0A 00 12 00 1D 01 00 00 00 25 00 00 00 00 2A 00 35 00 00 00 00 3D 00 00 00 00"

TEST(NotificationWire, ProxyDestinations) {
  CheckWire("appliance_protocol.qxprotobuf.notificationproxy", {
      {"NotificationProxyMessage", "08 01 10 02", "=", true},
      {"NotificationProxyMessage", "08 01 10 02 22 05 08 01 12 01 68", "=", false},
      // Field 6 is not declared: kept, and written after the Slack batches.
      {"NotificationProxyMessage", "08 01 10 02 32 01 78 42 0E " SLACK, "08 01 10 02 42 0E " SLACK " 32 01 78", true},
      // Batches are grouped by kind on the wire, each kind in arrival order.
      {"NotificationProxyMessage",
       "22 06 08 02 12 00 18 00 1A 0C " TP " 22 06 08 01 12 00 18 01 08 01 10 02",
       "08 01 10 02 1A 0C " TP " 22 06 08 02 12 00 18 00 22 06 08 01 12 00 18 01", true},
      {"NotificationProxyMessage", "08 01 10 02 1A 28 " TP " 3A 1A " TP_HOST_7, "=", false},
      {"TPDestinationMessages", TP, "=", true},
      {"SIEMDestinationMessages", "08 03 12 01 68 18 01 22 01 6D", "12 01 68 18 01 22 01 6D 08 03", false},
      {"SIEMDestinationMessages", "22 01 6D 22 01 6E 08 01 12 01 68 18 01",
       "08 01 12 01 68 18 01 22 01 6D 22 01 6E", true},
      {"HTTPPOSTDestinationMessages", "08 01 12 00 18 00 22 00 28 02 30 00 38 00 42 00",
       "08 01 12 00 18 00 22 00 28 01 30 00 38 00 42 00", true},
      {"HTTPPOSTDestinationMessages", "08 00 12 00 18 00 22 00 28 01 30 00 38 00 42 00",
       "12 00 18 00 22 00 28 01 30 00 38 00 42 00 08 00", false},
      // A Slack batch read as an HTTP POST batch: path and the id do not fit.
      {"HTTPPOSTDestinationMessages", "08 01 12 00 1A 01 70 20 00 28 00 30 07 3A 00",
       "08 01 12 00 28 00 30 01 1A 01 70 20 00 3A 00", false},
      {"McafeeDxlTieReputationMessages", "32 01 37 0A 00 12 00 1A 00 22 00 2A 0A 08 01 12 00 1A 00 22 00 2A 00",
       "0A 00 12 00 1A 00 22 00 2A 0A 08 01 12 00 1A 00 22 00 2A 00 32 01 37", true},
      {"McafeeDxlTieReputationMessages", "0A 00 12 00 1A 00 22 00", "=", false},
      {"McafeeDxlTieReputationMessages",
       "0A 00 12 00 1A 00 22 00 2A 08 08 01 1A 00 22 00 2A 00 32 00", "=", false},
  });
}

TEST(NotificationWire, SiemExport) {
  CheckWire("appliance_protocol.sensor.siem", {
      {"SIEMMessages", "08 FF FF FF FF FF FF FF FF FF 01 12 00 18 00", "=", true},
      {"SIEMMessages", "08 FF FF FF FF 0F 12 00 18 00", "08 FF FF FF FF FF FF FF FF FF 01 12 00 18 00", true},
      {"SIEMMessages", "08 01 12 00 18 00", "12 00 18 00 08 01", false},
      {"SIEMMessages", "08 06 12 00 18 FF FF FF FF 0F 22 00 22 01 61",
       "08 06 12 00 18 FF FF FF FF FF FF FF FF FF 01 22 00 22 01 61", true},
      {"CEFEvent", "0A 00 12 00 1A 00 52 03 0A 01 6B", "=", false},
      {"CEFEvent", "52 04 0A 00 12 00 0A 00 52 05 0A 01 61 12 00 12 00 4A 01 35 1A 00",
       "0A 00 12 00 1A 00 4A 01 35 52 04 0A 00 12 00 52 05 0A 01 61 12 00", true},
  });
}

TEST(NotificationWire, IocFeed) {
  CheckWire("appliance_protocol.sensor.network_ioc_feed", {
      {"NetworkIoC", "", "=", false},
      {"NetworkIoC", "1A 00", "=", false},
      {"NetworkIoC", "1A 02 08 07 22 00", "=", false},
      {"NetworkIoC", "1A 02 08 07 32 0A 0D 00 00 00 00 12 03 0A 01 6B", "=", false},
      // A second main_threat merges into the first; additional threats keep wire order.
      {"NetworkIoC", "1A 04 08 07 10 01 22 02 08 01 1A 02 08 09 22 02 08 02",
       "1A 04 08 09 10 01 22 02 08 01 22 02 08 02", true},
      {"NetworkIoC", "10 05 1A 02 08 07", "1A 02 08 07 10 05", true},
      {"NetworkIoC", "0A 02 FF FE 12 01 80 1A 02 08 07", "=", true},
      {"NetworkIoCOrigin", "0A 00 10 03 1D 00 00 00 00 20 00 28 00", "0A 00 1D 00 00 00 00 20 00 28 00 10 03", false},
      {"MQIoCFeed", "08 01 15 02 01 00 00 1A 04 1A 02 08 07 22 0C " ORIGIN, "=", true},
      {"MQIoCFeed", "08 01 10 05 1A 04 1A 02 08 07 22 0C " ORIGIN,
       "08 01 1A 04 1A 02 08 07 22 0C " ORIGIN " 10 05", false},
      {"MQIoCFeed", "08 01 15 00 00 00 00 1A 04 1A 02 08 07 22 0C 0A 01 6F 10 05 1D 00 00 00 00 20 01",
       "08 01 15 00 00 00 00 1A 04 1A 02 08 07 22 0C 0A 01 6F 1D 00 00 00 00 20 01 10 05", false},
      {"MQNetworkIoCFeedCandidates", "08 01 12 0C " ORIGIN, "=", true},
      {"MQNetworkIoCFeedCandidates", "08 01 12 0C " ORIGIN " 1A 00 1A 04 1A 02 08 07", "=", false},
  });
}

TEST(NotificationFields, ClearedEnumerationsReadTheirFirstValue) {
  nt::NotificationDeliveryConfig config;
  config.set_notification_type(nt::CHECKPOINT_NOTIFICATION_DEPRECATED);
  config.Clear();
  nt::MQNotificationTrigger trigger;
  ASSERT_TRUE(skelvar_test::ParseHex("10 03", &trigger));
  trigger.Clear();
  nt::ApplianceNotificationTrigger appliance;
  ASSERT_TRUE(skelvar_test::ParseHex(APPLIANCE_REQUIRED " 40 02 2A 00", &appliance));
  appliance.Clear();
  siem::SIEMMessages lines;
  ASSERT_TRUE(skelvar_test::ParseHex("08 06 12 01 68 18 01 22 01 61", &lines));
  lines.Clear();
  ioc::NetworkIoCOrigin origin;
  ASSERT_TRUE(skelvar_test::ParseHex("10 02 28 05", &origin));
  origin.Clear();

  EXPECT_EQ(config.notification_type(), nt::MAIL_NOTIFICATION);
  EXPECT_EQ(trigger.trigger_category(), nt::NETWORK_TRIGGER);
  EXPECT_EQ(appliance.trigger_type(), nt::APPLIANCE_MESSAGE);
  EXPECT_EQ(appliance.appliance_attributes_size(), 0);
  EXPECT_EQ(lines.transport_protocol(), appliance_protocol::sensor::common::UNKNOWN);
  EXPECT_EQ(lines.syslog_message_size(), 0);
  EXPECT_EQ(origin.origin_type(), ioc::NETWORK_EVENT);
  EXPECT_FALSE(lines.has_transport_protocol() || origin.has_origin_type() || origin.has_subkey_id());
}

TEST(NotificationFields, MissingRequiredFieldsAreNotMeasured) {
  siem::SIEMMessages lines;
  lines.set_destination_host("h");
  lines.set_destination_port(514);
  EXPECT_EQ(lines.ByteSizeLong(), 6u);
  lines.set_transport_protocol(appliance_protocol::sensor::common::UNKNOWN);
  EXPECT_EQ(lines.ByteSizeLong(), 17u);
}

TEST(NotificationFields, SubRecordsAreIndependent) {
  // A sub-record whose bytes fail keeps the field present; the parse fails.
  nt::MQNotificationTrigger broken;
  EXPECT_FALSE(broken.ParsePartialFromString(Bytes("08 01 22 05 0D 01")));
  EXPECT_TRUE(broken.has_network_trigger());

  nt::MQNotificationTrigger target, source;
  ASSERT_TRUE(skelvar_test::ParseHex("5A 05 0A 01 62 10 01 22 0A 0D 01 00 00 00 1D 02 00 00 00", &target));
  ASSERT_TRUE(skelvar_test::ParseHex("52 04 0A 00 10 05 22 05 1D 09 00 00 00", &source));
  target.MergeFrom(source);
  EXPECT_EQ(Wire(target),
            "22 0A 0D 01 00 00 00 1D 09 00 00 00 52 04 0A 00 10 05 5A 05 0A 01 62 10 01");
}

}  // namespace
