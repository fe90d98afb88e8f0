// Wire facts of the intelligence channel's proto3 files: UTF-8 checks, open
// enumerations, packed lists, zero values, oneofs, maps and unknown fields.
#include <string>
#include <vector>

#include <google/protobuf/descriptor.h>
#include <google/protobuf/io/coded_stream.h>
#include <google/protobuf/io/zero_copy_stream_impl_lite.h>
#include <google/protobuf/stubs/logging.h>
#include <gtest/gtest.h>

#include "appliance_protocol/zdq_pace/proto3/velmorn/zdq/intelligence/core/v1/core_types.pb.h"
#include "appliance_protocol/zdq_pace/proto3/velmorn/zdq/intelligence/intelligence_pubsub.pb.h"
#include "appliance_protocol/zdq_pace/proto3/velmorn/zdq/intelligence/nta/v1/nta.pb.h"
#include "appliance_protocol/zdq_pace/proto3/velmorn/zdq/intelligence/pubsub/v1/pubsub_notification.pb.h"
#include "wire.h"

namespace {

using skelvar_test::Bytes;
using skelvar_test::CheckWire;
using skelvar_test::Hex;
using skelvar_test::kFails;
using skelvar_test::ParseHex;
using skelvar_test::Wire;
namespace intel = appliance_protocol::zdq_pace::velmorn::zdq::intelligence;
namespace nta = intel::nta::v1;
namespace ps = intel::pubsub::v1;

#define ONE "00 00 00 00 00 00 F0 3F"  // 1.0
#define TWO "00 00 00 00 00 00 00 40"  // 2.0

// Parsed and written again: packed and unpacked lists, open enumerations,
// zero values not written, oneof switching, map entries with a missing key
// or value, and unknown fields (which the runtime keeps and writes last);
// then input that fails.
TEST(IntelligenceWire, ParseAndWriteBack) {
  CheckWire("appliance_protocol.zdq_pace.velmorn.zdq.intelligence", {
      {"pubsub.v1.TopicMsg", "10 05 10 01", "12 02 05 01", true},
      {"pubsub.v1.TopicMsg", "10 01 12 00 12 01 05", "12 02 01 05", true},
      {"pubsub.v1.TopicMsg", "12 01 09 1A 00", "=", true},
      {"pubsub.v1.BrokerMsg", "0A 00 12 00 12 01 61 18 00", "12 00 12 01 61", true},
      {"pubsub.v1.L7AttributeMsg", "08 01 0A 02 AC 02", "0A 03 01 AC 02", true},
      {"pubsub.v1.L7AttributeMsg", "18 FF FF FF FF FF FF FF FF FF 01", "1A 0A FF FF FF FF FF FF FF FF FF 01", true},
      {"L7AttributeMsg", "30 03 28 02 20 01", "22 01 01 2A 01 02 32 01 03", true},
      {"FlowRecordMsg", "18 02 E0 01 01 60 07", "18 01 60 07 E0 01 01", true},
      {"FlowRecordMsg", "42 00 FA 01 00", "=", true},
      {"PubSubMsg", "12 00 0A 00 0A 00", "0A 00 0A 00 12 00", true},
      {"pubsub.v1.FlowRecordMsg", "78 09", "=", true},
      {"nta.v1.UnionValue", "0A 00 1A 00", "1A 00", true},
      {"nta.v1.UnionValue", "22 00", "=", true},
      {"nta.v1.UnionValue", "0A 0A 0A 08 " ONE " 0A 0A 0A 08 " TWO, "0A 12 0A 10 " ONE " " TWO, true},
      {"nta.v1.UnionValue", "22 01 61 22 01 62", "22 01 62", true},
      {"nta.v1.ListNumber", "09 " ONE " 0A 08 " TWO, "0A 10 " ONE " " TWO, true},
      {"nta.v1.ListBoolean", "0A 03 00 05 01", "0A 03 00 01 01", true},
      {"nta.v1.Connection", "28 64 28 C8 01 20 00 32 00", "2A 03 64 C8 01 32 00", true},
      {"nta.v1.MergePlan", "12 02 10 02", "12 04 0A 00 10 02", true},
      {"nta.v1.MergePlan", "12 05 0A 01 61 10 01 12 05 0A 01 61 10 07", "12 05 0A 01 61 10 07", true},
      {"nta.v1.EventMetadata", "0A 03 0A 01 6B", "0A 05 0A 01 6B 12 00", true},
      {"nta.v1.EventMetadata", "0A 08 0A 01 6B 12 03 22 01 61 0A 03 0A 01 6B", "0A 05 0A 01 6B 12 00", true},
      {"nta.v1.NtaAlert", "10 09 3A 0B 08 FF FF FF FF FF FF FF FF FF 01", "=", true},
      // Unknown numbers, and known numbers with another wire type, are kept.
      {"pubsub.v1.TopicMsg", "48 05 0A 01 74", "0A 01 74 48 05", true},
      {"FlowRecordMsg", "28 05", "=", true},
      {"pubsub.v1.PubSubMsg", "0A 00 12 00", "=", true},
      {"core.v1.TypedStruct", "08 01 12 00", "12 00 08 01", true},
      // Text fields that are not UTF-8 fail the parse, at any depth.
      {"pubsub.v1.TopicMsg", "0A 02 C3 28", kFails, false},
      {"pubsub.v1.TopicMsg", "1A 04 12 02 C3 28", kFails, false},  // a broker's endpoint
      {"L7AttributeMsg", "12 01 FF", kFails, false},
      {"PubSubMsg", "0A 04 A2 01 01 FF", kFails, false},            // a record's dst_vif_ids
      {"core.v1.TypedStruct", "0A 01 FF", kFails, false},
      {"nta.v1.ListNumber", "0A 07 00 00 00 00 00 00 00", kFails, false},  // a cut packed run
      {"nta.v1.NtaAlert", "52 01 FF", kFails, false},
  });
}

std::vector<std::string> logged;
void Collect(google::protobuf::LogLevel, const char*, int, const std::string& m) { logged.push_back(m); }

TEST(IntelligenceUtf8, BadTextIsStoredOnParseAndWrittenWithAReport) {
  ps::TopicMsg t;
  EXPECT_FALSE(ParseHex("0A 02 C3 28", &t));
  EXPECT_EQ(t.topic_id(), Bytes("C3 28"));
  auto* old = google::protobuf::SetLogHandler(&Collect);
  EXPECT_EQ(Wire(t), "0A 02 C3 28");
  google::protobuf::SetLogHandler(old);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_NE(logged[0].find("'appliance_protocol.zdq_pace.velmorn.zdq.intelligence.pubsub.v1.TopicMsg.topic_id'"),
            std::string::npos);
}

TEST(IntelligenceValues, EnumsAndMergeOfZeroValues) {
  EXPECT_FALSE(ps::BrokerMsg_BrokerType_IsValid(7) || nta::DetectorAction_IsValid(-1) ||
               intel::core::v1::ProtocolType_IsValid(6));
  // The unversioned copies declare ProtocolType fifth, core/v1 first.
  EXPECT_EQ(intel::ProtocolType_descriptor()->index(), 4);
  EXPECT_EQ(intel::core::v1::ProtocolType_descriptor()->index(), 0);

  ps::BrokerMsg to, from;
  to.set_topic("x");
  to.set_broker_type(ps::BrokerMsg::BROKER_TYPE_KAFKA);
  to.add_endpoints("a");
  from.add_endpoints("b");
  to.MergeFrom(from);
  EXPECT_EQ(Wire(to), "0A 01 78 12 01 61 12 01 62 18 01");
  ps::PubSubNotificationMsg n, zero;
  n.set_auto_start(true);
  n.set_notification(ps::PubSubNotificationMsg::NOTIFICATION_TYPE_ERROR);
  zero.mutable_topic();
  n.MergeFrom(zero);
  EXPECT_EQ(Wire(n), "22 00 28 01 30 05");
}

TEST(IntelligenceMaps, MergeReplacesValuesAndBadKeysAreNotStored) {
  nta::EventMetadata to, from;
  ASSERT_TRUE(ParseHex("0A 11 0A 01 6B 12 0C 0A 0A 0A 08 " TWO " 0A 07 0A 01 6A 12 02 22 00", &to));
  ASSERT_TRUE(ParseHex("0A 11 0A 01 6B 12 0C 0A 0A 0A 08 " ONE, &from));
  to.MergeFrom(from);
  ASSERT_EQ(to.kv_store().size(), 2u);
  EXPECT_EQ(Wire(to.kv_store().at("k")), "0A 0A 0A 08 " ONE);
  EXPECT_EQ(to.kv_store().at("j").value_type_case(), nta::UnionValue::kJsonValue);

  nta::MergePlan p;
  EXPECT_FALSE(ParseHex("12 06 0A 02 C3 28 10 01", &p));
  EXPECT_EQ(p.metadata_key_merge_operation_size(), 0);
  nta::EventMetadata e;
  EXPECT_FALSE(ParseHex("0A 04 0A 02 C3 28", &e));
  EXPECT_EQ(e.kv_store_size(), 0);
}

TEST(IntelligenceMaps, DeterministicOutputSortsKeysAtEveryDepth) {
  nta::Event e;
  auto& ops = *e.mutable_merge_plan()->mutable_metadata_key_merge_operation();
  ops["b"] = nta::MERGE_POLICY_OVERRIDE_EXISTING;
  ops["a"] = nta::MERGE_POLICY_KEEP_ORIGINAL;
  ops["ab"] = nta::MERGE_POLICY_SET_UNION;
  std::string out;
  {
    google::protobuf::io::StringOutputStream s(&out);
    google::protobuf::io::CodedOutputStream c(&s);
    c.SetSerializationDeterministic(true);
    e.SerializeToCodedStream(&c);
  }
  EXPECT_EQ(Hex(out), "3A 16 12 05 0A 01 61 10 02 12 06 0A 02 61 62 10 03 12 05 0A 01 62 10 01");
}

}  // namespace
