// Wire facts of analysis submission, prefilter, post-processing, completion
// registration, analyst SDK and breach correlation records.
#include <gtest/gtest.h>

#include "appliance_protocol/qxprotobuf/breach.pb.h"
#include "appliance_protocol/sensor/qxshed.pb.h"
#include "wire.h"

namespace {

using skelvar_test::CheckWire;
using skelvar_test::kFails;
using skelvar_test::ParseHex;
using skelvar_test::Wire;

#define APP "0A 08 08 01 10 02 18 03 20 04"  // complete SensorApplication
#define ID "0A 03 0A 01 75"                  // id { uuid "u" }
#define TS "15 01 00 00 00"                  // utc_timestamp 1 (field 2)
#define DONE_REQ "08 01 12 01 74 18 02"      // user_id 1, task_uuid "t", score 2

TEST(Submission, Wire) {
  CheckWire("appliance_protocol", {
      // scheduler envelope and its oneof
      {"sensor.qxshed.QXShedSubmission", APP, "=", true},
      {"sensor.qxshed.QXShedSubmission", "0A 06 08 01 10 02 18 03", "=", false},
      {"sensor.qxshed.QXShedSubmission", APP " 12 00 1A 00", APP " 1A 00", true},
      {"sensor.qxshed.QXShedSubmission", APP " 12 02 0A 00 12 02 12 00", APP " 12 04 0A 00 12 00", false},
      {"sensor.qxshed.QXShedSubmission", "10 05 " APP " 1A 00", APP " 1A 00 10 05", true},
      {"sensor.qxshed.QXShedSubmission", APP " 22 00", "=", false},
      {"sensor.qxshed.QXShedCrashdumpSubmission", ID " 12 00 1A 00 22 00", "=", true},
      {"sensor.qxshed.QXShedPellucanUrlSubmission", ID " 12 01 61 30 01", "=", true},
      {"sensor.qxshed.QXShedPellucanFileSubmission", ID " 12 00 7D 00 00 00 00 B0 01 02", "=", true},
      {"sensor.qxshed.QXShedPellucanFileSubmission", ID " 12 00 1A 04 08 01 10 01", "=", false},
      {"sensor.qxshed.QXShedPellucanFileSubmission", ID " 12 00 1A 07 08 01 10 01 1A 01 68", "=", true},
      // prefilter
      {"qxprotobuf.prefilter.Response", "", "", false},
      {"qxprotobuf.prefilter.Response", "08 04", "=", true},
      {"qxprotobuf.prefilter.Response", "08 07 12 01 75", "12 01 75 08 07", false},
      {"qxprotobuf.prefilter.Response", "08 04 30 05", "=", true},  // score -3
      {"qxprotobuf.prefilter.OriginInfo", "90 01 00 0A 00", "0A 00 90 01 00", true},
      {"qxprotobuf.prefilter.Request", "0A 02 0A 00", "=", false},
      {"qxprotobuf.prefilter.Request", "0A 06 0A 00 10 01 1A 00", "=", true},
      {"qxprotobuf.prefilter.Request", "0A 04 0A 00 10 01 12 00", "12 00", false},
      {"qxprotobuf.prefilter.AnalystSDKSubmission", "0A 01 61", "=", false},
      {"qxprotobuf.prefilter.AnalystSDKSubmission", "0A 01 61 12 01 62 1A 02 FF 00", "=", true},
      // post-processing
      {"qxprotobuf.postprocessing.AnalysisCompleted", "08 01 18 02", "=", false},
      {"qxprotobuf.postprocessing.AnalysisCompleted", DONE_REQ " 42 02 10 01", "=", false},
      {"qxprotobuf.postprocessing.AnalysisCompleted", DONE_REQ " 32 00", "=", true},
      {"qxprotobuf.postprocessing.AnalysisCompleted", DONE_REQ " 22 03 01 AC 02", DONE_REQ " 20 01 20 AC 02", true},
      {"qxprotobuf.postprocessing.AnalysisCompleted", DONE_REQ " 20 05 22 01 06 20 07", DONE_REQ " 20 05 20 06 20 07", true},
      {"qxprotobuf.postprocessing.AnalysisCompleted", DONE_REQ " 4A 05 0A 01 61 10 02 4A 03 0A 01 62", DONE_REQ " 4A 05 0A 01 62 10 02", true},
      {"qxprotobuf.postprocessing.AnalysisCompleted", "08 01 12 01 74 18 FF FF FF FF 0F", "=", true},
      {"qxprotobuf.postprocessing.AnalysisTaskMetadata", "10 03 0A 01 78", "0A 01 78 10 03", true},
      {"qxprotobuf.postprocessing.ReprocessEventOverrides", "08 00", "=", true},
      {"qxprotobuf.postprocessing.ReprocessEventOverrides", "08 00 12 02 0A 00", "=", false},
      {"qxprotobuf.postprocessing.ReprocessCommand", "08 01 15 01 02 03 04", "=", true},
      // completion registration: its own numbering, 5 required fields
      {"qxprotobuf.register_completion_request.MQRegisterCompletionRequest",
       "08 01 10 02 1D 03 00 00 00 22 01 74 28 05", "=", true},
      {"qxprotobuf.register_completion_request.MQRegisterCompletionRequest",
       "08 01 10 02 1D 03 00 00 00 22 01 74", "=", false},
      {"qxprotobuf.register_completion_request.MQRegisterCompletionRequest",
       "28 05 22 01 74 1D 03 00 00 00 10 02 08 80 01", "08 80 01 10 02 1D 03 00 00 00 22 01 74 28 05", true},
      {"qxprotobuf.register_completion_request.MQRegisterCompletionRequest",
       "08 01 10 02 18 03 22 01 74 28 05", "08 01 10 02 22 01 74 28 05 18 03", false},
      // analyst SDK
      {"sensor.analyst_sdk.KeyValuePair", "0A 01 6B 10 05 31 00 00 00 00 00 00 F8 3F", "=", true},
      {"sensor.analyst_sdk.KeyValuePair", "0A 01 6B 10 08 4A 08 01 00 00 00 02 00 00 00",
       "0A 01 6B 10 08 4D 01 00 00 00 4D 02 00 00 00", true},
      {"sensor.analyst_sdk.KeyValuePair", "0A 01 6B 10 03 1A 00 3A 00", "=", true},
      {"sensor.analyst_sdk.KeyValuePair", "10 09 0A 01 6B 28 02", "0A 01 6B 28 01 10 09", false},
      // A packed fixed32 run whose length is not a multiple of four.
      {"sensor.analyst_sdk.KeyValuePair", "4A 06 01 00 00 00 02 00", kFails, false},
      {"sensor.analyst_sdk.AnalysisId", "0A 00 11 01 00 00 00 00 00 F8 7F", "=", true},  // NaN payload
      {"sensor.analyst_sdk.AnalysisId", "0A 00 11 00 00 00 00 00 00 00 80", "=", true},  // -0.0
      {"sensor.analyst_sdk.AnalysisId", "0A 00 10 01", "=", false},
      {"sensor.analyst_sdk.AnalysisSubject", "08 02 12 03 0A 01 70", "=", true},
      {"sensor.analyst_sdk.AnalysisSubject", "08 02 12 00", "=", false},
      {"sensor.analyst_sdk.AnalysisRequest", "0A 00 22 02 08 01 3A 06 0A 00 12 02 0A 00", "=", false},
      {"sensor.analyst_sdk.PellucanTaskManager_Status", "0D 00 00 00 00", "=", true},
      // breach correlation and its two oneofs
      {"qxprotobuf.breach.MQBreach", "08 05 " TS, "=", true},
      {"qxprotobuf.breach.MQBreach", "08 05 " TS " 1A 00 22 00", "08 05 " TS " 22 00", true},
      {"qxprotobuf.breach.MQBreach", "08 05 " TS " 22 00 1A 00", "08 05 " TS " 1A 00", true},
      {"qxprotobuf.breach.MQBreach", "08 05 " TS " 22 06 08 05 12 02 08 01 22 02 08 07",
       "08 05 " TS " 22 06 08 07 12 02 08 01", false},  // the mail lacks its timestamp
      {"qxprotobuf.breach.MQBreach", "18 01 08 05 " TS, "08 05 " TS " 18 01", true},
      {"qxprotobuf.breach.BreachCorrelation", "12 02 01 02", "10 01 10 02", true},
      {"qxprotobuf.breach.MailMessageId", "08 80 80 80 80 80 20 15 00 00 00 00", "=", true},
      {"qxprotobuf.breach.MQBreachCorrelationEvent", "08 01 " TS " 1A 02 08 01", "=", false},
      {"qxprotobuf.breach.MQBreachCorrelationEvent", "08 01 " TS " 1A 07 08 01 15 02 00 00 00", "=", true},
      {"qxprotobuf.breach.MQBreachCorrelationEvent", "08 01 " TS " 1A 00 22 04 08 01 10 02",
       "08 01 " TS " 22 04 08 01 10 02", false},  // mail event lacks its timestamp
      {"qxprotobuf.breach.MQBreachCorrelationRuleRunTrigger",
       "08 01 " TS " 1A 0B 08 01 " TS " 1A 02 08 01 22 06 0A 01 72 12 01 69", "=", false},
      {"qxprotobuf.breach.MQBreachCorrelationRuleRunTrigger",
       "08 01 " TS " 1A 07 08 01 " TS " 22 06 0A 01 72 12 01 69", "=", true},
  });
}

TEST(Submission, BadInput) {
  // The oneof member is chosen before its bytes are read: a failing member
  // parse leaves it selected with what was read.
  appliance_protocol::qxprotobuf::breach::MQBreachCorrelationEvent ev;
  EXPECT_FALSE(ParseHex("08 01 1A 04 08 07 10", &ev));
  EXPECT_TRUE(ev.has_network_event());
  EXPECT_EQ(ev.network_event().user_id(), 7u);
}

TEST(Submission, SensorUploadInsideScheduler) {
  appliance_protocol::sensor::qxshed::QXShedSubmission s;
  auto* app = s.mutable_application();
  app->set_tool(1);
  app->set_tool_version_major(2);
  app->set_tool_version_minor(3);
  EXPECT_FALSE(s.IsInitialized());
  app->set_tool_version_build(4);
  EXPECT_TRUE(s.IsInitialized());

  auto* item = s.mutable_papi_submission()->add_sensoruploads();
  item->mutable_id()->set_uuid("u");
  auto* upload = item->mutable_sensorupload();
  upload->mutable_sensor_id()->set_access_key("a");
  upload->mutable_sensor_id()->set_sensor_key("s");
  upload->mutable_application()->CopyFrom(*app);
  EXPECT_TRUE(s.IsInitialized());

  // Any record deep inside the upload gates the whole envelope.
  upload->add_heartbeats();
  EXPECT_FALSE(s.IsInitialized());
  EXPECT_EQ(s.InitializationErrorString(),
            "papi_submission.sensoruploads[0].sensorupload.heartbeats[0].timestamp");
  upload->mutable_heartbeats(0)->set_timestamp(9);
  EXPECT_TRUE(s.IsInitialized());

  appliance_protocol::sensor::qxshed::QXShedSubmission back;
  ASSERT_TRUE(back.ParseFromString(s.SerializeAsString()));
  EXPECT_EQ(Wire(back), Wire(s));
}

TEST(Submission, OneofMergeAndClear) {
  using appliance_protocol::qxprotobuf::breach::MQBreach;
  MQBreach target, source, none;
  target.mutable_breach_correlation()->set_reason("r");
  none.set_user_id(3);
  target.MergeFrom(none);  // no member in the source: the target's stays
  EXPECT_EQ(target.breach_action_case(), MQBreach::kBreachCorrelation);
  EXPECT_EQ(target.breach_correlation().reason(), "r");

  source.mutable_breach_update()->set_incident_id(9);
  target.MergeFrom(source);
  EXPECT_EQ(target.breach_action_case(), MQBreach::kBreachUpdate);
  EXPECT_EQ(Wire(target), "08 03 22 02 08 09");

  target.clear_breach_action();
  EXPECT_EQ(target.breach_action_case(), MQBreach::BREACH_ACTION_NOT_SET);
  EXPECT_EQ(&target.breach_update(), &appliance_protocol::qxprotobuf::breach::BreachUpdate::default_instance());
  target.clear_breach_action();  // case 0: nothing to do
  EXPECT_EQ(Wire(target), "08 03");

  using appliance_protocol::sensor::qxshed::QXShedSubmission;
  QXShedSubmission a, b;
  a.mutable_papi_submission();
  b.mutable_pellucan_submission()->add_urls()->set_url("x");
  a.MergeFrom(b);
  EXPECT_EQ(a.submission_case(), QXShedSubmission::kPellucanSubmission);
  EXPECT_EQ(a.pellucan_submission().urls(0).url(), "x");
  a.mutable_crashdump_submission();
  a.clear_submission();
  EXPECT_EQ(a.submission_case(), QXShedSubmission::SUBMISSION_NOT_SET);
  EXPECT_EQ(Wire(a), "");
}

}  // namespace
