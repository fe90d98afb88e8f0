// Facts that hold for every protocol file in the tree and every message type
// of the registered files, reached through the generated pool and factory:
// the compiled class exists, writes what it measures, reads back what it
// wrote, survives every truncation of its bytes, and merges, copies, swaps
// and clears consistently, merging into itself included.
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <google/protobuf/arena.h>
#include <google/protobuf/descriptor.h>
#include <google/protobuf/descriptor.pb.h>
#include <google/protobuf/io/coded_stream.h>
#include <google/protobuf/io/zero_copy_stream_impl_lite.h>
#include <google/protobuf/message.h>
#include <google/protobuf/util/message_differencer.h>

#include "fill.h"
#include "registered_types.h"

namespace {

using google::protobuf::Descriptor;
using google::protobuf::DescriptorPool;
using google::protobuf::Message;
using google::protobuf::MessageFactory;
using google::protobuf::util::MessageDifferencer;

// Registered names of the .proto files under the source tree.
std::vector<std::string> TreeFiles() {
  namespace fs = std::filesystem;
  const fs::path root = SKELVAR_SOURCE_DIR;
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(root / "appliance_protocol")) {
    if (entry.path().extension() == ".proto") {
      names.push_back(fs::relative(entry.path(), root).generic_string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<const Descriptor*> AllTypes() { return skelvar_test::RegisteredTypes(); }

// Bytes with map entries in key order, so that equal messages write equal bytes.
std::string Deterministic(const Message& m) {
  std::string out;
  google::protobuf::io::StringOutputStream stream(&out);
  google::protobuf::io::CodedOutputStream coded(&stream);
  coded.SetSerializationDeterministic(true);
  m.SerializePartialToCodedStream(&coded);
  coded.Trim();
  return out;
}

std::unique_ptr<Message> Filled(const Descriptor* d) {
  std::unique_ptr<Message> m(MessageFactory::generated_factory()->GetPrototype(d)->New());
  skelvar_test::Filler().Fill(m.get());
  return m;
}

TEST(AllTypes, RegistersEveryFileOfTheTree) {
  const auto files = TreeFiles();
  ASSERT_FALSE(files.empty());
  for (const std::string& name : files) {
    EXPECT_NE(DescriptorPool::generated_pool()->FindFileByName(name), nullptr) << name;
  }
}

TEST(AllTypes, GeneratedFactoryHandsOutCompiledClasses) {
  for (const Descriptor* d : AllTypes()) {
    const Message* prototype = MessageFactory::generated_factory()->GetPrototype(d);
    ASSERT_NE(prototype, nullptr) << d->full_name();
    EXPECT_EQ(prototype->GetDescriptor(), d);
    EXPECT_EQ(prototype->GetTypeName(), d->full_name());
  }
}

TEST(AllTypes, WritesWhatItMeasuresAndReadsItBack) {
  for (const Descriptor* d : AllTypes()) {
    SCOPED_TRACE(d->full_name());
    auto m = Filled(d);
    EXPECT_TRUE(m->IsInitialized()) << m->InitializationErrorString();
    const std::string wire = m->SerializePartialAsString();
    EXPECT_EQ(m->ByteSizeLong(), wire.size());
    std::unique_ptr<Message> back(m->New());
    ASSERT_TRUE(back->ParseFromString(wire));
    EXPECT_TRUE(MessageDifferencer::Equals(*m, *back));
    EXPECT_EQ(back->GetReflection()->GetUnknownFields(*back).field_count(), 0) << "a field was read as unknown";
    EXPECT_EQ(Deterministic(*back), Deterministic(*m));
  }
}

TEST(AllTypes, EveryTruncationFailsOrParsesWithoutHarm) {
  for (const Descriptor* d : AllTypes()) {
    SCOPED_TRACE(d->full_name());
    const std::string wire = Filled(d)->SerializePartialAsString();
    std::unique_ptr<Message> m(MessageFactory::generated_factory()->GetPrototype(d)->New());
    for (size_t n = 0; n < wire.size(); ++n) {
      if (m->ParsePartialFromArray(wire.data(), static_cast<int>(n))) {
        // Whatever was read is written back as the same number of bytes.
        EXPECT_EQ(m->SerializePartialAsString().size(), m->ByteSizeLong());
      }
    }
  }
}

TEST(AllTypes, ParsesOntoAnArena) {
  // The arena owns what New(arena) creates, and the object lives in it.
  for (const Descriptor* d : AllTypes()) {
    SCOPED_TRACE(d->full_name());
    const auto filled = Filled(d);
    google::protobuf::Arena arena;
    Message* m = MessageFactory::generated_factory()->GetPrototype(d)->New(&arena);
    EXPECT_EQ(m->GetArena(), &arena);
    ASSERT_TRUE(m->ParseFromString(filled->SerializePartialAsString()));
    EXPECT_TRUE(MessageDifferencer::Equals(*m, *filled));
    m->MergeFrom(*m);
    EXPECT_EQ(m->ByteSizeLong(), m->SerializePartialAsString().size());
  }
}

TEST(AllTypes, MergeIntoItselfMergesASnapshot) {
  for (const Descriptor* d : AllTypes()) {
    SCOPED_TRACE(d->full_name());
    auto m = Filled(d);
    // Unknown fields are merged too: one of each wire type.
    m->GetReflection()->MutableUnknownFields(m.get())->AddVarint(9000, 5);
    m->GetReflection()->MutableUnknownFields(m.get())->AddLengthDelimited(9001, "x");

    std::unique_ptr<Message> expected(m->New());
    expected->CopyFrom(*m);
    std::unique_ptr<Message> snapshot(m->New());
    snapshot->CopyFrom(*m);
    expected->MergeFrom(*snapshot);

    m->MergeFrom(*m);
    EXPECT_TRUE(MessageDifferencer::Equals(*m, *expected));
    EXPECT_EQ(m->GetReflection()->GetUnknownFields(*m).field_count(), 4);
    EXPECT_EQ(Deterministic(*m), Deterministic(*expected));
  }
}

TEST(AllTypes, CopySwapClearLeaveConsistentObjects) {
  for (const Descriptor* d : AllTypes()) {
    SCOPED_TRACE(d->full_name());
    auto full = Filled(d);
    const std::string wire = Deterministic(*full);
    std::unique_ptr<Message> empty(full->New());

    full->GetReflection()->Swap(full.get(), empty.get());
    EXPECT_EQ(full->ByteSizeLong(), 0u);
    EXPECT_EQ(Deterministic(*empty), wire);

    full->CopyFrom(*empty);
    full->CopyFrom(*full);  // copying onto itself changes nothing
    EXPECT_EQ(Deterministic(*full), wire);

    full->Clear();
    EXPECT_EQ(full->ByteSizeLong(), 0u);
    EXPECT_EQ(full->SerializePartialAsString(), "");
    // A cleared object is reused by the next parse.
    ASSERT_TRUE(full->ParsePartialFromString(empty->SerializePartialAsString()));
    EXPECT_TRUE(MessageDifferencer::Equals(*full, *empty));
  }
}

}  // namespace
