"""Helpers shared by the Python suites: classes by full name, hex wire bytes."""
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
