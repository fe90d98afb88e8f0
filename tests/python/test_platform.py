"""The platform's custom field options and proto2 records, as Python sees them."""
import pytest
from google.protobuf import descriptor_pb2

from wire import POOL, b, cls, ext, hx, round_trip

PKG = "appliance_protocol.zdq.velmorn.zdq."
OPTS = {n: ext(PKG + n) for n in ("uint32_as", "uint64_as", "bytes_as", "redact")}


@pytest.mark.parametrize("field, present", [
    ("IpAddressMsg.ipv4", {"uint32_as": 2}),
    ("IpAddressWithPrefixMsg.ipv6", {"bytes_as": 2}),
    ("MacAddressMsg.mac", {"uint64_as": 2}),
    ("UuidMsg.left", {}),
    ("context.ids.EventInfo.signature_id", {}),
])
def test_field_options(field, present):
    msg, name = field.rsplit(".", 1)
    opts = POOL.FindMessageTypeByName(PKG + msg).fields_by_name[name].GetOptions()
    for opt, extension in OPTS.items():
        assert opts.HasExtension(extension) == (opt in present)
        assert opts.Extensions[extension] == present.get(opt, 1)  # absent: the value 1


def test_redact_outside_the_enum_stays_unknown():
    o = descriptor_pb2.FieldOptions.FromString(b("A0 F1 04 04"))
    assert not o.HasExtension(OPTS["redact"]) and hx(o.SerializeToString()) == "A0 F1 04 04"
    assert descriptor_pb2.FieldOptions.FromString(b("A0 F1 04 03")).Extensions[OPTS["redact"]] == 3


@pytest.mark.parametrize("name, fields, wire", [
    ("ProductVersionMsg", {"build_number": 1}, "30 01"),
    ("ProductVersionMsg", {"major": 0, "build_number": 1}, "08 00 30 01"),
    ("IpSubnetAddressMsg", {"ipv4": [1, 300]}, "08 01 08 AC 02"),
    ("ndr.HttpRequestMsg", {"referer": "r"}, "2A 01 72"),
])
def test_wire(name, fields, wire):
    _, data = round_trip(cls(PKG + name)(**fields))
    assert hx(data) == wire


def test_file_event_oneof():
    e = cls(PKG + "ndr.FileEventMsg").FromString(b("0A 00 12 00"))
    assert e.WhichOneof("event") == "file_verdict_update_event" and hx(e.SerializeToString()) == "12 00"
    e.file_transfer_event.block = True
    assert e.WhichOneof("event") == "file_transfer_event" and hx(e.SerializeToString()) == "0A 02 18 01"
