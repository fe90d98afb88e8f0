// libFuzzer target over every message type of the registered protocol files.
//
// Input: two bytes that choose the type (little-endian, modulo the number of
// types, in the order of registered_types.h), then the bytes handed to the
// type's compiled class, found through the generated factory. The bytes
// must read the same whole, in small pieces and on an arena; whatever parses
// must measure what it writes, come back unchanged from a second round trip,
// and stay consistent through copy, merge, merge into itself, swap and
// clear. A broken invariant aborts with the type and the check.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <google/protobuf/arena.h>
#include <google/protobuf/descriptor.h>
#include <google/protobuf/io/coded_stream.h>
#include <google/protobuf/io/zero_copy_stream_impl_lite.h>
#include <google/protobuf/message.h>
#include <google/protobuf/stubs/logging.h>

#include "registered_types.h"
#include "typed_swap.h"

namespace {

using google::protobuf::Descriptor;
using google::protobuf::Message;
using google::protobuf::MessageFactory;

const std::vector<const Descriptor*>* types;
// The compiled Swap of each type, in the order of types.
const std::vector<skelvar_fuzz::SwapFunction>* swaps;

#define EXPECT(cond)                                                                  \
  do {                                                                                \
    if (!(cond)) {                                                                    \
      std::fprintf(stderr, "%s: check failed: %s\n", d->full_name().c_str(), #cond); \
      std::abort();                                                                   \
    }                                                                                 \
  } while (0)

// The message's bytes, map entries in key order, so that equal messages
// write equal bytes.
std::string Write(const Message& m) {
  std::string out;
  {
    google::protobuf::io::StringOutputStream stream(&out);
    google::protobuf::io::CodedOutputStream coded(&stream);
    coded.SetSerializationDeterministic(true);
    m.SerializePartialToCodedStream(&coded);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Proto3 strings that are not UTF-8 fail to parse and are logged by the
  // runtime: the failure is what is checked, the log only slows the run.
  google::protobuf::SetLogHandler(nullptr);
  types = new std::vector<const Descriptor*>(skelvar_test::RegisteredTypes());
  std::fprintf(stderr, "message_fuzzer: %zu message types of %zu files\n", types->size(),
               skelvar_test::RegisteredFiles().size());
  if (types->empty()) std::abort();
  auto* by_type = new std::vector<skelvar_fuzz::SwapFunction>;
  for (const Descriptor* d : *types) {
    const auto it = skelvar_fuzz::TypedSwaps().find(d->full_name());
    if (it == skelvar_fuzz::TypedSwaps().end()) {
      std::fprintf(stderr, "no compiled Swap for %s\n", d->full_name().c_str());
      std::abort();
    }
    by_type->push_back(it->second);
  }
  swaps = by_type;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t index = (data[0] | data[1] << 8) % types->size();
  const Descriptor* d = (*types)[index];
  const Message* prototype = MessageFactory::generated_factory()->GetPrototype(d);
  EXPECT(prototype != nullptr && prototype->GetDescriptor() == d);
  data += 2;
  size -= 2;

  std::unique_ptr<Message> m(prototype->New());
  const bool parsed = m->ParsePartialFromArray(data, static_cast<int>(size));

  // The same bytes arriving in small pieces read the same.
  std::unique_ptr<Message> pieces(prototype->New());
  google::protobuf::io::ArrayInputStream stream(data, static_cast<int>(size), 1 + size % 13);
  EXPECT(pieces->ParsePartialFromZeroCopyStream(&stream) == parsed);
  if (!parsed) return 0;

  // Measured size and written bytes agree, and one round trip reaches a
  // fixed point.
  const std::string wire = Write(*m);
  EXPECT(m->ByteSizeLong() == wire.size());
  EXPECT(m->SerializePartialAsString().size() == wire.size());
  EXPECT(Write(*pieces) == wire);
  std::unique_ptr<Message> again(prototype->New());
  EXPECT(again->ParsePartialFromString(wire));
  EXPECT(Write(*again) == wire);
  EXPECT(m->IsInitialized() == m->InitializationErrorString().empty());
  EXPECT(again->IsInitialized() == m->IsInitialized());

  // An object on an arena reads the same.
  {
    google::protobuf::Arena arena;
    Message* on_arena = prototype->New(&arena);
    EXPECT(on_arena->ParsePartialFromArray(data, static_cast<int>(size)));
    EXPECT(Write(*on_arena) == wire);
  }

  // Merging a message into a copy of itself is reading its bytes twice.
  std::unique_ptr<Message> twice(prototype->New());
  EXPECT(twice->ParsePartialFromString(wire + wire));
  const std::string wire2 = Write(*twice);
  EXPECT(twice->ByteSizeLong() == wire2.size());

  std::unique_ptr<Message> copy(prototype->New());
  copy->CopyFrom(*m);
  EXPECT(Write(*copy) == wire);
  copy->CopyFrom(*copy);
  EXPECT(Write(*copy) == wire);

  std::unique_ptr<Message> merged(prototype->New());
  merged->CopyFrom(*m);
  merged->MergeFrom(*again);
  EXPECT(Write(*merged) == wire2);
  EXPECT(merged->ByteSizeLong() == wire2.size());

  copy->MergeFrom(*copy);
  EXPECT(Write(*copy) == wire2);
  EXPECT(copy->ByteSizeLong() == wire2.size());

  // Swap, the class's own and reflection's, exchanges contents whole;
  // swapping with itself changes nothing.
  (*swaps)[index](m.get(), twice.get());
  EXPECT(Write(*m) == wire2);
  EXPECT(Write(*twice) == wire);
  (*swaps)[index](m.get(), m.get());
  EXPECT(Write(*m) == wire2);
  const google::protobuf::Reflection* reflection = m->GetReflection();
  reflection->Swap(m.get(), twice.get());
  EXPECT(Write(*m) == wire);
  EXPECT(Write(*twice) == wire2);
  reflection->Swap(m.get(), m.get());
  EXPECT(Write(*m) == wire);

  // A cleared object writes nothing and is reused by the next parse.
  twice->Clear();
  EXPECT(twice->ByteSizeLong() == 0);
  EXPECT(Write(*twice).empty());
  EXPECT(twice->ParsePartialFromString(wire));
  EXPECT(Write(*twice) == wire);
  return 0;
}
