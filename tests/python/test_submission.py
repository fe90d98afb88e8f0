"""Scheduler submissions and breach correlation as Python sees them."""
from wire import b, cls, hx, round_trip

QXShedSubmission = cls("appliance_protocol.sensor.qxshed.QXShedSubmission")
MQBreachCorrelationEvent = cls("appliance_protocol.qxprotobuf.breach.MQBreachCorrelationEvent")
APP = "0A 08 08 01 10 02 18 03 20 04"


def test_submission_oneof_follows_the_last_member_on_the_wire():
    s = QXShedSubmission.FromString(b(APP + " 12 00 22 00 1A 02 0A 00 1A 02 12 00"))
    assert s.WhichOneof("submission") == "pellucan_submission"
    assert len(s.pellucan_submission.files) == 1 and len(s.pellucan_submission.urls) == 1
    assert hx(s.SerializePartialToString()) == APP + " 1A 04 0A 00 12 00"


def test_sensor_upload_gates_the_envelope():
    s = QXShedSubmission()
    s.application.tool = s.application.tool_version_major = 1
    s.application.tool_version_minor = s.application.tool_version_build = 1
    item = s.papi_submission.sensoruploads.add()
    item.id.uuid = "u"
    item.sensorupload.sensor_id.access_key = "a"
    item.sensorupload.application.CopyFrom(s.application)
    assert s.FindInitializationErrors() == [
        "papi_submission.sensoruploads[0].sensorupload.sensor_id.sensor_key"]
    item.sensorupload.sensor_id.sensor_key = "s"
    assert s.IsInitialized()
    round_trip(s)


def test_breach_event_carries_a_queue_record():
    e = MQBreachCorrelationEvent.FromString(b("08 01 15 00 00 00 00 1A 02 08 07"))
    assert e.WhichOneof("breach_event") == "network_event"
    assert e.network_event.user_id == 7 and e.network_event.type == 2  # MAIL_ATTACHMENT
    assert e.FindInitializationErrors() == ["network_event.event_id"]
    e.mail_message_event.user_id = 1
    assert e.WhichOneof("breach_event") == "mail_message_event"

