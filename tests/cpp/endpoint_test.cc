// Endpoint agent protocol, manager records and alert upload: wire bytes,
// extensions of TraceEvent, ExecuteCommandJob and Alert, required fields deep
// in the trees.
#include <gtest/gtest.h>

#include <cstdio>  // stdout and stderr are macros as well; the accessors must still compile

#include "appliance_protocol/qxprotobuf/endpoint.pb.h"
#include "appliance_protocol/qxprotobuf/endpoint_manager.pb.h"
#include "appliance_protocol/qxprotobuf/endpoint_upload.pb.h"
#include "wire.h"

namespace {

namespace ep = appliance_protocol::qxprotobuf::endpoint;
using skelvar_test::kFails;
using skelvar_test::ParseHex;
using skelvar_test::Wire;

// An initialised Alert head: type 1, times 0, empty key and uuid, V4 address, client with hostname.
#define ALERT "08 01 10 00 18 00 22 00 2A 00 32 04 08 04 12 00 3A 04 2A 02 0A 00"
// An initialised IocResultAlert body (21 bytes).
#define IOC "0A 00 12 00 18 00 2D 00 00 00 00 3A 06 0A 00 12 00 1A 00 40 00"

const skelvar_test::WireCase kCases[] = {
    // Extensions of TraceEvent: after field 7, in number order, before unknown fields.
    {"endpoint.TraceEvent", "C2 3E 02 08 01 38 05 08 02", "08 02 38 05 C2 3E 02 08 01", true},
    {"endpoint.TraceEvent", "08 02 38 05 C2 3E 00", "=", false},  // no create_time
    {"endpoint.TraceEvent", "D2 3E 00 CA 3E 04 08 01 10 02 38 05 C2 3E 02 08 01 08 02",
     "08 02 38 05 C2 3E 02 08 01 CA 3E 04 08 01 10 02 D2 3E 00", true},
    {"endpoint.TraceEvent", "C0 3E 07 08 01 38 00", "08 01 38 00 C0 3E 07", true},  // 1000 as varint
    {"endpoint.TraceEvent", "08 04 38 05", "38 05 08 04", false},  // type 4 kept as unknown
    {"endpoint.ProcessStartEvent", "08 01 2A 04 0A 00 12 00 2A 02 0A 00", "=", false},
    {"endpoint.WindowsTraceEvent", "30 06 0A 00 10 00 22 00 30 05 3A 00 42 00 48 00 52 00",
     "0A 00 10 00 22 00 30 05 3A 00 42 00 48 00 52 00 30 06", true},
    // Client records.
    {"endpoint.ClientInfo", "22 01 61 2A 02 0A 00", "2A 02 0A 00 22 01 61", true},  // field 4 unknown
    {"endpoint.ClientInfo", "12 02 08 06 2A 02 0A 00", "=", false},
    {"endpoint.EndpointLogMessage", "0A 00 12 00 18 00 20 01", "0A 00 12 00 20 01 18 00", false},
    // Jobs and the command job's extension.
    {"endpoint.ExecuteCommandJob", "C2 3E 03 0A 01 78 30 1E 08 01 20 01 28 01",
     "08 01 20 01 28 01 30 1E C2 3E 03 0A 01 78", true},
    {"endpoint.ExecuteCommandJob", "08 01 20 01 28 01 C2 3E 00", "=", false},
    {"endpoint.ExecuteCommandJob", "08 02 20 01 28 01 C2 3E 03 0A 01 78", "20 01 28 01 C2 3E 03 0A 01 78 08 02", false},
    {"endpoint.ExecuteCommandJob", "08 01 20 01 28 01 CA 3E 00 38 00 C2 3E 03 0A 01 78",
     "08 01 20 01 28 01 C2 3E 03 0A 01 78 CA 3E 00 38 00", true},
    {"endpoint.Job", "0A 00 32 09 08 01 20 01 28 01 C2 3E 00", "=", false},
    {"endpoint.Job", "0A 00 C2 3E 00 1A 00", "0A 00 1A 00 C2 3E 00", true},  // 1000 unknown in a Job
    {"endpoint.Job", "12 00 0A 00", "0A 00 12 00", false},  // empty UploadFileJob
    {"endpoint.ControlJob", "10 02 0A 00", "0A 00 10 02", false},
    // Job responses and the report exchange.
    {"endpoint.JobResponse", "10 04 0A 00 3A 02 08 00", "0A 00 3A 02 08 00 10 04", false},
    {"endpoint.JobResponse", "0A 00 10 00 22 00", "=", true},
    {"endpoint.IOCCheckResultPair", "08 01", "=", false},
    {"endpoint.EndpointReport", "0A 00 12 00 22 04 08 01 38 00 22 04 08 01 38 00 22 02 08 01", "=", false},
    {"endpoint.EndpointReportResponse", "08 05 12 02 0A 00", "12 02 0A 00 08 05", false},
    {"endpoint.EndpointReportResponse", "08 02", "=", true},
    // Manager records.
    {"endpoint_manager.EndpointAlert", "09 01 00 00 00 00 00 00 00 15 02 00 00 00 18 02", "=", true},
    {"endpoint_manager.EndpointAlert", "18 03 09 01 00 00 00 00 00 00 00 15 02 00 00 00",
     "09 01 00 00 00 00 00 00 00 15 02 00 00 00 18 03", false},
    {"endpoint_manager.RegisteredProcessEvent", "10 05 08 02", "=", false},  // event_id as varint
    {"endpoint_manager.ProcessEvent",
     "0A 07 08 02 38 00 C2 3E 00 12 00 1A 04 08 04 12 00 22 04 2A 02 0A 00", "=", false},
    {"endpoint_manager.ProcessEvent",
     "0A 09 08 02 38 00 C2 3E 02 08 01 12 00 1A 04 08 04 12 00 22 04 2A 02 0A 00", "=", true},
    {"endpoint_manager.JobResponse", "0A 02 0A 00 12 00 1A 00", "=", false},
    {"endpoint_manager.JobResponse", "0A 04 0A 00 10 00 12 00 1A 00", "=", true},
    {"endpoint_manager.UploadedFile", "0A 00 12 02 0A 00 1A 00 22 00", "=", false},
    // Alert upload and its extensions.
    {"endpoint_upload.Alert", "", "=", false},
    {"endpoint_upload.Alert", "CA 3E 05 0A 00", kFails, false},  // extension overruns
    {"endpoint_upload.Alert", ALERT " C2 3E 08 1A 04 0A 00 12 00 38 01", "=", false},
    {"endpoint_upload.Alert", "EA 3E 00 CA 3E 15 " IOC " A2 1F 00 " ALERT " C2 3E 0A 1A 04 0A 00 12 00 30 00 38 01",
     ALERT " C2 3E 0A 1A 04 0A 00 12 00 30 00 38 01 CA 3E 15 " IOC " EA 3E 00 A2 1F 00", true},
    {"endpoint_upload.Alert", ALERT " 08 04 C0 3E 01", "=", true},  // type 1 stays
    {"endpoint_upload.ProcessStartAlert", "38 03 1A 04 0A 00 12 00 30 00", "1A 04 0A 00 12 00 30 00 38 03", false},
    {"endpoint_upload.MQStoredAlert", "18 00 08 01 10 02 20 03", "08 01 10 02 20 03 18 00", false},
    {"endpoint_upload.MQAlert", "08 01 10 02 18 03 25 04 00 00 00 2A 16 " ALERT, "=", true},
    {"endpoint_upload.MQAlert", "08 01 10 02 25 04 00 00 00 2A 16 " ALERT, "=", false},  // no subkey_id
    {"endpoint_upload.MQAlert", "08 01 10 02 18 03 25 04 00 00 00 2A 19 " ALERT " CA 3E 00", "=", false},
};

TEST(Endpoint, WireTable) {
  skelvar_test::CheckWire("appliance_protocol.qxprotobuf", kCases);
}

TEST(Endpoint, BrokenExtensionFailsTheParse) {
  ep::TraceEvent ev;
  EXPECT_FALSE(ParseHex("08 01 C2 3E 02 08", &ev));
  EXPECT_TRUE(ev.has_type());  // what was read stays
}

TEST(Endpoint, TraceEventExtensionAccessors) {
  ep::TraceEvent ev;
  EXPECT_FALSE(ev.HasExtension(ep::ProcessStartEvent::trace_event));
  EXPECT_EQ(&ev.GetExtension(ep::ProcessStartEvent::trace_event), &ep::ProcessStartEvent::default_instance());
  ev.set_type(ep::TraceEvent::ProcessStopEventType);
  ev.set_timestamp(5);
  ep::ProcessStopEvent* stop = ev.MutableExtension(ep::ProcessStopEvent::trace_event);
  stop->set_stopped_process_id(1);
  EXPECT_FALSE(ev.IsInitialized());  // exit_code missing
  stop->set_exit_code(2);
  EXPECT_TRUE(ev.IsInitialized());
  EXPECT_EQ(Wire(ev), "08 03 38 05 CA 3E 04 08 01 10 02");

  ev.Clear();
  EXPECT_FALSE(ev.HasExtension(ep::ProcessStopEvent::trace_event));
  EXPECT_EQ(ev.ByteSizeLong(), 0u);
  EXPECT_EQ(Wire(ev), "");
  EXPECT_EQ(ev.MutableExtension(ep::ProcessStopEvent::trace_event), stop);  // kept, cleared
  EXPECT_EQ(Wire(*stop), "");
}

TEST(Endpoint, CommandOutputFieldsNamedStdoutAndStderr) {
  ep::ExecuteCommandResponse out;
  out.set_exit_code(-1);
  out.set_stdout("o");
  out.set_stderr("e");
  EXPECT_EQ(Wire(out), "08 FF FF FF FF FF FF FF FF FF 01 12 01 6F 1A 01 65");
  EXPECT_EQ(out.stdout(), "o");
}

}  // namespace
