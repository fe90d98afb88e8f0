"""Helpers shared by the Python suites: classes and extensions by full name,
hex wire bytes, round trips."""
import skelvar  # noqa: F401  (registers the files)
from google.protobuf import descriptor_pool, message_factory

POOL = descriptor_pool.Default()
_FACTORY = message_factory.MessageFactory(POOL)


def cls(full_name):
    """The compiled class of a registered message type, found by name."""
    return _FACTORY.GetPrototype(POOL.FindMessageTypeByName(full_name))


def b(hex_text):
    """'0A 01 61' -> b'\\x0a\\x01\\x61'."""
    return bytes.fromhex(hex_text)


def hx(data):
    """bytes -> '0A 01 61'."""
    return data.hex(" ").upper()


def ext(full_name):
    """A registered extension, found by its full name."""
    return POOL.FindExtensionByName(full_name)


def round_trip(msg, partial=False):
    """Writes msg and reads the bytes back into its class: the copy equals msg,
    writes the same bytes, and measures them. Returns the copy and the bytes."""
    data = msg.SerializePartialToString() if partial else msg.SerializeToString()
    back = type(msg).FromString(data)
    assert back == msg
    assert back.SerializePartialToString() == data
    assert back.ByteSize() == len(data)
    return back, data


def clear_path(msg, path):
    """Clears the field that 'a.b[1].c' names inside msg."""
    *parents, leaf = path.split(".")
    for part in parents:
        name, _, index = part.partition("[")
        msg = getattr(msg, name)
        if index:
            msg = msg[int(index[:-1])]
    msg.ClearField(leaf)
