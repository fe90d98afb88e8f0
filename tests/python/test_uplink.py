"""The road of a sensor's uplink: a queue message and a batch upload carrying
one record of every kind, found by name, written, read back byte for byte."""
import pytest

from wire import b, clear_path, cls, hx, round_trip

MQ = "appliance_protocol.sensor.queuemessage."
UPLOAD = "appliance_protocol.sensor.upload.SensorUpload"
T0 = 1700000000


def ip(*octets):
    return {"type": "V4", "address": bytes(octets)}


SPAN = {"timestamp_start": T0, "timestamp_end": T0 + 60}
CONN = {
    "transport_protocol": "TCP",
    "src_host": {"ip_address": ip(10, 0, 0, 5), "mac_address": {"address": b("00 50 56 9A 1B 2C")}},
    "src_port": 49812,
    "dst_host": {"ip_address": ip(93, 184, 216, 34), "hostname": {"hostname": b"example.org"}},
    "dst_port": 443,
    "vlan_id0": 12,
    "interface": "eth1",
}
REQUEST = {
    "domain": {"hostname": b"example.org"}, "method": "GET", "path": "/dl/setup.exe",
    "user_agent": "Mozilla/5.0", "response_code": 200, "response_body_type": "PE32",
    "request_headers": [{"name": "Host", "value": b"example.org"}],
    "response_headers": [{"name": "Content-Length", "value": b"73802"}],
    "request_body": b"", "connection": CONN,
}
MAIL = {
    "message_id": "<1@mail.example.org>", "mailbox_id": "inbox-7", "sender": "alice@example.org",
    "subject": "invoice", "rcpt_to": ["bob@example.com"], "recipients": ["bob@example.com"],
    "received_timestamp": T0 + 30, "received": [{"unparsed": "from mx.example.org by gw"}],
    "spf_check": {"outcome": "SPF_PASS", "sender": "alice@example.org",
                  "mail_server_ip": ip(198, 51, 100, 7)},
    "dkim_check": {"outcome": "DKIM_PASS"},
}
BSON = b("05 00 00 00 00")

