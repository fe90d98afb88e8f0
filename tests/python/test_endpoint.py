"""Endpoint protocol as Python sees it: extensions reached by full name,
merging of jobs, required paths through extensions."""
from wire import b, cls, ext, hx

EP = "appliance_protocol.qxprotobuf.endpoint."
UP = "appliance_protocol.qxprotobuf.endpoint_upload."


def test_extensions_by_full_name():
    cases = [
        (EP + "ProcessStartEvent.trace_event", EP + "TraceEvent", 1000),
        (EP + "ProcessStopEvent.trace_event", EP + "TraceEvent", 1001),
        (EP + "ExecuteLocalCommandJob.execute_command_job", EP + "ExecuteCommandJob", 1000),
        (UP + "ProcessStartAlert.alert", UP + "Alert", 1000),
        (UP + "IocResultAlert.alert", UP + "Alert", 1001),
    ]
    for name, extendee, number in cases:
        e = ext(name)
        assert (e.containing_type.full_name, e.number) == (extendee, number)
        assert e.message_type.full_name == name.rsplit(".", 1)[0]


def test_trace_event_extension_round_trip():
    start = ext(EP + "ProcessStartEvent.trace_event")
    stop = ext(EP + "ProcessStopEvent.trace_event")
    ev = cls(EP + "TraceEvent")(type=2, timestamp=5)
    ev.Extensions[stop].stopped_process_id = 1
    ev.Extensions[start].created_process.user_name = "u"
    assert not ev.IsInitialized()
    assert ev.FindInitializationErrors() == [
        "(%s).create_time" % start.full_name, "(%s).exit_code" % stop.full_name]
    ev.Extensions[start].create_time = 1
    ev.Extensions[stop].exit_code = 2
    wire = "08 02 38 05 C2 3E 07 08 01 12 03 0A 01 75 CA 3E 04 08 01 10 02"
    assert hx(ev.SerializeToString()) == wire
    back = cls(EP + "TraceEvent").FromString(b(wire))
    assert back.HasExtension(start) and back.Extensions[start].create_time == 1
    back.ClearExtension(start)
    assert hx(back.SerializeToString()) == "08 02 38 05 CA 3E 04 08 01 10 02"
    back.Clear()
    assert not back.HasExtension(stop) and back.SerializePartialToString() == b""


def test_command_job_extension_and_job_merge():
    local = ext(EP + "ExecuteLocalCommandJob.execute_command_job")
    job = cls(EP + "Job")(job_uuid="a")
    cmd = job.execute_command_job
    cmd.command_source, cmd.command_type, cmd.send_output = 1, 4, True
    cmd.Extensions[local].SetInParent()
    assert not job.IsInitialized()
    cmd.Extensions[local].file_path = "x"
    target = cls(EP + "Job")(job_uuid="b")
    target.ioc_check_job.format, target.ioc_check_job.ioc = "f", "i"
    target.MergeFrom(job)
    assert target.HasField("ioc_check_job") and target.execute_command_job.Extensions[local].file_path == "x"
    assert target.IsInitialized() and target.job_uuid == "a"


def test_stdout_and_stderr_fields():
    out = cls(EP + "ExecuteCommandResponse")(exit_code=0, stdout="o", stderr="e")
    assert hx(out.SerializeToString()) == "08 00 12 01 6F 1A 01 65"
