"""IDS URL, alert, EVE event, bad DNS and cloud asset records through the classes found by name."""
import pytest
from google.protobuf import text_format

from wire import cls, hx, round_trip

CONN = ("connection { transport_protocol: UDP src_host { ip_address { type: V4 address: '' } }"
        " dst_host { ip_address { type: V4 address: '' } } }")


@pytest.mark.parametrize("name, text, wire", [
    ("idsurl.AnalyzedIDSURL", "timestamp: 300 url: 'u' pellucan_upload: UPLOADED " + CONN,
     "08 AC 02 12 12 08 11 12 06 0A 04 08 04 12 00 22 06 0A 04 08 04 12 00 1A 01 75 28 02"),
    ("idsalert.IDSAlert", "timespan { timestamp_start: 1 timestamp_end: 2 } rule_type: UNKNOWN_IDS priority: 3",
     "0A 0A 0D 01 00 00 00 15 02 00 00 00 10 00 30 03"),
    ("idsevent.IDSEvent", "timestamp: 1 event_type: EVE_TLS bson: '\\005\\000\\000\\000\\000' " + CONN,
     "08 01 12 12 08 11 12 06 0A 04 08 04 12 00 22 06 0A 04 08 04 12 00 18 12 22 05 05 00 00 00 00"),
    ("baddns.BadDnsPacket", "timestamp: 1 traffic: '\\377'", "0D 01 00 00 00 12 01 FF"),
    ("cloudasset.CloudAsset", "timestamp: 1 cloud_service_provider: 'a' asset_type: 'b' bson: ''",
     "08 01 12 01 61 1A 01 62 22 00"),
])
def test_round_trip(name, text, wire):
    m = text_format.Parse(text, cls("appliance_protocol.sensor." + name)())
    assert m.IsInitialized()
    _, data = round_trip(m)
    assert hx(data) == wire

