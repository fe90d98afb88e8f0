#include "payloads.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "appliance_protocol/sensor/alert.pb.h"
#include "appliance_protocol/sensor/common.pb.h"
#include "appliance_protocol/sensor/heartbeat.pb.h"
#include "appliance_protocol/sensor/idsdownload.pb.h"
#include "appliance_protocol/sensor/idstls.pb.h"
#include "appliance_protocol/sensor/idsurl.pb.h"
#include "appliance_protocol/sensor/netflow.pb.h"
#include "appliance_protocol/sensor/passivedns.pb.h"
#include "appliance_protocol/sensor/queuemessage.pb.h"
#include "appliance_protocol/sensor/upload.pb.h"

namespace skelvar_bench {
namespace {

namespace common = appliance_protocol::sensor::common;
namespace alert = appliance_protocol::sensor::alert;
namespace dns = appliance_protocol::sensor::passivedns;
namespace netflow = appliance_protocol::sensor::netflow;
namespace idsurl = appliance_protocol::sensor::idsurl;
namespace idsdownload = appliance_protocol::sensor::idsdownload;
namespace idstls = appliance_protocol::sensor::idstls;

// A minute of traffic on a sensor: timestamps count from here.
constexpr uint32_t kEpoch = 1700000000;

const char* const kDomains[] = {
    "www.example.com",         "cdn.static-assets.net",   "api.weather-service.io",
    "login.corp-intranet.lan", "update.os-vendor.com",    "telemetry.browser.org",
    "mail.provider-mx.com",    "img.news-portal.co.uk",   "tracker.ads-network.biz",
    "files.share-host.net",    "xkqz7v2m.dyn-dns.top",    "ocsp.cert-authority.com",
};

const char* const kUserAgents[] = {
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/119.0.0.0 Safari/537.36",
    "Mozilla/5.0 (X11; Linux x86_64; rv:120.0) Gecko/20100101 Firefox/120.0",
    "Microsoft-CryptoAPI/10.0",
    "curl/7.88.1",
};

const char* const kContentTypes[] = {
    "text/html; charset=utf-8", "application/json", "image/png",
    "application/octet-stream", "application/x-dosexec", "text/javascript",
};

const char* const kRules[] = {
    "alert http $HOME_NET any -> $EXTERNAL_NET any (msg:\"ET POLICY Executable download "
    "from dotted-quad host\"; flow:established,to_server; http.uri; content:\".exe\"; "
    "endswith; classtype:policy-violation; sid:2016141; rev:4;)",
    "alert dns $HOME_NET any -> any any (msg:\"Suspicious DNS lookup of dynamic DNS "
    "domain\"; dns.query; content:\".dyn-dns.top\"; endswith; classtype:bad-unknown; "
    "sid:2027758; rev:2;)",
    "alert tls $EXTERNAL_NET any -> $HOME_NET any (msg:\"Self-signed certificate with "
    "suspicious subject\"; tls.subject; content:\"CN=localhost\"; classtype:trojan-activity; "
    "sid:2013926; rev:7;)",
};

const char* const kClassifications[] = {
    "Potential Corporate Privacy Violation", "Potentially Bad Traffic",
    "A Network Trojan was detected",
};

// Deterministic values: std::mt19937's sequence is fixed by the standard
// (its distributions are not, so none is used).
class Gen {
 public:
  explicit Gen(uint32_t seed) : rng_(seed) {}

  uint32_t Next() { return static_cast<uint32_t>(rng_()); }
  uint32_t Below(uint32_t n) { return Next() % n; }
  bool OneIn(uint32_t n) { return Below(n) == 0; }
  template <typename T, size_t N>
  const T& Pick(const T (&items)[N]) { return items[Below(N)]; }

  std::string RawBytes(size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(Next());
    return s;
  }
  std::string HexDigits(size_t n) {
    static const char kHex[] = "0123456789abcdef";
    std::string s(n, '0');
    for (char& c : s) c = kHex[Below(16)];
    return s;
  }
  std::string Uuid() {
    return HexDigits(8) + "-" + HexDigits(4) + "-" + HexDigits(4) + "-" + HexDigits(4) + "-" +
           HexDigits(12);
  }

