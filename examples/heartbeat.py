"""Finds a type by name, builds a message, writes it and parses it back."""
import skelvar  # noqa: F401  (registers the protocol files)
from google.protobuf import descriptor_pool, message_factory

pool = descriptor_pool.Default()
desc = pool.FindMessageTypeByName("appliance_protocol.sensor.heartbeat.Heartbeat")
Heartbeat = message_factory.MessageFactory(pool).GetPrototype(desc)

beat = Heartbeat(timestamp=1700000000, utc_offset=-60)
wire = beat.SerializeToString()
back = Heartbeat.FromString(wire)

print("type:   ", desc.full_name, "from", desc.file.name)
print("class:  ", type(back).__module__, type(back).__name__)
print("wire:   ", wire.hex(" ").upper())
print("parsed: ", f"timestamp={back.timestamp} utc_offset={back.utc_offset}")
assert back == beat
