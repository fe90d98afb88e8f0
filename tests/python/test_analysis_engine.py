"""The analysis engine's messages as Python sees them."""
from wire import b, cls, hx

QX = "appliance_protocol.qxprotobuf.qxanta."
HOURLY = "0A 04 0A 00 12 00 12 04 08 04 12 00 1D 00 00 00 00"


def test_hours_read_in_both_forms_and_written_packed():
    fact_cls = cls(QX + "HourlyTimeseriesFact")
    fact = fact_cls.FromString(b(HOURLY + " 20 05 22 02 06 07 20 08"))
    assert list(fact.hours) == [5, 6, 7, 8]
    assert hx(fact.SerializeToString()) == HOURLY + " 22 04 05 06 07 08"
    fact.hours.append(2**64 - 1)
    assert fact.ByteSize() == 17 + 2 + 4 + 10
    del fact.hours[:]
    assert hx(fact.SerializeToString()) == HOURLY