  // Mostly IPv4 on the sensor's own networks; one address in eight is IPv6.
  void Address(common::IPAddress* a, bool internal) {
    if (OneIn(8)) {
      a->set_type(common::V6);
      a->set_address(std::string("\x20\x01\x0d\xb8", 4) + RawBytes(12));
    } else {
      a->set_type(common::V4);
      std::string v4 = internal ? std::string("\x0a\x00", 2) + RawBytes(2) : RawBytes(4);
      a->set_address(v4);
    }
  }
  void Host(common::Host* h, bool internal) {
    Address(h->mutable_ip_address(), internal);
    if (internal && OneIn(2)) {
      h->mutable_mac_address()->set_address(std::string("\x00\x50\x56", 3) + RawBytes(3));
    }
    if (!internal && OneIn(3)) h->mutable_hostname()->set_hostname(Pick(kDomains));
  }
  void Connection(common::NetworkConnection* c, bool udp, uint32_t dst_port) {
    c->set_transport_protocol(udp ? common::UDP : common::TCP);
    Host(c->mutable_src_host(), true);
    c->set_src_port(49152 + Below(16384));
    Host(c->mutable_dst_host(), false);
    c->set_dst_port(dst_port);
    if (OneIn(4)) c->set_vlan_id0(100 + Below(8));
    c->set_interface("eth1");
  }
  void Span(common::Timespan* t, uint32_t at) {
    t->set_timestamp_start(at);
    t->set_timestamp_end(at + Below(30));
  }
  std::string Path() {
    static const char* const kDirs[] = {"/api/v2/items", "/static/js", "/images/thumbs",
                                        "/download", "/search", "/wp-content/uploads/2023/11"};
    std::string p = Pick(kDirs);
    p += "/" + HexDigits(6 + Below(16));
    if (OneIn(2)) p += "?id=" + std::to_string(Next()) + "&session=" + HexDigits(24);
    return p;
  }
  void Headers(google::protobuf::RepeatedPtrField<common::HttpHeader>* headers,
               const std::vector<std::pair<std::string, std::string>>& items) {
    for (const auto& [name, value] : items) {
      common::HttpHeader* h = headers->Add();
      h->set_name(name);
      h->set_value(value);
    }
  }
  void Request(common::WebRequest* r) {
    const std::string domain = Pick(kDomains);
    r->mutable_domain()->set_hostname(domain);
    r->set_method(OneIn(5) ? common::POST : common::GET);
    r->set_path(Path());
    r->set_protocol("HTTP/1.1");
    if (OneIn(2)) r->set_referer("https://" + std::string(Pick(kDomains)) + Path());
    r->set_user_agent(Pick(kUserAgents));
    r->set_response_code(OneIn(10) ? 404 : 200);
    r->set_response_size(Below(200000));
    const std::string type = Pick(kContentTypes);
    r->set_response_content_type(type);
    Headers(r->mutable_request_headers(),
            {{"Host", domain},
             {"Accept", "*/*"},
             {"Accept-Encoding", "gzip, deflate, br"},
             {"Accept-Language", "en-US,en;q=0.9"},
             {"Connection", "keep-alive"}});
    Headers(r->mutable_response_headers(),
            {{"Server", "nginx"},
             {"Date", "Tue, 14 Nov 2023 22:13:" + std::to_string(10 + Below(50)) + " GMT"},
             {"Content-Type", type},
             {"Content-Length", std::to_string(Below(200000))},
             {"Cache-Control", "max-age=3600"},
             {"ETag", "\"" + HexDigits(16) + "\""}});
  }

