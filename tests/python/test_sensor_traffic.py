"""Session events and passive DNS records as Python sees them."""
import pytest

from wire import b, cls, hx

DNS = "appliance_protocol.sensor.passivedns."


def test_v17_entry_by_name_only():
    entry = cls(DNS + "PassiveDnsEntryV17")()
    q = entry.questions.add(dns_type=1, dns_class=1, name=b"a")
    r = entry.requestors.add(count=0)
    r.timespan.timestamp_start = 0
    assert entry.IsInitialized()
    assert hx(entry.SerializeToString()) == "0A 07 08 01 10 01 1A 01 61 22 09 0A 05 0D 00 00 00 00 10 00"
    q.ClearField("dns_class")
    assert entry.FindInitializationErrors() == ["questions[0].dns_class"]
    # a current-form entry parses; the fields the V17 form lacks come back at the end
    v17 = cls(DNS + "PassiveDnsEntryV17").FromString(b("3A 01 78 32 05 0D 01 00 00 00 10 01"))
    assert hx(v17.SerializeToString()) == "10 01 3A 01 78 32 05 0D 01 00 00 00"


@pytest.mark.parametrize("wire,dns_type,present", [
    ("08 35", 1, False),        # a gap in the registry numbers
    ("08 FF FF 03", 1, False),  # 65535
    ("08 80 80 04", 65536, True),
])
def test_dns_type_is_closed(wire, dns_type, present):
    q = cls(DNS + "DnsQuestion").FromString(b(wire + " 1A 00"))
    assert (q.dns_type, q.HasField("dns_type")) == (dns_type, present)
    assert hx(q.SerializeToString()) == (wire + " 1A 00" if present else "1A 00 " + wire)


def test_session_detail_oneof():
    e = cls("appliance_protocol.qxprotobuf.session_tracker.GenericSessionEvent").FromString(b("42 00 4A 00"))
    assert e.WhichOneof("session_data") == "proxy_authorization_event"
    e.active_directory_event.user_sid = "S-1"
    assert e.WhichOneof("session_data") == "active_directory_event"
    assert not e.HasField("proxy_authorization_event")
    e.Clear()
    assert e.WhichOneof("session_data") is None
    assert e.session_type == 1 and not e.HasField("session_type")
