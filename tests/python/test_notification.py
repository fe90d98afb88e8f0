"""Notification triggers and notification-proxy batches as Python sees them."""
import pytest

from wire import b, cls, round_trip

NT = "appliance_protocol.sensor.notification."
NP = "appliance_protocol.qxprotobuf.notificationproxy."


def proxy_message():
    m = cls(NP + "NotificationProxyMessage")(access_key_id=7, subkey_id=300)
    m.tp_messages.add(protocol=2, base_url="u", sms_server="s", sms_server_port=8443,
                      sms_user="n", sms_pass="p").messages.add(
        host="h", malware_class="c", impact=1, confidence=2, event_url="e",
        detection_type=3, last_seen=4, is_infected=5)
    m.siem_messages.add(proto=2, host="h", port=514, messages=["a", "b"])
    m.httppost_messages.add(protocol=2, host="h", port=443, path="/", verify_ssl=True,
                            http_proxy=False, notification_config_id=9, request_body="{}")
    m.mcafee_dxl_tie_reputation_messages.add(
        private_key_hash=b"\x01", client_cert_hash=b"\x02", broker_ca_bundle_hash=b"",
        broker_properties_hash=b"\xff", notification_config_id="9").reputation.add(
        file_reputation=99, comment="c", filename="f", file_md5_hash=b"\x00" * 16,
        file_sha1_hash=b"\x00" * 20)
    m.slack_messages.add(protocol=1, host="h", path="/", verify_ssl=False, http_proxy=True,
                         notification_config_id=10, request_body="x")
    return m


def test_proxy_message_with_every_destination_round_trips():
    m = proxy_message()
    assert m.IsInitialized()
    back, _ = round_trip(m)
    # Kinds in field order 3, 4, 5, 7, 8; no field 6.
    assert [f.number for f, _ in back.ListFields()] == [1, 2, 3, 4, 5, 7, 8]
    assert back.mcafee_dxl_tie_reputation_messages[0].notification_config_id == "9"
    assert back.tp_messages[0].messages[0].is_infected == 5


def sub_records():
    n = NT
    ip = cls("appliance_protocol.sensor.common.IPAddress")(type=6, address=b"\x00" * 16)
    origin = dict(origin_id="o", origin_type=2, utc_timestamp=1, access_key_id=2)
    return {
        1: ("network_trigger", cls(n + "NetworkNotificationTrigger")(event_id=1, trigger_ip=ip, pcap_id=2)),
        2: ("mail_trigger", cls(n + "MailNotificationTrigger")(mail_url_id=3)),
        3: ("appliance_trigger", cls(n + "ApplianceNotificationTrigger")(
            appliance_uuid="u", appliance_type=1, access_key_id=2, subkey_id=3, timestamp=4,
            impact=5, trigger_type=2, checkin=dict(last_checkin_timestamp=6, is_online=True),
            appliance_attributes=[dict(key="k", value="1"), dict(key="k", value="2")])),
        4: ("audit_trigger", cls(n + "AuditNotificationTrigger")(event_id=9, access_key_id=3)),
        5: ("qxkb_rule_trigger", cls(n + "QXKBRuleNotificationTrigger")(
            match_uuid="m", analysis_ioc_match=dict(match_type=1))),
        6: ("test_trigger", cls(n + "TestNotificationTrigger")(test_uuid="t", notification_config_id=1)),
        7: ("breach_trigger", cls(n + "BreachNotificationTrigger")(breach_uuid="b", breach_event_log_id=4)),
        8: ("network_ioc_feed_trigger", cls(n + "NetworkIoCFeedNotificationTrigger")(
            network_ioc=dict(domain="d", main_threat=dict(threat_id=7)), origin=origin)),
    }


@pytest.mark.parametrize("category", range(1, 9))
def test_trigger_of_each_category_round_trips(category):
    name, record = sub_records()[category]
    m = cls(NT + "MQNotificationTrigger")(user_id=5, trigger_category=category, timestamp=0x01020304)
    getattr(m, name).CopyFrom(record)
    m.notification_delivery_config.notification_type = 7
    m.notification_delivery_config.notification_config_id = 1
    assert m.IsInitialized()
    back, data = round_trip(m)
    assert data.startswith(b("08 05 10") + bytes([category]) + b("1D 04 03 02 01"))
    assert sorted(f.name for f, _ in back.ListFields()) == sorted(
        ["user_id", "trigger_category", "timestamp", "notification_delivery_config", name])