  void NetFlow(netflow::NetFlow* f, uint32_t at) {
    const bool udp = OneIn(4);
    Connection(f->mutable_connection(), udp, udp ? 53 : (OneIn(3) ? 80 : 443));
    f->set_tos(0);
    Span(f->mutable_timespan(), at);
    const uint32_t packets_out = 1 + Below(200), packets_in = 1 + Below(400);
    f->set_packets_out(packets_out);
    f->set_packets_in(packets_in);
    f->set_bytes_out(packets_out * (60 + Below(900)));
    f->set_bytes_in(packets_in * (60 + Below(1400)));
    if (!udp) {
      f->set_syns_out(1);
      f->set_syns_in(1);
      f->set_fins_out(1);
      f->set_fins_in(Below(2));
      f->set_rsts_out(Below(2));
      f->set_pshs_out(Below(packets_out));
      f->set_pshs_in(Below(packets_in));
      f->set_acks_out(packets_out);
      f->set_acks_in(packets_in);
    }
    for (int i = 0; i < 8; ++i) f->add_payload_bytes_signature(Below(1500));
    f->set_app_layer_protocol(udp ? "dns" : "tls");
    if (OneIn(2)) f->set_dns_name(Pick(kDomains));
    f->set_source(netflow::SOURCE_QXPSV);
    f->set_mtu(1500);
    // The first packets of the flow, for the flow-tree model.
    const int packets = OneIn(3) ? 0 : 4 + Below(6);
    for (int i = 0; i < packets; ++i) {
      netflow::PacketInfo* p = f->add_packets();
      p->set_payload_bytes(Below(1460));
      p->set_timestamp_offset(Below(5000) * (i + 1));
      p->set_is_to_server(i % 2 == 0);
      if (!udp) p->set_tcp_flags(0x18);
    }
  }

  void DnsEntry(dns::PassiveDnsEntry* e, uint32_t at) {
    const std::string name = Pick(kDomains);
    e->add_questions()->set_name(name);
    if (OneIn(12)) {
      e->set_error(dns::ERROR_NAME);
    } else {
      e->set_error(dns::ERROR_NONE);
      std::string owner = name;
      if (OneIn(3)) {
        dns::DnsAnswer* cname = e->add_answers();
        cname->set_dns_type(dns::TYPE_CNAME);
        cname->set_name(owner);
        owner = "edge-" + HexDigits(4) + ".cdn-provider.net";
        cname->set_alias(owner);
        cname->set_ttl(300);
      }
      for (uint32_t i = 0, n = 1 + Below(4); i < n; ++i) {
        dns::DnsAnswer* a = e->add_answers();
        a->set_name(owner);
        Address(a->mutable_address(), false);
        a->set_dns_type(a->address().type() == common::V6 ? dns::TYPE_AAAA : dns::TYPE_A);
        a->set_ttl(60 + Below(3600));
      }
    }
    for (uint32_t i = 0, n = 1 + Below(3); i < n; ++i) {
      dns::DnsRequestor* r = e->add_requestors();
      Span(r->mutable_timespan(), at);
      r->set_count(1 + Below(20));
      Address(r->mutable_address(), true);
    }
    Address(e->add_nameserver_addresses(), true);
    Span(e->mutable_timespan(), at);
    e->set_interface("eth1");
  }

  void Url(idsurl::IDSURL* u, uint32_t at) {
    Span(u->mutable_timespan(), at);
    common::WebRequest* r = u->mutable_request();
    Request(r);
    Connection(r->mutable_connection(), false, 80);
    u->set_counter(1 + Below(5));
  }

  void Alert(alert::Alert* a, uint32_t at) {
    const uint32_t rule = Below(3);
    a->set_type(rule == 1 ? alert::DNS : alert::IDS);
    a->set_action(alert::LOG);
    Span(a->mutable_timespan(), at);
    Connection(a->mutable_connection(), rule == 1, rule == 1 ? 53 : 443);
    a->set_occurrences(1 + Below(3));
    a->set_blacklist_version(20231114);
    a->set_detector_id(Below(64));
    alert::IDSRule* r = a->mutable_ids_rule();
    r->set_signature_id(2000000 + Below(100000));
    r->set_rule(kRules[rule]);
    r->set_classification(kClassifications[rule]);
    r->set_group_id(1);
    r->set_revision_id(1 + Below(9));
    if (rule == 0) Request(a->mutable_web_request());
    if (OneIn(4)) {
      alert::BlacklistReputationMatch* m = a->mutable_blacklist_reputation_match();
      m->set_host(Pick(kDomains));
      m->set_url_path(Path());
      m->set_port(443);
      m->set_local_blacklist_entry(false);
    }
    a->set_is_client_relevant_host(OneIn(2));
    a->set_zdq_event_uuid(Uuid());
    a->set_confidence(Below(100));
  }

