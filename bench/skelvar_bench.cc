// Throughput of the compiled classes on the payloads of payloads.h: parse
// (into a fresh object, into a reused one, onto an arena), measure, write,
// copy. Each benchmark is named <operation>/<payload> and reports bytes/s
// of wire bytes.
//
//   skelvar_bench [--write_payloads=DIR] [benchmark flags...]
//
// --write_payloads writes the payloads' wire bytes to DIR (for the Python
// benchmark, which measures the same bytes) before running.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <google/protobuf/arena.h>
#include <google/protobuf/descriptor.h>
#include <google/protobuf/message.h>

#include "payloads.h"

namespace {

using google::protobuf::Arena;
using google::protobuf::Message;
using skelvar_bench::Payload;

// One payload as the benchmarks see it: the type's prototype (the generated
// factory's default instance, the caller's road to a compiled class) and
// the wire bytes.
struct Subject {
  const Message* prototype;
  std::string wire;
};

void Report(benchmark::State& state, const Subject& s) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(s.wire.size()));
}

// The parse benchmarks parse partially (no required-field check
// afterwards), as Python's FromString and ParseFromString do, so that the
// two sides measure the same work.

// A new object per message, parsed and destroyed: what a caller that
// handles one message at a time pays (and what Python's FromString does).
void ParseFresh(benchmark::State& state, const Subject& s) {
  for (auto _ : state) {
    std::unique_ptr<Message> m(s.prototype->New());
    benchmark::DoNotOptimize(m->ParsePartialFromString(s.wire));
  }
  Report(state, s);
}

// One object, cleared and parsed again: the memory of strings, sub-messages
// and repeated elements is kept for reuse.
void ParseReused(benchmark::State& state, const Subject& s) {
  std::unique_ptr<Message> m(s.prototype->New());
  for (auto _ : state) {
    benchmark::DoNotOptimize(m->ParsePartialFromString(s.wire));  // clears first
  }
  Report(state, s);
}

// A new arena per message: the object and everything in it are allocated
// on the arena and released at once with it.
void ParseArena(benchmark::State& state, const Subject& s) {
  for (auto _ : state) {
    Arena arena;
    Message* m = s.prototype->New(&arena);
    benchmark::DoNotOptimize(m->ParsePartialFromString(s.wire));
  }
  Report(state, s);
}

void ByteSize(benchmark::State& state, const Subject& s) {
  std::unique_ptr<Message> m(s.prototype->New());
  m->ParseFromString(s.wire);
  for (auto _ : state) {
    benchmark::DoNotOptimize(m->ByteSizeLong());
  }
  Report(state, s);
}

// Measures and writes, into a string whose buffer is kept.
void Serialize(benchmark::State& state, const Subject& s) {
  std::unique_ptr<Message> m(s.prototype->New());
  m->ParseFromString(s.wire);
  std::string out;
  for (auto _ : state) {
    m->SerializeToString(&out);
    benchmark::DoNotOptimize(out.data());
  }
  Report(state, s);
}

// Copies into an object that keeps its memory from the previous copy, as
// the generated classes' own CopyFrom(const T&) does: Clear, then MergeFrom.
void Copy(benchmark::State& state, const Subject& s) {
  std::unique_ptr<Message> m(s.prototype->New());
  m->ParseFromString(s.wire);
  std::unique_ptr<Message> copy(s.prototype->New());
  for (auto _ : state) {
    copy->Clear();
    copy->MergeFrom(*m);
    benchmark::ClobberMemory();
  }
  Report(state, s);
}

// The same copy through Message::CopyFrom(const Message&), the road of code
// that holds only a Message: libprotobuf's own copy, which in a library built
// without NDEBUG first walks the whole target looking for the source (that
// Clear would destroy the source if it lay inside the target).
void CopyGeneric(benchmark::State& state, const Subject& s) {
  std::unique_ptr<Message> m(s.prototype->New());
  m->ParseFromString(s.wire);
  std::unique_ptr<Message> copy(s.prototype->New());
  for (auto _ : state) {
    copy->CopyFrom(*m);
    benchmark::ClobberMemory();
  }
  Report(state, s);
}

constexpr struct {
  const char* name;
  void (*run)(benchmark::State&, const Subject&);
} kOperations[] = {
    {"parse_fresh", ParseFresh}, {"parse_reused", ParseReused}, {"parse_arena", ParseArena},
    {"bytesize", ByteSize},      {"serialize", Serialize},      {"copy", Copy},
    {"copy_generic", CopyGeneric},
};

// Takes --write_payloads=DIR out of argv; returns DIR or "".
std::string TakePayloadDir(int* argc, char** argv) {
  static const char kFlag[] = "--write_payloads=";
  std::string dir;
  int kept = 1;
  for (int i = 1; i < *argc; ++i) {
    if (std::strncmp(argv[i], kFlag, sizeof(kFlag) - 1) == 0) {
      dir = argv[i] + sizeof(kFlag) - 1;
    } else {
      argv[kept++] = argv[i];
    }
  }
  *argc = kept;
  return dir;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string payload_dir = TakePayloadDir(&argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  const std::vector<Payload> payloads = skelvar_bench::BuildPayloads();
  if (!payload_dir.empty() && !skelvar_bench::WritePayloads(payloads, payload_dir)) return 1;

  // Subjects live until the end of main: the benchmarks hold references.
  std::vector<Subject> subjects;
  subjects.reserve(payloads.size());
  for (const Payload& p : payloads) {
    const Message* prototype = google::protobuf::MessageFactory::generated_factory()->GetPrototype(
        google::protobuf::DescriptorPool::generated_pool()->FindMessageTypeByName(p.type_name));
    subjects.push_back(Subject{prototype, p.message->SerializeAsString()});
    std::fprintf(stderr, "%-10s %-55s %8zu bytes\n", p.name.c_str(), p.type_name.c_str(),
                 subjects.back().wire.size());
  }
  for (const auto& op : kOperations) {
    for (size_t i = 0; i < payloads.size(); ++i) {
      const Subject& s = subjects[i];
      benchmark::RegisterBenchmark((std::string(op.name) + "/" + payloads[i].name).c_str(),
                                   [run = op.run, &s](benchmark::State& st) { run(st, s); });
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
