"""URL fetcher extensions and intelligence address records as Python sees them."""
from wire import POOL, b, cls, ext, hx

PKG = "appliance_protocol.qxprotobuf.qxurl_fetcher."
Envelope = cls(PKG + "Message")
FETCH, RESPONSE, COMMAND = (ext(PKG + n + ".message") for n in ("FetchRequest", "FetchResponse", "DaemonCommand"))


def test_extensions_registered_by_full_name():
    assert [e.number for e in (FETCH, RESPONSE, COMMAND)] == [1000, 1001, 1002]
    assert all(e.containing_type is Envelope.DESCRIPTOR for e in (FETCH, RESPONSE, COMMAND))
    assert Envelope.DESCRIPTOR.extension_ranges == [(1000, 536870912)]
    assert POOL.FindFieldByName(PKG + "FetchRequest.hooking_mode").default_value == 1  # PASSIVE


def test_extensions_through_python():
    m = Envelope(type=3, message_id=1)
    m.Extensions[COMMAND].command = "c"
    m.Extensions[FETCH].url = "u"
    m.Extensions[FETCH].headless = False
    data = m.SerializeToString()
    assert hx(data) == "08 03 10 01 C2 3E 05 0A 01 75 10 00 D2 3E 03 0A 01 63"
    back = Envelope.FromString(data + b("DA 3E 00"))
    assert back.HasExtension(FETCH) and not back.HasExtension(RESPONSE)
    assert back.Extensions[COMMAND].command == "c"
    assert back.Extensions._FindExtensionByName(PKG + "FetchRequest.message") is FETCH
    assert hx(back.SerializeToString()).endswith("D2 3E 03 0A 01 63 DA 3E 00")  # 1003 stays unknown
    back.Clear()
    assert not back.HasExtension(FETCH) and back.SerializePartialToString() == b""
    assert back.Extensions[FETCH].hooking_mode == 1


def test_intel_and_net_addresses_share_bytes_not_types():
    Intel = cls("appliance_protocol.qxprotobuf.intel.IPAddress")
    Net = cls("appliance_protocol.qxprotobuf.net.IPAddress")
    data = Intel(type=6, address=b"\0" * 16).SerializeToString()
    assert Intel.FromString(Net.FromString(data).SerializeToString()).SerializeToString() == data
    assert Intel.DESCRIPTOR is not Net.DESCRIPTOR
    assert len(Intel.DESCRIPTOR.file.dependencies) == 0
    tic = POOL.FindMessageTypeByName("appliance_protocol.qxprotobuf.tic.TCPProto")
    assert tic.fields_by_name["src_ip"].message_type is Net.DESCRIPTOR
