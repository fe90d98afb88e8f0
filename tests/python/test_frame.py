"""Wire facts of the common types as Python sees the compiled classes."""
import pytest
from google.protobuf.message import DecodeError

from wire import b, cls, hx

FC = "appliance_protocol.qxprotobuf.frontend_command.FrontendCommand"
NET_IP = "appliance_protocol.qxprotobuf.net.IPAddress"
HB = "appliance_protocol.sensor.heartbeat.Heartbeat"
COMMON = "appliance_protocol.sensor.common."
HOST_V4 = "0A 04 08 04 12 00"


def test_built_in_code_writes_exact_bytes():
    fc = cls(FC)(source_host="a", command_uuid="b", utc_timestamp_published=1)
    assert hx(fc.SerializeToString()) == "0A 01 61 12 01 62 1D 01 00 00 00"

    hb = cls(HB)(timestamp=1, utc_offset=-1)
    assert hx(hb.SerializeToString()) == "0D 01 00 00 00 10 01"
    assert hb.ByteSize() == 7

    conn = cls(COMMON + "NetworkConnection")(transport_protocol=-1)
    for end in (conn.src_host, conn.dst_host):
        end.ip_address.type = 4
        end.ip_address.address = b""
    assert hx(conn.SerializeToString()) == (
        "08 FF FF FF FF FF FF FF FF FF 01 12 06 %s 22 06 %s" % (HOST_V4, HOST_V4))

    mail = cls(COMMON + "MailMessage")(message_id="a", mailbox_id="b")
    assert hx(mail.SerializeToString()) == "0A 01 61 4A 01 62"


def test_invalid_enum_value_survives_as_unknown_field():
    ip = cls(NET_IP).FromString(b("08 05 12 00"))
    assert not ip.HasField("type") and ip.type == 4 and not ip.IsInitialized()
    assert hx(ip.SerializePartialToString()) == "12 00 08 05"


@pytest.mark.parametrize("name,data", [
    (FC, "1D 01 00 00"), (FC, "22 05 0A 01 61"), (HB, "0D 01 00 00 00 10 FF"),
])
def test_malformed_input_is_rejected(name, data):
    with pytest.raises(DecodeError):
        cls(name).FromString(b(data))


def test_end_group_tag_at_top_level_stops_the_parse():
    m = cls(FC)()
    with pytest.warns(RuntimeWarning, match="end-group"):
        assert m.MergeFromString(b("0A 01 61 0C 12 01 62")) == 4
    assert hx(m.SerializePartialToString()) == "0A 01 61"


@pytest.mark.parametrize("name,data,missing", [
    (FC, "0A 01 61 12 01 62 1D 01 00 00 00 22 03 0A 01 70", ["nginx_push.body"]),
    (COMMON + "SensorID", "0A 01 61", ["sensor_key"]),
    (COMMON + "Host", "0A 02 08 04", ["ip_address.address"]),
    (COMMON + "MailMessage", "0A 01 6D 82 01 03 0A 01 72 82 01 00", ["received[1].unparsed"]),
])
def test_missing_required_fields_are_named(name, data, missing):
    m = cls(name).FromString(b(data))
    assert not m.IsInitialized()
    assert m.FindInitializationErrors() == missing
