// SMB, DCERPC and Kerberos records of the sensor's IDS: wire bytes, oneof
// switching, clearing and merging, required fields several levels down.
#include <gtest/gtest.h>

#include "appliance_protocol/sensor/idssmb.pb.h"
#include "wire.h"

namespace {

using namespace appliance_protocol::sensor::idssmb;
using skelvar_test::Wire;

// A minimal initialised NetworkConnection: TCP, both hosts V4 with an empty address.
#define CONN "08 06 12 06 0A 04 08 04 12 00 22 06 0A 04 08 04 12 00"
#define HEAD "08 AC 02 12 12 " CONN  // timestamp 300 as varint AC 02, connection

const skelvar_test::WireCase kCases[] = {
    {"IDSSMB", HEAD " 4A 00 62 03 0A 01 61", HEAD " 62 03 0A 01 61", true},  // 9 then 12
    {"IDSSMB", HEAD " 5A 03 0A 01 61 5A 02 10 02", HEAD " 5A 05 0A 01 61 10 02", true},
    {"IDSSMB", HEAD " 5A 03 0A 01 61", "=", false},  // no share_type
    {"IDSSMB", HEAD " 4A 00", "=", true},
    {"IDSSMB", HEAD " 7A 08 0A 06 08 01 2A 02 0A 00", "=", false},
    {"IDSSMB", "", "=", false},
    {"SMBTreeConnectEvent", "0A 01 61 10 00 1A 01 62 22 01 63", "0A 01 61 1A 01 62 22 01 63 10 00", false},
    {"SMBTreeConnectEvent", "0A 01 61 10 05", "=", false},
    {"DCERPC", "08 01 22 02 08 01 2A 00", "08 01 2A 00", true},  // bind replaces generic
    {"DCERPC", "08 01 22 02 08 01 32 00", "=", true},
    {"DCERPC", "08 01 2A 02 0A 00", "=", false},  // interface without uuid
    {"DCERPC", "08 01 22 00", "=", false},              // request without opnum
    {"DCERPC", "08 FF FF FF FF FF FF FF FF FF 01", "=", true},
    {"IDSKRB", HEAD, "=", true},
    {"IDSKRB", HEAD " 1A 00", "=", false},  // kerberos without msg_type
    {"IDSKRB", "08 05", "=", false},
    {"Kerberos", "32 01 72 2A 01 78 22 01 63 2A 01 79 0A 00 2A 01 7A 40 00 1A 00",
     "0A 00 1A 00 22 01 63 2A 01 78 2A 01 79 2A 01 7A 32 01 72 40 00", true},
};

TEST(SensorSmb, WireTable) {
  skelvar_test::CheckWire("appliance_protocol.sensor.idssmb", kCases);
}

TEST(SensorSmb, EventSpecSwitchClearMerge) {
  IDSSMB smb, src;
  smb.mutable_file()->set_fuid("f");
  src.set_tx_id(3);
  smb.MergeFrom(src);  // source case 0 keeps the target's member
  src.mutable_file()->set_share("s");
  smb.MergeFrom(src);  // same member: merged into
  EXPECT_EQ(Wire(smb), "18 03 6A 06 0A 01 66 1A 01 73");
  src.mutable_rename()->set_fuid("r");
  smb.MergeFrom(src);  // another member: replaces
  EXPECT_EQ(Wire(smb), "18 03 72 03 0A 01 72");

  const auto* conn = smb.mutable_connection();
  smb.mutable_dcerpc();
  EXPECT_EQ(smb.event_spec_case(), IDSSMB::kDcerpc);
  EXPECT_EQ(&smb.rename(), &SMBRenameEvent::default_instance());
  smb.Clear();
  EXPECT_EQ(smb.event_spec_case(), IDSSMB::EVENT_SPEC_NOT_SET);
  EXPECT_EQ(&smb.connection(), conn);  // kept and cleared, not freed
  EXPECT_EQ(Wire(smb), "");
}

TEST(SensorSmb, DcerpcOneofsAreIndependent) {
  DCERPC rpc, other;
  rpc.mutable_bind_request();
  rpc.mutable_generic_response();
  other.mutable_generic_request()->set_opnum(2);
  rpc.MergeFrom(other);  // replaces bind_request, leaves generic_response
  EXPECT_EQ(Wire(rpc), "22 02 08 02 32 00");
  rpc.Clear();
  EXPECT_EQ(rpc.request_spec_case(), DCERPC::REQUEST_SPEC_NOT_SET);
  EXPECT_EQ(rpc.response_spec_case(), DCERPC::RESPONSE_SPEC_NOT_SET);
}

}  // namespace
