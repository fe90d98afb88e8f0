"""Helpers shared by the Python suites: classes and extensions by full name,
hex wire bytes, round trips."""
import os
import pathlib

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


# Every registered file of the tree and every message type in them.
TREE = pathlib.Path(os.environ.get("SKELVAR_SOURCE_DIR", pathlib.Path(__file__).parents[2]))
FILES = sorted(p.relative_to(TREE).as_posix() for p in (TREE / "appliance_protocol").rglob("*.proto"))


def message_types(desc):
    """The type and its nested types, map entries left out."""
    if desc.GetOptions().map_entry:
        return
    yield desc
    for nested in desc.nested_types:
        yield from message_types(nested)


ALL_TYPES = [t.full_name for name in FILES
             for top in POOL.FindFileByName(name).message_types_by_name.values()
             for t in message_types(top)]


def fill(msg, depth=0, counter=[0]):
    """Sets every field (repeated ones twice), every oneof member in turn and
    every registered extension, nested messages to depth 3."""
    desc = msg.DESCRIPTOR
    for field in desc.fields:
        if field.message_type is not None and depth >= 3 and field.label != field.LABEL_REQUIRED:
            continue
        if field.message_type is not None and field.message_type.GetOptions().map_entry:
            key_f, value_f = field.message_type.fields_by_name["key"], field.message_type.fields_by_name["value"]
            container = getattr(msg, field.name)
            for _ in range(2):
                key = scalar(key_f, counter)
                if value_f.message_type is not None:
                    fill(container[key], depth + 1, counter)
                else:
                    container[key] = scalar(value_f, counter)
            continue
        for _ in range(2 if field.label == field.LABEL_REPEATED else 1):
            if field.message_type is not None:
                sub = (getattr(msg, field.name).add() if field.label == field.LABEL_REPEATED
                       else getattr(msg, field.name))
                fill(sub, depth + 1, counter)
                if field.label != field.LABEL_REPEATED:
                    sub.SetInParent()
            elif field.label == field.LABEL_REPEATED:
                getattr(msg, field.name).append(scalar(field, counter))
            else:
                setattr(msg, field.name, scalar(field, counter))
    for ext in POOL.FindAllExtensions(desc):
        if ext.message_type is not None:
            fill(msg.Extensions[ext], depth + 1, counter)
            msg.Extensions[ext].SetInParent()
        else:
            msg.Extensions[ext] = scalar(ext, counter)
    return msg


def scalar(field, counter):
    counter[0] += 1
    n = counter[0]
    t = field.type
    if field.enum_type is not None:
        values = field.enum_type.values
        return values[n % len(values)].number
    if t in (field.TYPE_STRING,):
        return "v%d\u00e9" % n
    if t in (field.TYPE_BYTES,):
        return b"v%d\x00\xff" % n
    if t == field.TYPE_BOOL:
        return True
    if t in (field.TYPE_FLOAT, field.TYPE_DOUBLE):
        return n + 0.5
    if t in (field.TYPE_INT32, field.TYPE_SINT32, field.TYPE_SFIXED32, field.TYPE_INT64,
             field.TYPE_SINT64, field.TYPE_SFIXED64):
        return -n if n % 3 == 0 else n * 37
    if t in (field.TYPE_UINT32, field.TYPE_FIXED32):
        return n * 2654435761 % 2**32
    return n * 0x9E3779B97F4A7C15 % 2**64