  void Download(idsdownload::IDSDownload* d, uint32_t at) {
    const std::string sha1 = HexDigits(40), md5 = HexDigits(32);
    d->set_timestamp(at);
    d->set_hash_type(common::SHA1);
    d->set_hash(sha1);
    Connection(d->mutable_connection(), false, 80);
    const std::string filename = "setup_" + HexDigits(6) + ".exe";
    d->set_filename(filename);
    Request(d->mutable_request());
    d->set_magic("PE32 executable (GUI) Intel 80386, for MS Windows");
    const uint32_t size = 40000 + Below(4000000);
    d->set_size(size);
    d->set_task_id(Uuid());
    d->set_hash2_type(common::MD5);
    d->set_hash2(md5);
    d->set_pcap_packets(Below(3000));
    d->set_conn_history("ShADadfF");
    appliance_protocol::sensor::file::File* f = d->mutable_file();
    f->set_filename(filename);
    f->set_filetype("exe");
    for (const char* feature : {"compiler", "packer", "signed", "subsystem"}) {
      auto* x = f->add_features();
      x->set_feature(feature);
      x->set_value(HexDigits(8));
    }
    f->set_size(size);
    f->set_md5_hash(md5);
    f->set_sha1_hash(sha1);
    f->set_sha256_hash(HexDigits(64));
    f->set_task_uuid(Uuid());
    f->set_pellucan_upload(common::UPLOADED);
    f->set_pellucan_score(Below(100));
    d->mutable_http_transfer()->set_direction(
        appliance_protocol::sensor::httptransfer::HTTP_DIR_DOWNLOAD);
    d->set_action(idsdownload::IDS_DOWNLOAD_LOG);
  }

  void Tls(idstls::IDSTLS* t, uint32_t at) {
    t->set_timestamp(at);
    Connection(t->mutable_connection(), false, 443);
    t->mutable_sni()->set_hostname(Pick(kDomains));
    idstls::JA3* ja3 = t->mutable_ja3();
    ja3->set_ssl_version(771);
    for (int i = 0; i < 16; ++i) ja3->add_cipher(0xc000 + Below(0x40));
    for (int i = 0; i < 12; ++i) ja3->add_ssl_extension(Below(60));
    for (uint32_t c : {29u, 23u, 24u, 25u}) ja3->add_elliptic_curve(c);
    ja3->add_elliptic_curve_format(0);
    // A new server's certificate chain travels once, with its digests;
    // later sessions to it carry the digests alone.
    const bool new_server = OneIn(3);
    for (int i = 0; i < 2; ++i) {
      if (new_server) t->add_certificates_chain(RawBytes(900 + Below(700)));
      t->add_certificates_sha256_chain(HexDigits(64));
    }
    t->set_leaf_certificate_subject_info("CN=" + std::string(Pick(kDomains)) +
                                         ", O=Example Inc, L=San Francisco, ST=California, C=US");
    t->set_leaf_certificate_issuer_info("CN=Example TLS RSA CA G1, O=Example Trust, C=US");
    t->set_leaf_certificate_notbefore(kEpoch - 86400 * Below(300));
    t->set_leaf_certificate_notafter(kEpoch + 86400 * (30 + Below(300)));
    idstls::JA3S* ja3s = t->mutable_ja3s();
    ja3s->set_ssl_version(771);
    ja3s->set_cipher(ja3->cipher(0));
    for (int i = 0; i < 4; ++i) ja3s->add_ssl_extension(Below(60));
  }

  void Sender(common::SensorID* id, common::SensorHost* host, common::SensorApplication* app) {
    id->set_access_key(HexDigits(32));
    id->set_sensor_key(HexDigits(32));
    id->set_access_key_id(4711);
    id->set_sensor_key_id(815);
    id->set_user_id(42);
    id->set_appliance_uuid(Uuid());
    host->set_hostname("sensor-dc1-rack4");
    Address(host->mutable_internal_address(), true);
    app->set_tool(common::QXPSV_ID);
    app->set_tool_version_major(5);
    app->set_tool_version_minor(14);
    app->set_tool_version_build(2311);
  }

