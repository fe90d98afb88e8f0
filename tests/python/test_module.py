"""The module as Python sees it: import, registration, compiled classes, and
facts that hold for every registered message type."""
import importlib
import os
import pathlib
import subprocess
import sys

import pytest
from google.protobuf import descriptor_pb2, message
from google.protobuf.internal import api_implementation

import skelvar
from wire import POOL, cls

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


def test_protobuf_runs_its_cpp_implementation():
    # The compiled classes are reached only through the C++ backend.
    assert api_implementation.Type() == "cpp", (
        "google.protobuf runs the %r backend; skelvar needs the C++ one" % api_implementation.Type())


def test_import_registers_every_file_of_the_tree():
    assert len(FILES) >= 5
    for name in FILES:
        assert POOL.FindFileByName(name).name == name


def test_registered_schema_is_the_tree_as_protoc_reads_it():
    # The descriptor set protoc writes from the tree at build time, file by
    # file, against what the module registered.
    build = pathlib.Path(skelvar.__file__).parent
    written = descriptor_pb2.FileDescriptorSet.FromString((build / "skelvar.desc").read_bytes())
    expected = {f.name: f for f in written.file if f.name.startswith("appliance_protocol/")}
    assert sorted(expected) == FILES
    for name in FILES:
        registered = descriptor_pb2.FileDescriptorProto()
        POOL.FindFileByName(name).CopyToProto(registered)
        want = expected[name]
        clear_json_names(want)  # CopyToProto leaves them out
        assert registered == want, name


def clear_json_names(scope):
    for field in list(getattr(scope, "field", [])) + list(scope.extension):
        field.ClearField("json_name")
    for nested in scope.message_type if hasattr(scope, "message_type") else scope.nested_type:
        clear_json_names(nested)


def test_module_object_is_empty():
    assert set(vars(skelvar)) <= {"__name__", "__doc__", "__package__", "__loader__", "__spec__", "__file__"}
    assert skelvar.__doc__ is None


def test_second_import_is_harmless():
    again = importlib.import_module("skelvar")
    assert again is skelvar
    del sys.modules["skelvar"]
    fresh = importlib.import_module("skelvar")
    assert fresh.__name__ == "skelvar"
    assert POOL.FindFileByName(FILES[0]).name == FILES[0]


def test_without_the_module_the_files_are_unknown():
    # What the import adds: a fresh interpreter that does not import it
    # finds none of the files.
    code = ("from google.protobuf import descriptor_pool\n"
            "try:\n"
            f"    descriptor_pool.Default().FindFileByName({FILES[0]!r})\n"
            "except KeyError:\n"
            "    print('absent')\n")
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, check=True)
    assert out.stdout.strip() == "absent"


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


@pytest.mark.parametrize("full_name", ALL_TYPES)
def test_every_type_round_trips_and_merges_into_itself(full_name):
    Type = cls(full_name)
    msg = fill(Type())
    assert msg.IsInitialized(), msg.FindInitializationErrors()
    wire = msg.SerializeToString(deterministic=True)
    assert msg.ByteSize() == len(wire)
    back = Type.FromString(wire)
    assert back == msg
    assert back.SerializeToString(deterministic=True) == wire

    expected = Type()
    expected.CopyFrom(msg)
    expected.MergeFrom(Type.FromString(wire))
    msg.MergeFrom(msg)
    assert msg == expected


# An end-group tag in the corrupted bytes ends a parse early; the Python
# package warns about the rest, which is what it is meant to do.
@pytest.mark.filterwarnings("ignore:Unexpected end-group tag")
@pytest.mark.parametrize("full_name", ALL_TYPES)
def test_every_type_rejects_bad_input_cleanly(full_name):
    Type = cls(full_name)
    wire = fill(Type()).SerializeToString()
    # Truncations and corrupted bytes end in a DecodeError or a parse, never a crash.
    for cut in range(0, len(wire), max(1, len(wire) // 64)):
        try:
            Type.FromString(wire[:cut])
        except message.DecodeError:
            pass
    corrupt = bytes(b ^ 0xA5 for b in wire)
    try:
        Type.FromString(corrupt)
    except message.DecodeError:
        pass
