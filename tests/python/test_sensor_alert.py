"""Alert, anomaly alert, user action and TLS records as Python sees them:
full round trips and the paths of missing required fields."""
import pytest

from wire import b, cls, round_trip

S = "appliance_protocol.sensor."
CONN = "08 06 12 06 0A 04 08 04 12 00 22 06 0A 04 08 04 12 00"


def test_full_alert_round_trip():
    a = cls(S + "alert.Alert")()
    a.type, a.action, a.occurrences, a.confidence = 12, 2, 3, 90
    a.timespan.timestamp_start, a.timespan.timestamp_end = 1, 2
    a.connection.MergeFromString(b(CONN))
    a.deprecated_entry, a.deprecated_extra_info, a.zdq_event_uuid = "e", "x", "u"
    a.blacklist_version, a.detector_id, a.is_client_relevant_host = 0, 7, True
    a.binary_download_info.ids_download_id = 1
    a.ids_rule.signature_id = 2**40
    a.web_request.domain.hostname = b"\xff"
    a.analyzed_ids_url_info.analyzed_ids_url_id = 4
    a.blacklist_reputation_match.host, a.blacklist_reputation_match.local_blacklist_entry = "h", False
    a.intel_qxanta_rule.rule_uuid = "r"
    a.qxanta_evidence.detector_info.state_type = "s"
    a.verification_info.outcome = 3
    back, _ = round_trip(a)
    assert back.ListFields()[-1][0].name == "confidence" and len(back.ListFields()) == 20


def test_full_idstls_round_trip():
    t = cls(S + "idstls.IDSTLS")()
    t.timestamp = 0
    t.connection.MergeFromString(b(CONN))
    t.sni.hostname = b"example.test"
    t.ja3.ssl_version = 771
    t.ja3.cipher.extend([4865, 49195, 4865])
    t.ja3.elliptic_curve.extend([29, 23])
    t.ja3.elliptic_curve_format.append(0)
    t.certificates_chain.extend([b"\x30\x82", b""])
    t.certificates_sha256_chain.append("ab" * 32)
    t.leaf_certificate_subject_info, t.leaf_certificate_issuer_info = "CN=a", "CN=b"
    t.leaf_certificate_notbefore, t.leaf_certificate_notafter = 1, 2**32 - 1
    t.ja3s.ssl_version, t.ja3s.cipher = 771, 4865
    t.ja3s.ssl_extension.extend([43, 51])
    back, _ = round_trip(t)
    assert list(back.ja3.cipher) == [4865, 49195, 4865]


@pytest.mark.parametrize("type_name, hex_in, errors", [
    ("alert.Alert", "", ["type", "action", "timespan", "connection"]),
    ("alert.Alert", "08 01 10 01 1A 00 22 12 " + CONN + " 5A 00", ["timespan.timestamp_start", "ids_rule.signature_id"]),
    ("anomalyalert.AnomalyAlert", "", ["timespan", "sensor_id", "host", "detector_id"]),
    ("idstls.IDSTLS", "08 00", ["connection"]),
    ("idstls.IDSTLS", "08 00 12 12 " + CONN + " 5A 02 08 01", ["ja3s.cipher"]),
    ("pcap.Pcap", "", ["traffic"]),
])
def test_missing_fields_are_named(type_name, hex_in, errors):
    assert cls(S + type_name).FromString(b(hex_in)).FindInitializationErrors() == errors


def test_analyst_event_decision_names_the_one_missing_field():
    d = cls(S + "useraction.AnalystEventDecision")()
    for f in d.DESCRIPTOR.fields:
        if f.name == "event_network":
            d.event_network.MergeFromString(b(CONN))
        elif f.name != "entry":
            setattr(d, f.name, 1)
    assert d.IsInitialized()
    for f in d.DESCRIPTOR.fields:
        if f.name != "entry":
            e = type(d)()
            e.CopyFrom(d)
            e.ClearField(f.name)
            assert e.FindInitializationErrors() == [f.name]