# One record of each kind, under the record kind's name.
RECORD = {
    "heartbeat": {"timestamp": T0, "utc_offset": -3600},
    "alert": {"type": "IDS", "action": "BLOCK", "timespan": SPAN, "connection": CONN,
              "occurrences": 3, "web_request": REQUEST,
              "ids_rule": {"signature_id": 2027865, "rule": "ET MALWARE beacon"}},
    "stats": {"timespan": SPAN, "interface_stats": [{"interface_name": "eth1",
              "capture_stats": {"total_packets": 123456}}]},
    "pcap": {"timespan": SPAN, "connection": CONN, "traffic": b("45 00 00 28"), "type": "IDS",
             "action": "LOG", "uuid": "b2c1d9e0-pcap"},
    "bad_dns": {"timestamp": T0 + 10, "traffic": b("12 34 81 80 00 01")},
    "passive_dns": {"questions": [{"name": b"example.org"}],
                    "answers": [{"name": b"example.org", "address": ip(93, 184, 216, 34), "ttl": 300}],
                    "requestors": [{"address": ip(10, 0, 0, 5), "count": 2}], "timespan": SPAN},
    "ids_alert": {"timespan": SPAN, "rule_type": "SURICATA", "rule": "ET POLICY", "connection": CONN,
                  "priority": 1},
    "ids_download": {"timestamp": T0 + 20, "hash_type": "SHA1",
                     "hash": "3395856ce81f2b7382dee72602f798b642f14140", "connection": CONN,
                     "filename": "setup.exe", "request": REQUEST, "size": 73802,
                     "errors": [{"code": 7, "message": "truncated"}],
                     "integration_tool": {"vendor_name": "acme", "tool_name": "gw", "tool_version": "2.1"}},
    "mail_urls": {"message": MAIL, "urls": ["http://example.com/login"]},
    "mail": {"message": MAIL, "attachments": [{"uuid": "att-1", "file": b"%PDF-1.4",
             "attachment_filename": "invoice.pdf"}],
             "urls": [{"url": "http://example.com/login"}], "action": "MAIL_ACTION_LOG",
             "local_detections": [{"detector": "yara"}]},
    "perf_stats": {"timespan": SPAN, "stats": [{"type": "cpu", "object": "qxpsv",
                   "property": "load", "value": "0.42"}]},
    "ids_url": {"timespan": SPAN, "request": REQUEST, "counter": 4},
    "ids_tls": {"timestamp": T0 + 40, "connection": CONN, "sni": {"hostname": b"example.org"},
                "ja3": {"ssl_version": 771, "cipher": [4865, 4866]},
                "ja3s": {"ssl_version": 771, "cipher": 4865}},
    "ids_smb": {"timestamp": T0 + 41, "connection": CONN, "tx_id": 7, "dialect": "3.1.1",
                "tree_connect": {"share": "\\\\fs01\\public", "share_type": "TYPE_FILE"}},
    "ids_krb": {"timestamp": T0 + 42, "connection": CONN,
                "kerberos": {"msg_type": "KRB_AS_REQ", "cname": "bob", "sname": ["krbtgt", "CORP"]}},
    "ids_event": {"timestamp": T0 + 43, "connection": CONN, "event_type": "EVE_DNS", "bson": BSON},
    "cloud_asset": {"timestamp": T0 + 44, "cloud_service_provider": "aws",
                    "asset_type": "ec2-instance", "bson": BSON},
    "client_id": {"user_agent": "Mozilla/5.0", "client": ip(10, 0, 0, 5), "host": "ws-17", "hits": 12},
    "analyzed_ids_url": {"timestamp": T0 + 45, "connection": CONN, "url": "http://example.com/login",
                         "request": REQUEST, "pellucan_upload": "UPLOADED", "pellucan_score": 85},
    "netflow": {"connection": CONN, "tos": 0, "timespan": SPAN, "packets_out": 12, "bytes_in": 73802,
                "packets": [{"payload_bytes": 517, "timestamp_offset": 0, "is_to_server": True}]},
    "host_identifier": {"hostname": "ws-17", "operation_type": "HOST_IDENTIFIER_OP_TYPE_ALIVE",
                        "ip_address": ip(10, 0, 0, 5), "timespan": SPAN,
                        "dhcp_host_identifier_data": {"dhcp_server_ip": ip(10, 0, 0, 1)}},
    "monitored_host": {"ip": ip(10, 0, 0, 5), "source": "dhcp", "first_seen": T0, "last_seen": T0 + 60},
}
SENDER = {
    "sensor_id": {"access_key": "ak-7f3e", "sensor_key": "sk-19c2", "user_id": 42,
                  "appliance_uuid": "0c6f-11ee", "interface": "eth1"},
    "host": {"hostname": b"sensor-01", "internal_address": ip(10, 0, 0, 2)},
    "application": {"tool": 3, "tool_version_major": 7, "tool_version_minor": 2, "tool_version_build": 118},
}


def sensor_message():
    r = RECORD
    return cls(MQ + "MQSensorMessage")(
        **SENDER, utc_timestamp=T0 + 99, heartbeat=r["heartbeat"], alert=r["alert"],
        stats=r["stats"], pcap=r["pcap"], bad_dns=r["bad_dns"], passive_dns=[r["passive_dns"]],
        ids_alerts=[r["ids_alert"]], ids_downloads=[r["ids_download"]], mail_urls=[r["mail_urls"]],
        mail_attachments=[r["mail"]], perf_stats=r["perf_stats"], ids_urls=[r["ids_url"]],
        ids_tls=[r["ids_tls"]], ids_smb=[r["ids_smb"]], ids_krb=[r["ids_krb"]],
        ids_event=[r["ids_event"]], cloud_asset=[r["cloud_asset"]])


def sensor_upload():
    r = RECORD
    return cls(UPLOAD)(
        **SENDER, heartbeats=[r["heartbeat"]], alerts=[r["alert"]], stats=[r["stats"]],
        pcaps=[r["pcap"]], bad_dns=[r["bad_dns"]], passive_dns=[r["passive_dns"]],
        ids_urls=[r["ids_url"]], ids_alerts=[r["ids_alert"]], ids_downloads=[r["ids_download"]],
        mail_urls=[r["mail_urls"]], mail_attachments=[r["mail"]], perf_stats=r["perf_stats"],
        client_ids=[r["client_id"]], analyzed_ids_urls=[r["analyzed_ids_url"]],
        netflows=[r["netflow"]], host_identifiers=[r["host_identifier"]], ids_tls=[r["ids_tls"]],
        ids_smb=[r["ids_smb"]], ids_krb=[r["ids_krb"]], ids_event=[r["ids_event"]],
        cloud_asset=[r["cloud_asset"]], monitored_host=[r["monitored_host"]])


