// Uses every registered message type once, through the generated pool and
// factory as a caller would, then shuts the protobuf runtime down and exits.
// Built with LeakSanitizer (make sanitize), the exit reports every block the
// classes or the runtime failed to free; in a plain build it checks that the
// runtime's shutdown frees the registered files without harm.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <google/protobuf/descriptor.h>
#include <google/protobuf/message.h>
#include <google/protobuf/stubs/common.h>

#include "fill.h"
#include "registered_types.h"

namespace {

using google::protobuf::Descriptor;
using google::protobuf::Message;
using google::protobuf::MessageFactory;

// Every operation that allocates: fill, write, parse, text form, copy,
// merge, merge into itself, swap, clear, unknown fields and release.
bool UseOnce(const Descriptor* d) {
  const Message* prototype = MessageFactory::generated_factory()->GetPrototype(d);
  std::unique_ptr<Message> m(prototype->New());
  skelvar_test::Filler().Fill(m.get());
  m->GetReflection()->MutableUnknownFields(m.get())->AddLengthDelimited(9001, "x");
  const std::string wire = m->SerializePartialAsString();

  std::unique_ptr<Message> back(prototype->New());
  if (!back->ParsePartialFromString(wire)) return false;
  if (back->DebugString().empty()) return false;

  std::unique_ptr<Message> copy(prototype->New());
  copy->CopyFrom(*back);
  copy->MergeFrom(*m);
  copy->MergeFrom(*copy);
  m->GetReflection()->Swap(m.get(), copy.get());
  m->Clear();
  if (!m->ParsePartialFromString(wire)) return false;

  // Sub-messages taken out of their parent are the caller's to free.
  std::vector<const google::protobuf::FieldDescriptor*> fields;
  m->GetReflection()->ListFields(*m, &fields);
  for (const auto* f : fields) {
    if (f->cpp_type() == f->CPPTYPE_MESSAGE && !f->is_repeated()) {
      delete m->GetReflection()->ReleaseMessage(m.get(), f);
    }
  }
  return true;
}

}  // namespace

int main() {
  int failed = 0;
  const auto types = skelvar_test::RegisteredTypes();
  for (const Descriptor* d : types) {
    if (!UseOnce(d)) {
      std::fprintf(stderr, "%s: did not read back its own bytes\n", d->full_name().c_str());
      ++failed;
    }
  }
  google::protobuf::ShutdownProtobufLibrary();
  std::printf("%zu types used, %d failed\n", types.size(), failed);
  return failed == 0 ? 0 : 1;
}
