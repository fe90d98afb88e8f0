// Wire facts of the file, transfer and IDS download records.
#include <google/protobuf/descriptor.pb.h>
#include <gtest/gtest.h>

#include "appliance_protocol/sensor/file.pb.h"
#include "appliance_protocol/sensor/ftptransfer.pb.h"
#include "appliance_protocol/sensor/httptransfer.pb.h"
#include "appliance_protocol/sensor/idsdownload.pb.h"
#include "wire.h"

namespace {

using skelvar_test::Bytes;
using skelvar_test::CheckWire;
using skelvar_test::Wire;

#define MD5_SHA1 "2A 01 61 32 01 62"
#define DL "08 01 10 01 1A 01 61"  // timestamp 1, SHA1, hash "a"

TEST(SensorFiles, Wire) {
  CheckWire("appliance_protocol.sensor", {
      {"file.File", MD5_SHA1, "=", true},
      {"file.File", "2A 01 61", "=", false, "sha1_hash"},
      {"file.File", MD5_SHA1 " 62 02 12 00", "=", false, "archive_chain[0].archive_filename"},
      {"file.File", MD5_SHA1 " 62 02 0A 00", "=", true},
      {"file.File", "68 0F " MD5_SHA1, MD5_SHA1 " 68 0F", true},  // upload_status 15
      {"file.File", "68 00 48 05 " MD5_SHA1, MD5_SHA1 " 68 00 48 05", true},
      {"file.File", MD5_SHA1 " 90 01 AC 02", "=", true},  // update_timestamp 300, varint
      {"ftptransfer.FTPTransfer", "08 03", "=", false, "direction"},
      {"ftptransfer.FTPTransfer", "08 03 10 02", "=", true},
      {"ftptransfer.FTPTransfer", "10 00 08 03", "08 03 10 00", false, "direction"},
      {"httptransfer.HTTPTransfer", "", "=", false, "direction"},
      {"smb2transfer.SMB2Transfer", "08 04", "=", false, "direction"},
      {"idsdownload.IDSDownload", DL, "=", true},
      {"idsdownload.IDSDownload", "", "=", false, "timestamp, hash_type, hash"},
      {"idsdownload.IDSDownload", "08 01 10 01", "=", false, "hash"},
      {"idsdownload.IDSDownload", "08 01 10 03 1A 01 61", "08 01 1A 01 61 10 03", false, "hash_type"},
      {"idsdownload.IDSDownload", "50 00 " DL, DL " 50 00", true},  // hash2_type 0
      {"idsdownload.IDSDownload", "A0 01 03 B0 01 01 " DL, DL " B0 01 01 A0 01 03", true},
      {"idsdownload.IDSDownload", DL " B0 01 00", "=", true},  // false is present
      {"idsdownload.IDSDownload", DL " 62 02 12 00", "=", false, "errors[0].code"},
      {"idsdownload.IDSDownload", DL " 22 10 08 06 12 06 0A 04 08 04 12 00 22 04 0A 02 08 04", "=",
       false, "connection.dst_host.ip_address.address"},
      {"idsdownload.IDSDownload", DL " 82 01 03 2A 01 61", "=", false, "file.sha1_hash"},
      {"idsdownload.IDSDownload", DL " 8A 01 02 08 03", "=", false, "ftp_transfer.direction"},
      {"idsdownload.IDSDownload", DL " 9A 01 06 0A 01 76 12 01 74", "=", false,
       "integration_tool.tool_version"},
      // The three transfer details are independent fields, not a oneof.
      {"idsdownload.IDSDownload", DL " 8A 01 04 08 03 10 02 92 01 02 08 02 AA 01 02 08 01", "=", true},
  });
}

TEST(SensorFiles, UnsetEnumsReadFirstValue) {
  using namespace appliance_protocol::sensor;
  file::File f;
  f.set_upload_status(file::FILE_TOO_LARGE);
  f.set_pellucan_upload(common::UPLOADED);
  f.Clear();
  EXPECT_EQ(f.upload_status(), file::FILE_EXTRACTION_INCOMPLETE);
  EXPECT_EQ(f.pellucan_upload(), common::STATUS_UNKNOWN);
  EXPECT_EQ(Wire(f), "");

  idsdownload::IDSDownload d;
  EXPECT_EQ(d.hash_type(), common::SHA1);
  EXPECT_EQ(d.hash2_type(), common::SHA1);
  EXPECT_EQ(d.action(), idsdownload::IDS_DOWNLOAD_LOG);
  ASSERT_TRUE(d.ParsePartialFromString(Bytes("A0 01 03")));
  EXPECT_FALSE(d.has_action());
  EXPECT_EQ(httptransfer::HTTPTransfer().direction(), httptransfer::HTTP_DIR_DOWNLOAD);

  ftptransfer::FTPTransfer t;
  ASSERT_TRUE(t.ParsePartialFromString(Bytes("10 00")));
  EXPECT_FALSE(t.has_direction());
  EXPECT_EQ(t.direction(), ftptransfer::FTP_DIR_UNKNOWN);

  EXPECT_TRUE(d.GetDescriptor()->FindFieldByName("dst_hostname")->options().deprecated());
}

}  // namespace
