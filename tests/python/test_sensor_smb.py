"""SMB records as Python sees them: the oneof and missing-field paths."""
from wire import cls, b

HEAD = "08 AC 02 12 12 08 06 12 06 0A 04 08 04 12 00 22 06 0A 04 08 04 12 00"


def test_event_spec_and_missing_field_paths():
    smb = cls("appliance_protocol.sensor.idssmb.IDSSMB")()
    assert smb.FindInitializationErrors() == ["timestamp", "connection"]
    smb.MergeFromString(b(HEAD + " 4A 00 7A 08 0A 06 08 01 2A 02 0A 00"))
    assert smb.WhichOneof("event_spec") == "dcerpc" and not smb.HasField("negotiate")
    assert smb.FindInitializationErrors() == ["dcerpc.dceprc.bind_request.interfaces[0].uuid"]
    smb.session_setup.kerberos.cname = "c"
    assert smb.FindInitializationErrors() == ["session_setup.kerberos.msg_type"]
    smb.ClearField("event_spec")
    assert smb.WhichOneof("event_spec") is None and smb.IsInitialized()
