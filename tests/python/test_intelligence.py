"""The intelligence channel's proto3 records through the classes found by name."""
import pytest
from google.protobuf.message import DecodeError

from wire import b, cls, hx

PKG = "appliance_protocol.zdq_pace.velmorn.zdq.intelligence."


@pytest.mark.parametrize("name, wire, out", [
    ("pubsub.v1.TopicMsg", "10 05 10 01", "12 02 05 01"),        # unpacked read, packed written
    ("pubsub.v1.TopicMsg", "12 01 09 1A 00", "12 01 09 1A 00"),  # open enum, empty broker
    ("pubsub.v1.BrokerMsg", "18 00 12 00", "12 00"),             # zero not written
    ("nta.v1.UnionValue", "0A 00 1A 00", "1A 00"),               # last member wins
    ("nta.v1.MergePlan", "12 02 10 02", "12 04 0A 00 10 02"),    # entry without a key
    ("nta.v1.EventMetadata", "0A 03 0A 01 6B", "0A 05 0A 01 6B 12 00"),  # without a value
    ("pubsub.v1.TopicMsg", "48 05 0A 01 74", "0A 01 74 48 05"),  # unknown field kept
])
def test_round_trip(name, wire, out):
    m = cls(PKG + name).FromString(b(wire))
    assert m.IsInitialized() and hx(m.SerializeToString()) == out


@pytest.mark.parametrize("name, wire", [
    ("pubsub.v1.PubSubNotificationMsg", "22 06 1A 04 12 02 C3 28"),
    ("nta.v1.MergePlan", "12 06 0A 02 C3 28 10 01"),
])
def test_bad_utf8_fails_the_parse(name, wire):
    with pytest.raises(DecodeError):
        cls(PKG + name).FromString(b(wire))


def test_merge_copies_only_non_zero_values():
    Broker = cls(PKG + "pubsub.v1.BrokerMsg")
    m = Broker(topic="x", broker_type=1, endpoints=["a"])
    m.MergeFrom(Broker(endpoints=["b"]))
    assert (m.topic, m.broker_type, list(m.endpoints)) == ("x", 1, ["a", "b"])


def test_deterministic_map_order():
    e = cls(PKG + "nta.v1.Event")()
    for k, v in (("b", 1), ("a", 2), ("ab", 3)):
        e.merge_plan.metadata_key_merge_operation[k] = v
    assert hx(e.SerializeToString(deterministic=True)) == (
        "3A 16 12 05 0A 01 61 10 02 12 06 0A 02 61 62 10 03 12 05 0A 01 62 10 01")
