"""Bytes off the network into every registered type from Python: random and
mutated bytes, and sub-messages nested past the runtime's recursion limit,
end in a parse or a clean DecodeError, never a crash. (Truncations are
covered with the other facts of every type in test_module.py.)"""
import math
import random

import pytest
from google.protobuf import message

from wire import ALL_TYPES, cls, fill

LIMIT = 100  # the runtime's default recursion limit: nesting levels below the top message


def varint(n):
    out = bytearray()
    while True:
        low, n = n & 0x7F, n >> 7
        out.append(low | 0x80 if n else low)
        if not n:
            return bytes(out)


def tag(number, wire_type):
    return varint(number << 3 | wire_type)


_depths = {}
_open = set()


def depth(desc):
    """How many levels of sub-messages the schema nests below desc (inf when it recurses)."""
    name = desc.full_name
    if name in _open:
        return math.inf
    if name not in _depths:
        _open.add(name)
        _depths[name] = max((1 + depth(f.message_type) for f in desc.fields if f.message_type is not None),
                            default=0)
        _open.discard(name)
    return _depths[name]


def nested(desc, levels):
    """A message of type desc with `levels` levels of sub-messages: real
    message fields as deep as the schema goes (past the limit at most by
    one), unknown groups below that."""
    path = []
    d = desc
    while len(path) < min(levels, LIMIT + 1):
        fields = [f for f in d.fields if f.message_type is not None]
        if not fields:
            break
        field = max(fields, key=lambda f: depth(f.message_type))
        path.append(field)
        d = field.message_type
    unused = max([f.number for f in d.fields], default=0) + 1
    rest = levels - len(path)
    inner = tag(unused, 3) * rest + tag(unused, 4) * rest
    for field in reversed(path):
        if field.type == field.TYPE_GROUP:
            inner = tag(field.number, 3) + inner + tag(field.number, 4)
        else:
            inner = tag(field.number, 2) + varint(len(inner)) + inner
    return inner


def parse_or_decode_error(Type, data):
    """Parses data, or returns None on DecodeError. What parses writes
    bytes that read back to the same bytes."""
    try:
        msg = Type.FromString(data)
    except message.DecodeError:
        return None
    wire = msg.SerializePartialToString(deterministic=True)
    assert msg.ByteSize() == len(wire)
    assert Type.FromString(wire).SerializePartialToString(deterministic=True) == wire
    return msg


@pytest.mark.parametrize("full_name", ALL_TYPES)
def test_nesting_past_the_recursion_limit_is_a_decode_error(full_name):
    Type = cls(full_name)
    assert parse_or_decode_error(Type, nested(Type.DESCRIPTOR, LIMIT)) is not None
    for levels in (LIMIT + 1, 100_000):
        with pytest.raises(message.DecodeError):
            Type.FromString(nested(Type.DESCRIPTOR, levels))


# End-group tags in random bytes end a parse early; the Python package warns
# about them, which is what it is meant to do.
@pytest.mark.filterwarnings("ignore:Unexpected end-group tag")
@pytest.mark.parametrize("full_name", ALL_TYPES)
def test_random_and_mutated_bytes_parse_or_fail_cleanly(full_name):
    Type = cls(full_name)
    rng = random.Random(full_name)
    wire = fill(Type()).SerializeToString()
    inputs = [rng.randbytes(rng.randrange(64)) for _ in range(100)]
    for _ in range(100):
        data = bytearray(wire)
        for _ in range(rng.randrange(1, 4)):
            at = rng.randrange(len(data) + 1)
            how = rng.randrange(3)
            if how == 0 and at < len(data):
                data[at] ^= 1 << rng.randrange(8)
            elif how == 1:
                data[at:at] = rng.randbytes(rng.randrange(1, 4))
            else:
                del data[at:at + rng.randrange(1, 4)]
        inputs.append(bytes(data))
    for data in inputs:
        parse_or_decode_error(Type, data)
