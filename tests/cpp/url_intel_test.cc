// Wire facts of the intelligence feeds, the threat-intelligence lookup, the
// URL daemon's control messages and the URL fetcher's envelope extensions.
#include <memory>

#include <gtest/gtest.h>

#include "appliance_protocol/qxprotobuf/qxurl_fetcher.pb.h"
#include "appliance_protocol/qxprotobuf/qxurld.pb.h"
#include "wire.h"

namespace {

using google::protobuf::DescriptorPool;
using google::protobuf::Message;
using google::protobuf::MessageFactory;
using skelvar_test::CheckWire;
using skelvar_test::ParseHex;
using skelvar_test::Wire;
namespace fetcher = appliance_protocol::qxprotobuf::qxurl_fetcher;

#define VERSIONS "09 01 00 00 00 00 00 00 00 11 02 00 00 00 00 00 00 00"
#define NEW_ONLY "11 02 00 00 00 00 00 00 00"
#define ENV "08 01 10 01"             // type FetchRequestType, message_id 1
#define FETCH "C2 3E 04 0A 00 10 00"  // extension 1000: url "", headless false

TEST(UrlIntel, Wire) {
  CheckWire("appliance_protocol.qxprotobuf", {
      // versioned feeds
      {"intel.BlacklistIPFeed", VERSIONS, "=", true},
      {"intel.BlacklistIPFeed", "09 00 00 00 00 00 00 00 00 11 00 00 00 00 00 00 00 00", "=", true},
      {"intel.BlacklistIPFeed", NEW_ONLY, "=", false},
      {"intel.BlacklistIPFeed", "08 01 " NEW_ONLY, NEW_ONLY " 08 01", false},
      {"intel.BlacklistIPFeed", VERSIONS " 1A 02 08 04", "=", false},
      {"intel.BlacklistIPFeed", "28 01 22 08 0A 04 08 04 12 00 10 01 1A 04 08 06 12 00 " NEW_ONLY
       " 09 01 00 00 00 00 00 00 00",
       VERSIONS " 1A 04 08 06 12 00 22 08 0A 04 08 04 12 00 10 01 28 01", true},
      {"intel.YaraRuleFeed", VERSIONS " 1A 00", "=", true},
      {"intel.BlacklistDomainFeed", VERSIONS " 22 02 10 01", "=", false},
      {"intel.BlacklistDomainFeed", VERSIONS " 22 04 0A 00 10 01", "=", false},
      {"intel.BlacklistDomainFeed", VERSIONS " 22 06 0A 02 0A 00 10 01", "=", true},
      {"intel.IPAddress", "08 05 12 04 01 02 03 04", "12 04 01 02 03 04 08 05", false},
      {"intel.IPAddress", "08 06 08 05 12 00", "08 06 12 00 08 05", true},
      {"intel.IPAddress", "08 06 12 04 01 02 03 04", "=", true},
      {"intel.IDSRuleVariableEntry", "0A 03 0A 01 6E 12 01 76 18 03", "=", false},
      {"intel.IDSRuleVariableEntry", "0A 03 0A 01 6E 12 01 76 18 02", "=", true},
      {"intel.IDSRuleId", "08 FF FF FF FF FF FF FF FF FF 01 10 01", "=", true},
      // customer blacklist and reputation feed
      {"intel.ReputationFeed", "", "", true},
      {"intel.ReputationFeed", "0A 00", "=", false},
      {"intel.ReputationFeed", "1A 04 08 01 10 02", "=", false},
      {"intel.ReputationFeed.Entry", "08 05 12 00", "12 00 08 05", false},
      {"intel.ReputationFeed.Entry", "08 01 12 00 32 00", "=", true},
      {"intel.ReputationFeed.Entry", "08 01 2A 06 0A 02 08 04 10 18", "=", false},
      {"intel.CIDRNet", "0A 04 08 04 12 00 10 C8 01", "=", true},
      {"intel.CustomerLocalBlacklistFeed", "15 01 00 00 00", "=", true},
      {"intel.CustomerLocalBlacklistFeed", "15 01 00 00 00 0A 07 2D 00 00 00 00 30 02",
       "0A 07 2D 00 00 00 00 30 01 15 01 00 00 00", true},
      {"intel.CustomerLocalBlacklistFeed", "0A 07 2D 00 00 00 00 30 00", "=", false},
      {"intel.HTTPData", "0A 02 FF FE", "=", true},
      // threat-intelligence lookup
      {"tic.LocationInfo", "0A 00 10 01", "=", true},  // score -1
      {"tic.LocationInfo", "0A 00", "=", false},
      {"tic.Metadata", "0A 01 73 12 01 74 1A 01 78 28 02", "0A 01 73 12 01 74 28 02 1A 01 78", true},
      {"tic.TCPProto", "12 04 08 04 12 00 1D 50 00 00 00 22 04 08 04 12 00", "=", true},
      {"tic.TCPProto", "0A 00 12 04 08 04 12 00", "12 04 08 04 12 00 0A 00", false},
      {"tic.TCPProto", "12 02 08 04 22 04 08 04 12 00", "=", false},
      {"tic.Location", "1D 00 00 00 00", "=", true},
      {"tic.Location", "22 06 12 04 08 04 12 00", "=", false},
      {"tic.Request", "0A 01 63 1A 02 0A 00", "=", false},
      // URL daemon
      {"qxurld.QxurldReply", "08 01 22 02 08 00 3A 00", "=", true},
      {"qxurld.QxurldReply", "08 01 3A 02 0A 00", "=", false},
      {"qxurld.QxurldReply", "08 01 2A 00", "=", true},
      {"qxurld.QxurldRequest", "08 05 12 01 75", "12 01 75 08 05", false},
      {"qxurld.QxurldRequest", "08 01 28 00", "=", true},
      {"qxurld.QxurldUpdate", "08 01", "=", true},
      {"qxurld.QxurldStatusPlugin", "0A 01 6E", "=", false},
      {"qxurld.QxurldAnalysis", "08 01 12 01 61 12 01 62", "=", true},
      // URL fetcher envelope: declared fields, extensions by number, unknown fields
      {"qxurl_fetcher.Message", ENV, "=", true},
      {"qxurl_fetcher.Message", "08 01", "=", false},
      {"qxurl_fetcher.Message", ENV " C2 3E 03 0A 01 75", "=", false},
      {"qxurl_fetcher.Message", ENV " DA 3E 02 0A 00", "=", true},  // 1003: not registered
      {"qxurl_fetcher.Message", "BA 3E 00 " ENV, ENV " BA 3E 00", true},  // 999
      {"qxurl_fetcher.Message", ENV " C8 3E 01", "=", true},  // 1001 as a varint
      {"qxurl_fetcher.Message", "08 02 10 01 D2 3E 03 0A 01 63 CA 3E 02 08 01 " FETCH,
       "08 02 10 01 " FETCH " CA 3E 02 08 01 D2 3E 03 0A 01 63", true},
      {"qxurl_fetcher.Message", "1A 00 " FETCH " " ENV, ENV " " FETCH " 1A 00", true},
      {"qxurl_fetcher.Message", "08 04 10 01", "10 01 08 04", false},
      {"qxurl_fetcher.Message", "08 01 10 FF FF FF FF FF FF FF FF FF 01", "=", true},
      {"qxurl_fetcher.Message", "C2 3E 05 0A 01 61 10 01 C2 3E 05 0A 01 62 38 02",
       "C2 3E 07 0A 01 62 10 01 38 02", false},
  });
}

TEST(UrlIntel, FetcherExtensions) {
  fetcher::Message m;
  EXPECT_EQ(m.GetExtension(fetcher::FetchRequest::message).hooking_mode(), fetcher::FetchRequest::PASSIVE);
  EXPECT_EQ(m.GetExtension(fetcher::FetchResponse::message).code(), fetcher::FetchResponse::FETCH_SUCCESS);

  m.set_type(fetcher::Message::DaemonCommandType);  // type and payload are independent
  m.set_message_id(7);
  m.MutableExtension(fetcher::DaemonCommand::message)->set_command("c");
  m.MutableExtension(fetcher::FetchRequest::message)->set_url("u");
  m.MutableExtension(fetcher::FetchRequest::message)->set_headless(true);
  m.MutableExtension(fetcher::FetchRequest::message)->set_hooking_mode(fetcher::FetchRequest::INVASIVE);
  EXPECT_EQ(Wire(m), "08 03 10 07 C2 3E 07 0A 01 75 10 01 38 02 D2 3E 03 0A 01 63");
  EXPECT_TRUE(m.IsInitialized());

  // The generated factory's class parses the registered extensions.
  const auto* proto = MessageFactory::generated_factory()->GetPrototype(fetcher::Message::descriptor());
  EXPECT_EQ(proto, &fetcher::Message::default_instance());
  std::unique_ptr<Message> parsed(proto->New());
  ASSERT_TRUE(parsed->ParseFromString(m.SerializeAsString()));
  const auto& env = static_cast<const fetcher::Message&>(*parsed);
  EXPECT_TRUE(env.HasExtension(fetcher::FetchRequest::message));
  EXPECT_EQ(env.GetExtension(fetcher::DaemonCommand::message).command(), "c");
  EXPECT_EQ(env.unknown_fields().field_count(), 0);
  const auto* ext = DescriptorPool::generated_pool()->FindExtensionByName(
      "appliance_protocol.qxprotobuf.qxurl_fetcher.FetchResponse.message");
  ASSERT_NE(ext, nullptr);
  EXPECT_EQ(ext->number(), 1001);
  EXPECT_EQ(ext->containing_type(), fetcher::Message::descriptor());
  EXPECT_EQ(ext->extension_scope(), fetcher::FetchResponse::descriptor());

  // Clear drops the extensions and resets the declared fields.
  m.Clear();
  EXPECT_FALSE(m.HasExtension(fetcher::FetchRequest::message));
  EXPECT_FALSE(m.HasExtension(fetcher::DaemonCommand::message));
  EXPECT_EQ(m.type(), fetcher::Message::FetchRequestType);
  EXPECT_EQ(m.message_id(), 0);
  EXPECT_EQ(Wire(m), "");
  EXPECT_EQ(m.MutableExtension(fetcher::FetchRequest::message)->hooking_mode(), fetcher::FetchRequest::PASSIVE);
  EXPECT_EQ(m.GetExtension(fetcher::FetchRequest::message).url(), "");
}

TEST(UrlIntel, FetcherMergeAndUnknown) {
  fetcher::Message a, b;
  ASSERT_TRUE(ParseHex("C2 3E 06 0A 01 61 1A 01 62", &a));
  ASSERT_TRUE(ParseHex("08 02 C2 3E 05 0A 01 63 10 01 DA 3E 00", &b));
  a.MergeFrom(b);
  EXPECT_EQ(Wire(a), "08 02 C2 3E 08 0A 01 63 10 01 1A 01 62 DA 3E 00");
  ASSERT_EQ(a.unknown_fields().field_count(), 1);
  EXPECT_EQ(a.unknown_fields().field(0).number(), 1003);
}

TEST(UrlIntel, FieldlessSelfMerge) {
  appliance_protocol::qxprotobuf::qxurld::QxurldUpdate u;
  ASSERT_TRUE(ParseHex("08 01", &u));
  u.MergeFrom(u);
  EXPECT_EQ(Wire(u), "08 01 08 01");
  appliance_protocol::qxprotobuf::qxurld::QxurldReload r;
  r.MergeFrom(r);
  EXPECT_EQ(Wire(r), "");
}

}  // namespace