def top_level_tags(data):
    """The tag bytes of each top-level field, in wire order."""
    def varint(i):
        n = shift = 0
        while True:
            n |= (data[i] & 0x7F) << shift
            shift += 7
            i += 1
            if data[i - 1] < 0x80:
                return n, i
    tags, i = [], 0
    while i < len(data):
        start = i
        tag, i = varint(i)
        tags.append(hx(data[start:i]))
        if tag & 7 == 2:
            size, i = varint(i)
            i += size
        elif tag & 7 == 5:
            i += 4
        else:
            _, i = varint(i)
    return tags


# Tag bytes of each top-level field in wire order; "82+01" is one two-byte tag.
ROAD = [
    (sensor_message, "0A 12 1A 25 2A 32 3A 42 4A 52 5A 62 6A 72 7A 82+01 8A+01 92+01 9A+01 A2+01 AA+01"),
    (sensor_upload,
     "0A 12 1A 22 2A 32 3A 42 4A 52 5A 62 6A 72 7A 82+01 8A+01 92+01 9A+01 A2+01 AA+01 B2+01 "
     "BA+01 C2+01 CA+01"),
]


@pytest.mark.parametrize("build,tags", ROAD, ids=["queue-message", "upload"])
def test_road_every_record_kind_round_trips_byte_for_byte(build, tags):
    msg = build()
    assert msg.IsInitialized()
    parsed, data = round_trip(msg)
    assert parsed.IsInitialized()
    assert top_level_tags(data) == [t.replace("+", " ") for t in tags.split()]


@pytest.mark.parametrize("build,path", [
    (sensor_message, "sensor_id.access_key"), (sensor_message, "sensor_id.sensor_key"),
    (sensor_message, "application.tool"), (sensor_message, "application.tool_version_major"),
    (sensor_message, "application.tool_version_minor"),
    (sensor_message, "application.tool_version_build"),
    (sensor_message, "host.internal_address.address"), (sensor_message, "heartbeat.timestamp"),
    (sensor_message, "mail_attachments[0].message.received[0].unparsed"),
    (sensor_message, "ids_krb[0].connection.dst_host.ip_address.address"),
    (sensor_message, "cloud_asset[0].bson"),
    (sensor_upload, "sensor_id.access_key"), (sensor_upload, "application.tool_version_build"),
    (sensor_upload, "heartbeats[0].timestamp"), (sensor_upload, "netflows[0].tos"),
    (sensor_upload, "client_ids[0].client.address"), (sensor_upload, "monitored_host[0].last_seen"),
    (sensor_upload, "host_identifiers[0].dhcp_host_identifier_data.dhcp_server_ip.type"),
])
def test_road_missing_required_field_is_named(build, path):
    msg = build()
    clear_path(msg, path)
    assert not msg.IsInitialized()
    assert msg.FindInitializationErrors() == [path]
    again, _ = round_trip(msg, partial=True)
    assert again.FindInitializationErrors() == [path]


@pytest.mark.parametrize("name,field,value,out", [
    ("MQHeartbeat", "utc_timestamp", 0x04030201, "25 01 02 03 04"),
    ("MQAlert", "utc_timestamp", 0x04030201, "1D 01 02 03 04"),
    ("MQSensorStats", "utc_timestamp", 0x04030201, "1D 01 02 03 04"),
    ("MQAnalyzedIDSURL", "utc_timestamp", 0x04030201, "1D 01 02 03 04"),
    ("MQPcap", "utc_timestamp", 0x04030201, "15 01 02 03 04"),
    ("MQPassiveDnsEntry", "utc_timestamp", 0x04030201, "15 01 02 03 04"),
    ("MQSensorMessage", "utc_timestamp", 0x04030201, "25 01 02 03 04"),
    ("MQEvent", "utc_timestamp", 0x04030201, "45 01 02 03 04"),
    ("MQUserAction", "utc_timestamp", 0x04030201, "25 01 02 03 04"),
    ("MQMailMessage", "timestamp", 0x04030201, "1D 01 02 03 04"),
    ("MQHeartbeat", "application", {"tool": 1}, "1A 02 08 01"),
    ("MQSensorMessage", "application", {"tool": 1}, "1A 02 08 01"),
    ("MQAlert", "application", {"tool": 1}, "12 02 08 01"),
    ("MQSensorStats", "application", {"tool": 1}, "12 02 08 01"),
])
def test_same_field_name_other_number(name, field, value, out):
    m = cls(MQ + name)(**{field: value})
    assert hx(m.SerializePartialToString()) == out
