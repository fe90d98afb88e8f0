// The payloads the benchmarks measure, built in code: what a sensor sends
// its manager in a busy minute. Built from a fixed seed, so every run and
// every implementation sees the same bytes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <google/protobuf/message.h>

namespace skelvar_bench {

struct Payload {
  std::string name;       // short name, used in benchmark names and file names
  std::string type_name;  // full name of the message type
  std::unique_ptr<google::protobuf::Message> message;
};

// The benchmark payloads, from largest to smallest:
//   upload     a SensorUpload of about 1 MB with a mix of records,
//   mqmessage  an MQSensorMessage of a few KB,
//   alert      one sensor Alert,
//   heartbeat  one Heartbeat.
// Every payload is initialised (all required fields present).
std::vector<Payload> BuildPayloads();

// Writes each payload's wire bytes to <dir>/<name>.pb (creating <dir>) and a
// manifest, <dir>/payloads.txt, of "<name> <type name>" lines, for the Python
// benchmark.
// Returns false (with a message on stderr) when a file cannot be written.
bool WritePayloads(const std::vector<Payload>& payloads, const std::string& dir);

}  // namespace skelvar_bench