 private:
  std::mt19937 rng_;
};

// About 1 MB: a minute of records of a busy sensor, grouped by kind as the
// sensor batches them.
std::unique_ptr<google::protobuf::Message> BuildUpload(Gen& g) {
  auto u = std::make_unique<appliance_protocol::sensor::upload::SensorUpload>();
  g.Sender(u->mutable_sensor_id(), u->mutable_host(), u->mutable_application());
  for (uint32_t i = 0; i < 6; ++i) u->add_heartbeats()->set_timestamp(kEpoch + 10 * i);
  for (uint32_t i = 0; i < 120; ++i) g.Alert(u->add_alerts(), kEpoch + i / 2);
  for (uint32_t i = 0; i < 1300; ++i) g.DnsEntry(u->add_passive_dns(), kEpoch + i / 20);
  for (uint32_t i = 0; i < 300; ++i) g.Url(u->add_ids_urls(), kEpoch + i / 5);
  for (uint32_t i = 0; i < 30; ++i) g.Download(u->add_ids_downloads(), kEpoch + 2 * i);
  for (uint32_t i = 0; i < 1500; ++i) g.NetFlow(u->add_netflows(), kEpoch + i / 25);
  for (uint32_t i = 0; i < 150; ++i) g.Tls(u->add_ids_tls(), kEpoch + i / 3);
  return u;
}

// A few KB: one queue message carrying an alert with the records around it.
std::unique_ptr<google::protobuf::Message> BuildSensorMessage(Gen& g) {
  auto m = std::make_unique<appliance_protocol::sensor::queuemessage::MQSensorMessage>();
  g.Sender(m->mutable_sensor_id(), m->mutable_host(), m->mutable_application());
  m->set_utc_timestamp(kEpoch);
  g.Alert(m->mutable_alert(), kEpoch);
  for (int i = 0; i < 4; ++i) g.DnsEntry(m->add_passive_dns(), kEpoch);
  for (int i = 0; i < 2; ++i) g.Url(m->add_ids_urls(), kEpoch);
  g.Tls(m->add_ids_tls(), kEpoch);
  return m;
}

std::unique_ptr<google::protobuf::Message> BuildAlert(Gen& g) {
  auto a = std::make_unique<alert::Alert>();
  g.Alert(a.get(), kEpoch);
  return a;
}

std::unique_ptr<google::protobuf::Message> BuildHeartbeat() {
  auto h = std::make_unique<appliance_protocol::sensor::heartbeat::Heartbeat>();
  h->set_timestamp(kEpoch);
  h->set_utc_offset(-3600);
  return h;
}

}  // namespace

std::vector<Payload> BuildPayloads() {
  Gen g(20231114);
  std::vector<Payload> out;
  auto add = [&out](const char* name, std::unique_ptr<google::protobuf::Message> m) {
    std::string type = m->GetDescriptor()->full_name();
    out.push_back(Payload{name, std::move(type), std::move(m)});
  };
  add("upload", BuildUpload(g));
  add("mqmessage", BuildSensorMessage(g));
  add("alert", BuildAlert(g));
  add("heartbeat", BuildHeartbeat());
  return out;
}

bool WritePayloads(const std::vector<Payload>& payloads, const std::string& dir) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  std::ofstream manifest(dir + "/payloads.txt");
  for (const Payload& p : payloads) {
    const std::string path = dir + "/" + p.name + ".pb";
    const std::string wire = p.message->SerializeAsString();
    std::ofstream out(path, std::ios::binary);
    if (!out.write(wire.data(), static_cast<std::streamsize>(wire.size())).flush()) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return false;
    }
    manifest << p.name << ' ' << p.type_name << '\n';
  }
  if (!manifest.flush()) {
    std::fprintf(stderr, "cannot write %s/payloads.txt\n", dir.c_str());
    return false;
  }
  return true;
}

}  // namespace skelvar_bench
