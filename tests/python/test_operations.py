"""Monitoring, monitored-host and audit records as Python sees them: twin
gauge types, account ids by file, presence of an empty sub-record."""
from wire import cls, hx

MON = "appliance_protocol.qxprotobuf.monitoring."


def test_min_and_max_gauge_are_two_types_with_one_wire_form():
    fields = dict(source="s", key="k", timestamp_start=1, timestamp_end=2, value=-0.0)
    lo, hi = cls(MON + "MinGauge")(**fields), cls(MON + "MaxGauge")(**fields)
    assert type(lo) is not type(hi)
    assert lo.SerializeToString() == hi.SerializeToString()
    assert hx(lo.SerializeToString()) == "0A 01 73 12 01 6B 1D 01 00 00 00 25 02 00 00 00 2D 00 00 00 80"


def test_envelope_account_ids_by_file():
    rapid = cls(MON + "MQRapidMonitoringData")(user_id=5, utc_timestamp=1)
    rapid.monitoring_data.SetInParent()
    host = cls("appliance_protocol.qxprotobuf.monitored_host.MQMonitoredHost")(
        user_id=5, utc_timestamp=1, source="", first_seen=0, last_seen=0)
    host.ip.type, host.ip.address = 4, b"\x0a\x00\x00\x01"
    assert rapid.IsInitialized()
    assert host.FindInitializationErrors() == ["access_key_id", "subkey_id"]


def test_audit_client_ip_present_once_touched():
    ev = cls("appliance_protocol.qxprotobuf.audit_log.AuditEvent")(user_id=1)
    assert not ev.HasField("client_ip")
    ev.client_ip.SetInParent()
    assert hx(ev.SerializePartialToString()) == "08 01 3A 00"
    assert "client_ip.type" in ev.FindInitializationErrors()

