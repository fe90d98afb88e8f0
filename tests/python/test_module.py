"""The module as Python sees it: import, registration, compiled classes, and
facts that hold for every registered message type."""
import importlib
import pathlib
import subprocess
import sys

import pytest
from google.protobuf import descriptor_pb2, message
from google.protobuf.internal import api_implementation

import skelvar
from wire import ALL_TYPES, FILES, POOL, cls, fill


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
