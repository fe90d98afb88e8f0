// Wire facts of the sensor's mail records: mails with attachments, URLs,
// local detections and status logs, and mail URL batches.
#include <gtest/gtest.h>

#include "appliance_protocol/sensor/mailattachments.pb.h"
#include "appliance_protocol/sensor/mailurls.pb.h"
#include "wire.h"

namespace {

using skelvar_test::ParseHex;
using skelvar_test::Wire;
namespace ma = appliance_protocol::sensor::mailattachments;

#define MA "appliance_protocol.sensor.mailattachments."
#define MU "appliance_protocol.sensor.mailurls."
// A mail message holding only its id; a delivery attempt with its host's address.
#define MSG "0A 03 0A 01 69"
#define ATTEMPT "0A 06 0A 04 08 04 12 00 10 01 18 00 25 01 00 00 00"

const skelvar_test::WireCase kWire[] = {
    {MA "Mail", "", "=", false, "message"},
    {MA "Mail", MSG, "=", true},
    // fields come out in number order whatever order they were read in
    {MA "Mail", "42 03 0A 01 64 3A 01 75 32 07 0D 01 00 00 00 10 01 2A 06 0A 00 12 00 1A 00 20 02 1A 03 0A 01 75 12 00 " MSG,
     MSG " 12 00 1A 03 0A 01 75 20 02 2A 06 0A 00 12 00 1A 00 32 07 0D 01 00 00 00 10 01 3A 01 75 42 03 0A 01 64", true},
    {MA "Mail", MSG " 1A 03 0A 01 75 1A 03 32 01 69", "=", false, "urls[1].url"},
    {MA "Mail", MSG " 2A 04 0A 00 12 00", "=", false},
    {MA "Mail", MSG " 20 04", "=", true},
    {MA "MailLocalDetection", "10 03 0A 00", "0A 00 10 03", true},
    {MA "MailStatus", "0D 01 00 00 00", "=", false, "upload_counter"},
    {MA "MailStatus", "0D 01 00 00 00 10 01 2A 11 " ATTEMPT, "=", true},
    {MA "MailStatus", "0D 01 00 00 00 10 01 2A 0B 0A 00 10 01 18 00 25 01 00 00 00", "=", false},
    {MA "MailStatus", "0D 01 00 00 00 10 01 22 05 15 01 00 00 00", "=", false},
    {MA "MailProcessingProgress", "08 07 15 01 00 00 00", "15 01 00 00 00 08 07", false},
    {MA "MailDeliveryAttempt", ATTEMPT, "=", true},
    {MA "MailDeliveryAttempt", "10 05 0A 06 0A 04 08 04 12 00 18 00 25 01 00 00 00",
     "0A 06 0A 04 08 04 12 00 18 00 25 01 00 00 00 10 05", false},
    {MA "MailQuarantineLog", "08 04 15 01 00 00 00 1A 00", "=", true},
    // URLs: field 6 is declared first but written in number order
    {MA "MailUrl", "32 01 69", "=", false, "url"},
    {MA "MailUrl", "0A 01 75", "=", true},
    {MA "MailUrl", "32 01 69 0A 01 75", "0A 01 75 32 01 69", true},
    {MA "MailUrl", "40 09 40 00 0A 01 75", "0A 01 75 40 09 40 00", true},
    {MA "MailUrl", "7A 01 62 75 02 00 00 00 0A 01 75 7A 01 61", "0A 01 75 75 02 00 00 00 7A 01 62 7A 01 61", true},
    // attachments: mime_part_path read in both forms, written unpacked
    {MA "MailAttachment", "", "=", true},
    {MA "MailAttachment", "32 03 01 02 03", "30 01 30 02 30 03", true},
    {MA "MailAttachment", "30 01 32 02 02 03", "30 01 30 02 30 03", true},
    {MA "MailAttachment", "22 02 32 00", "=", false},
    {MA "MailAttachment", "12 04 1A 02 0A 00", "=", false},
    {MA "MailAttachment", "12 04 3A 02 08 01", "=", false},
    {MA "MailAttachment", "38 05 55 01 00 00 00", "55 01 00 00 00 38 05", true},
    // mail URL batches keep duplicates and empty strings in order
    {MU "MailURLs", "", "=", false, "message"},
    {MU "MailURLs", MSG " 12 01 61 12 00 12 01 61", "=", true},
};

TEST(SensorMail, ParseAndWriteBack) {
  skelvar_test::CheckWire("", kWire);
}

TEST(SensorMail, UnsetEnumsReadTheFirstValue) {
  ma::Mail mail;
  EXPECT_EQ(mail.action(), ma::MAIL_ACTION_LOG);
  mail.set_action(ma::MAIL_ACTION_LOG);
  EXPECT_EQ(Wire(mail), "20 01");

  ma::MailUrl url;
  ASSERT_TRUE(ParseHex("10 02 38 04 40 05", &url));
  url.Clear();
  EXPECT_EQ(url.url_analysis_status(), ma::URL_WHITELISTED_BY_QX);
  EXPECT_EQ(url.pellucan_upload(), appliance_protocol::sensor::common::STATUS_UNKNOWN);
  EXPECT_EQ(url.action(), ma::MAIL_SAMPLE_ACTION_TEST);
  EXPECT_EQ(Wire(url), "");

  ma::MailProcessingProgress p;
  ASSERT_TRUE(ParseHex("08 07", &p));
  EXPECT_FALSE(p.has_mail_processing_state());
  EXPECT_EQ(p.mail_processing_state(), ma::MAIL_PROCESSING_STATE_RECEIVED);
}

TEST(SensorMail, NegativeNumbersTakeTenBytes) {
  ma::MailUrl url;
  url.set_prefilter_score(-1);
  EXPECT_EQ(Wire(url), "48 FF FF FF FF FF FF FF FF FF 01");
  ma::MailAttachment att;
  att.add_mime_part_path(-1);
  att.add_mime_part_path(2);
  EXPECT_EQ(Wire(att), "30 FF FF FF FF FF FF FF FF FF 01 30 02");
}

}  // namespace
