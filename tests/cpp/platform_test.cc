// Wire and descriptor facts of the platform's proto2 files: the custom field
// options on the core types, the core types, the IDS event context and the
// NDR cloud connector's file events.
#include <map>
#include <string>

#include <google/protobuf/descriptor.h>
#include <google/protobuf/descriptor.pb.h>
#include <google/protobuf/message.h>
#include <google/protobuf/unknown_field_set.h>
#include <gtest/gtest.h>

#include "appliance_protocol/zdq/proto_oh/velmorn/zdq/context/ids/ids_event.pb.h"
#include "appliance_protocol/zdq/proto_oh/velmorn/zdq/core_field_options.pb.h"
#include "appliance_protocol/zdq/proto_oh/velmorn/zdq/core_types.pb.h"
#include "appliance_protocol/zdq/proto_oh/velmorn/zdq/ndr/cloud_connector.pb.h"
#include "wire.h"

// glibc's <sys/sysmacros.h> defines major() and minor() as macros; none may
// be in force where the version accessors are used.
#if defined(major) || defined(minor)
#error "major/minor macros would rewrite the version accessors"
#endif

namespace {

using google::protobuf::FieldOptions;
using skelvar_test::ParseHex;
using skelvar_test::Wire;
namespace zdq = appliance_protocol::zdq::velmorn::zdq;
namespace ndr = appliance_protocol::zdq::velmorn::zdq::ndr;

// The fields of the core types, IDS context and cloud connector that carry a
// custom option, with its value; every other field reads each as its value 1.
TEST(PlatformOptions, ExactlyTheAnnotatedFields) {
  const std::map<std::string, std::string> want = {
      {"IpAddressMsg.ipv4", "u32=2"}, {"IpAddressMsg.ipv6", "bytes=2"},
      {"IpSubnetAddressMsg.ipv4", "u32=2"}, {"IpSubnetAddressMsg.ipv6", "bytes=2"},
      {"VipSubnetAddressMsg.active_ipv4", "u32=2"}, {"VipSubnetAddressMsg.active_ipv6", "bytes=2"},
      {"IpPrefixMsg.ipv4", "u32=2"}, {"IpPrefixMsg.ipv6", "bytes=2"},
      {"IpAddressWithPrefixMsg.ipv4", "u32=2"}, {"IpAddressWithPrefixMsg.ipv6", "bytes=2"},
      {"MacAddressMsg.mac", "u64=2"}};
  std::map<std::string, std::string> got;
  for (const auto* file : {zdq::UuidMsg::descriptor()->file(),
                           zdq::context::ids::EventInfo::descriptor()->file(),
                           ndr::FileMsg::descriptor()->file()}) {
    for (int m = 0; m < file->message_type_count(); ++m) {
      const auto* d = file->message_type(m);
      for (int i = 0; i < d->field_count(); ++i) {
        const FieldOptions& o = d->field(i)->options();
        std::string v;
        if (o.HasExtension(zdq::uint32_as)) v += "u32=" + std::to_string(o.GetExtension(zdq::uint32_as));
        if (o.HasExtension(zdq::uint64_as)) v += "u64=" + std::to_string(o.GetExtension(zdq::uint64_as));
        if (o.HasExtension(zdq::bytes_as)) v += "bytes=" + std::to_string(o.GetExtension(zdq::bytes_as));
        if (o.HasExtension(zdq::redact)) v += "redact";
        EXPECT_EQ(o.unknown_fields().field_count(), 0);
        if (!v.empty()) {
          got[d->name() + "." + d->field(i)->name()] = v;
        } else {
          EXPECT_EQ(o.GetExtension(zdq::uint32_as), zdq::UINT32_DEFAULT);
          EXPECT_EQ(o.GetExtension(zdq::uint64_as), zdq::UINT64_DEFAULT);
          EXPECT_EQ(o.GetExtension(zdq::bytes_as), zdq::BYTES_DEFAULT);
        }
        EXPECT_EQ(o.GetExtension(zdq::redact), zdq::REDACT_NONE);
      }
    }
  }
  EXPECT_EQ(got, want);
}

TEST(PlatformOptions, RedactValueOutsideTheEnumStaysUnknown) {
  FieldOptions o;
  ASSERT_TRUE(ParseHex("A0 F1 04 04", &o));
  EXPECT_FALSE(o.HasExtension(zdq::redact));
  ASSERT_EQ(o.unknown_fields().field_count(), 1);
  EXPECT_EQ(o.unknown_fields().field(0).number(), 10004);
  EXPECT_EQ(Wire(o), "A0 F1 04 04");
  ASSERT_TRUE(ParseHex("A0 F1 04 03", &o));
  EXPECT_EQ(o.GetExtension(zdq::redact), zdq::REDACT_FULL);
  EXPECT_FALSE(zdq::UINT32_AS_IsValid(3) || zdq::UINT32_AS_IsValid(-1) || zdq::REDACT_IsValid(4));
}

TEST(PlatformCoreTypes, VersionAccessorsAreTheFields) {
  zdq::ProductVersionMsg v;
  v.set_build_number(1);
  EXPECT_EQ(Wire(v), "30 01");
  v.set_major(0);
  v.set_minor(7);
  EXPECT_EQ(Wire(v), "08 00 10 07 30 01");
  EXPECT_EQ(v.major() + v.minor(), 7u);
  zdq::ProtocolVersionMsg p;
  ASSERT_TRUE(ParseHex("08 03 10 AC 02", &p));
  EXPECT_EQ(p.major() * 1000 + p.minor(), 3300u);
}

// Bytes parsed by a type and written again: presence, unpacked lists read in
// both forms, enum values outside their type kept as unknown fields written
// last, oneof members and interleaved batches.
TEST(PlatformWire, RoundTrips) {
  skelvar_test::CheckWire("appliance_protocol.zdq.velmorn.zdq", {
      {"UuidMsg", "08 05", "=", true},
      {"IpAddressMsg", "08 00", "=", true},
      {"IpSubnetAddressMsg", "0A 03 01 AC 02", "08 01 08 AC 02", true},
      {"IpSubnetAddressMsg", "08 01 0A 01 02", "08 01 08 02", true},
      {"IpRangeMsg", "0A 02 08 01 0A 03 12 01 FF", "0A 05 08 01 12 01 FF", true},
      {"RpcStatusMsg", "08 07 12 01 78", "12 01 78 08 07", true},
      {"RpcStatusMsg", "08 FF FF FF FF FF FF FF FF FF 01", "=", true},
      {"VoidMsg", "08 01 12 00", "=", true},
      {"context.ids.EventInfo", "C8 01 04 08 01", "08 01 C8 01 04", true},
      {"context.ids.EventInfo", "C8 01 03 58 03 60 03", "60 03 C8 01 03 58 03", true},
      {"ndr.FileDetectionInfoMsg", "10 05 08 01", "08 01 10 05", true},
      {"ndr.FlowInfoMsg", "58 02 80 01 01 A2 01 00", "58 01 80 01 01 A2 01 00", true},
      {"ndr.HttpRequestMsg", "10 09 10 08", "10 08 10 09", true},
      {"ndr.FileEventMsg", "0A 00 12 00", "12 00", true},
      {"ndr.FileEventMsg", "0A 02 18 01 0A 02 0A 00", "0A 04 0A 00 18 01", true},
      {"ndr.FileEventBatchMsg", "0A 00 12 00 0A 02 18 01", "0A 00 0A 02 18 01 12 00", true},
      {"ndr.MqFileVerdictUpdateEventMsg", "28 01 22 00", "22 00 28 01", true},
  });
}

TEST(PlatformFileEvent, OneofSwitching) {
  ndr::FileEventMsg e, transfer, update;
  ASSERT_TRUE(ParseHex("0A 00 12 00", &e));
  EXPECT_EQ(e.event_case(), ndr::FileEventMsg::kFileVerdictUpdateEvent);
  e.MergeFrom(ndr::FileEventMsg());  // an unset source changes nothing
  EXPECT_EQ(e.event_case(), ndr::FileEventMsg::kFileVerdictUpdateEvent);
  transfer.mutable_file_transfer_event()->set_block(true);
  e.MergeFrom(transfer);
  EXPECT_EQ(Wire(e), "0A 02 18 01");
  EXPECT_NE(&e.file_transfer_event(), &transfer.file_transfer_event());

  update.mutable_file_verdict_update_event();
  const auto* held = &e.file_transfer_event();
  e.Swap(&update);
  EXPECT_EQ(&update.file_transfer_event(), held);
  EXPECT_EQ(e.event_case(), ndr::FileEventMsg::kFileVerdictUpdateEvent);
  update.Clear();
  EXPECT_EQ(update.event_case(), ndr::FileEventMsg::EVENT_NOT_SET);
  EXPECT_FALSE(update.mutable_file_transfer_event()->has_block());
}

}  // namespace
