// The analysis engine's facts, alerts, host identifiers, service requests and
// responses, and the smaller analysis records on the wire.
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <google/protobuf/descriptor.h>
#include <google/protobuf/message.h>

#include "appliance_protocol/qxprotobuf/ioc.pb.h"
#include "appliance_protocol/qxprotobuf/knowledgebase_alerting.pb.h"
#include "appliance_protocol/qxprotobuf/qxanta.pb.h"
#include "appliance_protocol/qxprotobuf/qxanta_service.pb.h"
#include "wire.h"

namespace {

namespace gp = google::protobuf;
namespace qx = appliance_protocol::qxprotobuf::qxanta;
namespace svc = appliance_protocol::qxprotobuf::qxanta_service;
using skelvar_test::Bytes;
using skelvar_test::CheckWire;
using skelvar_test::ParseHex;
using skelvar_test::Wire;

#define HOURLY "0A 04 0A 00 12 00 12 04 08 04 12 00 1D 00 00 00 00"
#define FEATURE "1A 0E 0A 00 12 00 1D 00 00 00 00 25 00 00 00 00"
#define ALERT "08 01 10 02 18 03 25 00 00 00 00 2A 00 32 00 3D 00 00 00 00 45 00 00 00 00"

TEST(AnalysisEngineWire, FactsHostIdsAlerts) {
  CheckWire("appliance_protocol.qxprotobuf.qxanta", {
      // hours: read unpacked and packed, in arrival order; always written as one packed run.
      {"HourlyTimeseriesFact", HOURLY " 20 05 22 02 06 07", HOURLY " 22 03 05 06 07", true},
      {"HourlyTimeseriesFact", "22 01 05 " HOURLY " 20 FF FF FF FF FF FF FF FF FF 01",
       HOURLY " 22 0B 05 FF FF FF FF FF FF FF FF FF 01", true},
      {"HourlyTimeseriesFact", HOURLY " 22 00", HOURLY, true},
      // Fact has no fields 2 and 3: kept as unknown, written after end_ts.
      {"Fact", "0A 04 0A 00 12 00 10 01 1A 00 22 04 08 04 12 00 2D 00 00 00 00 35 00 00 00 00",
       "0A 04 0A 00 12 00 22 04 08 04 12 00 2D 00 00 00 00 35 00 00 00 00 10 01 1A 00", true},
      {"MQFactGroup",
       "08 01 10 02 18 03 25 E8 03 00 00 2A 14 0A 02 0A 00 22 04 08 04 12 00 2D 00 00 00 00 35 00 00 00 00", "=", false},
      {"HostIDReport", "08 02", "=", true},
      {"HostIDReport", "", "=", false},
      {"HostIDReport", "08 05", "=", false},
      // The member that arrives last is kept, alone.
      {"HostIDReport", "08 01 12 00 1A 07 0A 00 15 00 00 00 00", "08 01 1A 07 0A 00 15 00 00 00 00", true},
      {"HostIDReport", "1A 07 0A 00 15 00 00 00 00 12 00 08 01", "08 01 12 00", false},
      // A second host_id merges into the first: later scalars win, features append.
      {"HostIDReport",
       "08 01 12 18 0A 01 61 " FEATURE " 25 01 00 00 00 12 1E 0A 01 62 12 04 08 04 12 00 " FEATURE
       " 2D 02 00 00 00",
       "08 01 12 33 0A 01 62 12 04 08 04 12 00 " FEATURE " " FEATURE " 25 01 00 00 00 2D 02 00 00 00", true},
      {"MQHostIDGroup",
       "08 01 10 01 18 01 25 00 00 00 00 2A 12 08 01 12 0E 0A 01 61 12 04 08 04 12 00 25 00 00 00 00", "=", false},
      // Out-of-range enumeration values are kept as read, all 64 bits of them;
      // only the low 32 bits are tested for validity.
      {"HostIDReport", "08 FF FF FF FF 0F", "=", false},
      {"HostIDReport", "08 FF FF FF FF FF FF FF FF FF 01", "=", false},
      {"HostIDReport", "08 85 80 80 80 10", "=", false},
      {"HostIDReport", "08 82 80 80 80 10", "08 02", true},
      {"MQQXAntaAlert", "88 01 02 " ALERT, ALERT " 88 01 02", true},
      {"MQQXAntaAlert", ALERT, "=", false},
      {"MQQXAntaAlert", ALERT " 88 01 01 82 01 06 0A 00 12 00 1A 00", ALERT " 82 01 06 0A 00 12 00 1A 00 88 01 01", false},
      {"MQQXAntaAlert", ALERT " 88 01 02 9A 01 00 A0 01 02 92 01 02 0A 00 AA 01 02 0A 00",
       ALERT " 88 01 02 92 01 02 0A 00 9A 01 00 A0 01 01 AA 01 02 0A 00", true},
      {"MQQXAntaAlert", ALERT " 92 01 00", "=", false},
      {"MQQXAntaAlert",
       ALERT " 88 01 02 82 01 0C 0A 01 47 12 01 68 1A 01 78 22 01 2F 82 01 06 0A 01 50 22 01 71",
       ALERT " 82 01 0C 0A 01 50 12 01 68 1A 01 78 22 01 71 88 01 02", true},
      // sint32 is ZigZag: protocol -1 is 01, occurrences 64 is 80 01.
      {"MQQXAntaAlert", ALERT " 48 01 88 01 80 01 BA 01 02 FF FE", "=", true},
      {"MQQXAntaAlert", ALERT " C2 01 01 41 8A 01 01 02", "=", false},
  });
}

#define LICENSE "0A 0C 08 01 10 02 18 03 22 01 6B 2A 01 73"

TEST(AnalysisEngineWire, ServiceExchange) {
  CheckWire("appliance_protocol.qxprotobuf.qxanta_service", {
      {"Request", "", "=", true},
      // The last member on the wire wins; the same member again merges.
      {"Request", "12 02 08 01 0A 12 " LICENSE " 10 01 1A 00", "0A 12 " LICENSE " 10 01 1A 00", true},
      {"Request", "1A 03 12 01 61 1A 11 " LICENSE " 12 01 62", "1A 11 " LICENSE " 12 01 62", true},
      {"Request", "0A 10 " LICENSE " 10 01", "=", false},
      {"Request", "0A 0F 0A 09 08 01 10 02 18 03 22 01 6B 10 01 1A 00", "=", false},
      {"Request", "22 00", "=", true},
      {"FlushRequest", "08 00", "=", true},
      {"FlushRequest", "12 0C 08 01 10 02 18 03 22 01 6B 2A 01 73", "=", false},
      {"ProcessRequest", LICENSE " 10 09 1A 02 FF FE 20 03", LICENSE " 1A 02 FF FE 10 09 20 03", false},
      {"Response", "", "=", true},
      {"Response", "0A 10 " LICENSE " 10 01 12 13 " LICENSE " 15 00 00 00 00 0A 14 " LICENSE " 10 01 1A 00 1A 00",
       "0A 10 " LICENSE " 10 01 0A 14 " LICENSE " 10 01 1A 00 1A 00 12 13 " LICENSE " 15 00 00 00 00", true},
      {"Response", "0A 10 10 06 " LICENSE, "0A 10 " LICENSE " 10 06", false},
      {"Response", "12 05 15 00 00 00 00 1A 00", "=", false},
  });
}

#define KB_REQUIRED "08 01 12 00 1A 00 3D 00 00 00 00 45 00 00 00 00"
#define IP "08 04 12 01 01"
#define JS_REQUIRED "0A 05 " IP " 15 50 00 00 00 1A 05 " IP " 25 BB 01 00 00 2A 00 32 02 00 FF 3A 00 42 00"

TEST(AnalysisEngineWire, AnalysisRecords) {
  CheckWire("appliance_protocol.qxprotobuf.detection_entity", {
      {"DetectionEntity", "08 01 10 06 18 01 25 00 00 00 00 2A 00", "08 01 18 01 25 00 00 00 00 2A 00 10 06", false},
      {"DetectionEntity", "08 01 10 05 18 01 25 00 00 00 00", "=", true},
      {"DetectionEntityData", "0A 06 08 01 10 01 18 01 12 00", "=", false},
      {"DetectionEntityData", "12 00 0A 0B 08 01 10 01 18 01 25 00 00 00 00",
       "0A 0B 08 01 10 01 18 01 25 00 00 00 00 12 00", true},
  });
  CheckWire("appliance_protocol.qxprotobuf.knowledgebase_alerting", {
      {"KnowledgebaseAnalysisIocMatch", KB_REQUIRED, "=", true},
      {"KnowledgebaseAnalysisIocMatch", KB_REQUIRED " 4A 02 12 00", "=", false},
      {"KnowledgebaseAnalysisIocMatch", KB_REQUIRED " 52 04 0A 00 12 00", "=", false},
      {"KnowledgebaseAnalysisIocMatch", "20 00 " KB_REQUIRED " 5A 01 41 50 05",
       "08 01 12 00 1A 00 20 00 3D 00 00 00 00 45 00 00 00 00 5A 01 41 50 05", true},
      {"KnowledgebaseAnalysisIocFileMatch", "12 00 1A 00 08 05", "08 05 12 00 1A 00", true},
      {"KnowledgebaseAnalysisIocFileMatch", "08 05", "=", false},
  });
  CheckWire("appliance_protocol.qxprotobuf.jsd", {
      {"JsData", JS_REQUIRED " 52 00", "=", false},
      {"JsData", "52 02 08 05 " JS_REQUIRED " 4A 00 4A 01 61 4A 01 62",
       JS_REQUIRED " 4A 00 4A 01 61 4A 01 62 52 02 08 05", true},
      {"JsData", "0A 05 " IP " 10 05 1A 05 " IP " 25 BB 01 00 00 2A 00 32 02 00 FF 3A 00 42 00",
       "0A 05 " IP " 1A 05 " IP " 25 BB 01 00 00 2A 00 32 02 00 FF 3A 00 42 00 10 05", false},
      {"JsAnalysisResult", "08 01 12 04 0A 00 10 01 12 02 0A 00", "=", false},
  });
  CheckWire("appliance_protocol.qxprotobuf.ioc", {
      {"MQIocCheckTask", "08 01 10 02 25 00 00 00 00 2A 01 61", "=", true},
      {"MQIocCheckTask", "18 03 08 01 10 02 25 00 00 00 00 2A 01 61",
       "08 01 10 02 18 03 25 00 00 00 00 2A 01 61", true},
      {"MQIocCheckTask", "08 01 10 02 20 05 2A 02 FF FE", "08 01 10 02 2A 02 FF FE 20 05", false},
  });
  CheckWire("appliance_protocol.qxprotobuf.analysis_history", {
      {"AnalysisHistory", "32 00 2A 00 08 01 12 01 75 1A 01 74 25 00 00 00 00",
       "08 01 12 01 75 1A 01 74 25 00 00 00 00 2A 00 32 00", true},
      {"AnalysisHistory", "08 01 1A 01 74 20 05", "=", false},
  });
}

TEST(AnalysisEngineFields, PackedHours) {
  qx::HourlyTimeseriesFact fact;
  ASSERT_TRUE(ParseHex(HOURLY, &fact));
  for (uint64_t v : {0u, 1u, 300u}) fact.add_hours(v);
  // The run's length is measured once and then used by the writer.
  ASSERT_EQ(fact.ByteSizeLong(), 17u + 6u);
  std::string out(fact.GetCachedSize(), '\0');
  fact.SerializeWithCachedSizesToArray(reinterpret_cast<uint8_t*>(&out[0]));
  EXPECT_EQ(skelvar_test::Hex(out), HOURLY " 22 04 00 01 AC 02");
  fact.clear_hours();
  EXPECT_EQ(fact.ByteSizeLong(), 17u);
  EXPECT_EQ(Wire(fact), HOURLY);

  // A value cut off by the run's end, or by the end of input, fails the parse.
  qx::HourlyTimeseriesFact cut;
  EXPECT_FALSE(cut.ParsePartialFromString(Bytes("22 01 80 05")));
  EXPECT_FALSE(cut.ParsePartialFromString(Bytes("22 02 05")));
}

TEST(AnalysisEngineFields, HostIdReportOneof) {
  qx::HostIDReport report;
  report.mutable_host_id()->set_host_id("a");
  report.mutable_host_id_expiration()->set_expired_host_id("b");
  EXPECT_EQ(report.host_id_report_case(), qx::HostIDReport::kHostIdExpiration);
  EXPECT_EQ(&report.host_id(), &qx::HostID::default_instance());
  std::unique_ptr<qx::HostIDExpiration> released(report.release_host_id_expiration());
  EXPECT_EQ(released->expired_host_id(), "b");
  EXPECT_EQ(report.host_id_report_case(), qx::HostIDReport::HOST_ID_REPORT_NOT_SET);

  report.mutable_host_id();
  report.Clear();
  EXPECT_EQ(report.host_id_report_case(), qx::HostIDReport::HOST_ID_REPORT_NOT_SET);

  qx::HostIDReport target, source;
  target.mutable_host_id()->set_host_id("a");
  source.mutable_host_id_expiration()->set_expired_host_id("b");
  target.MergeFrom(source);
  EXPECT_EQ(Wire(target), "1A 03 0A 01 62");
}

TEST(AnalysisEngineFields, RequestOneof) {
  svc::Request request;
  request.mutable_query_status_request();
  EXPECT_TRUE(request.IsInitialized());
  request.mutable_process_request()->set_data("x");
  EXPECT_EQ(request.request_case(), svc::Request::kProcessRequest);
  EXPECT_FALSE(request.has_query_status_request());
  EXPECT_FALSE(request.IsInitialized());

  svc::Request flush;
  flush.mutable_flush_request()->set_terminate(true);
  request.MergeFrom(flush);
  EXPECT_EQ(request.request_case(), svc::Request::kFlushRequest);
  EXPECT_EQ(Wire(request), "12 02 08 01");
  request.clear_request();
  EXPECT_EQ(request.ByteSizeLong(), 0u);

  svc::ProcessRequest process;
  EXPECT_EQ(process.source(), svc::SOURCE_QIXMOOR);
  EXPECT_EQ(&process.license_info(), &svc::LicenseInfo::default_instance());
  process.set_data_type(svc::RDP);
  process.set_source(svc::SOURCE_ZDQ);
  process.Clear();
  EXPECT_EQ(process.data_type(), svc::NETFLOW);
  EXPECT_EQ(process.source(), svc::SOURCE_QIXMOOR);
}

TEST(AnalysisEngineFields, ClearKeepsSubRecords) {
  qx::MQQXAntaAlert alert;
  qx::Evidence* evidence = alert.mutable_evidence();
  evidence->set_evidence_rule("r");
  alert.Clear();
  EXPECT_FALSE(alert.has_evidence());
  EXPECT_EQ(&alert.evidence(), evidence);
  EXPECT_FALSE(evidence->has_evidence_rule());
}

TEST(AnalysisEngineFields, RequiredFieldsFallbackSize) {
  appliance_protocol::qxprotobuf::ioc::MQIocCheckTask task;
  ASSERT_TRUE(ParseHex("08 01 10 02 2A 01 61", &task));
  EXPECT_EQ(task.ByteSizeLong(), 7u);
  task.set_utc_timestamp(0);
  EXPECT_EQ(task.ByteSizeLong(), 12u);
}

TEST(AnalysisEngineFields, Registration) {
  const gp::DescriptorPool* pool = gp::DescriptorPool::generated_pool();
  EXPECT_NE(pool->FindMessageTypeByName(
                "appliance_protocol.qxprotobuf.knowledgebase_alerting.KnwoledgebaseAnalysisIocMatchInstance"),
            nullptr);
  // The service file imports the engine's file although it uses none of its types.
  const gp::FileDescriptor* service = svc::Request::descriptor()->file();
  ASSERT_EQ(service->dependency_count(), 1);
  EXPECT_EQ(service->dependency(0)->name(), "appliance_protocol/qxprotobuf/qxanta.proto");
}

}  // namespace
