// The registered files used from eight threads at once (run under
// ThreadSanitizer by make tsan). The first descriptor() and factory calls of
// the files race with each other: compiled classes and the generated factory
// are asked for different types of the same files in the same instant, file
// by file. Then every type is filled, written and read back in parallel,
// while all threads also write and read one shared message.
#include <algorithm>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <google/protobuf/descriptor.h>
#include <google/protobuf/descriptor.pb.h>
#include <google/protobuf/message.h>
#include <google/protobuf/util/message_differencer.h>

#include "appliance_protocol/sensor/common.pb.h"
#include "appliance_protocol/sensor/queuemessage.pb.h"
#include "appliance_protocol/zdq_pace/proto3/velmorn/zdq/intelligence/pubsub/v1/pubsub_core_types.pb.h"
#include "fill.h"
#include "registered_types.h"

namespace {

using google::protobuf::Descriptor;
using google::protobuf::DescriptorPool;
using google::protobuf::Message;
using google::protobuf::MessageFactory;
using google::protobuf::util::MessageDifferencer;

constexpr int kThreads = 8;

// Lets the threads go on together once all of them have arrived.
class Barrier {
 public:
  void Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    const int round = round_;
    if (++waiting_ == kThreads) {
      waiting_ = 0;
      ++round_;
      all_arrived_.notify_all();
    } else {
      all_arrived_.wait(lock, [&] { return round_ != round; });
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable all_arrived_;
  int waiting_ = 0;
  int round_ = 0;
};

void OnEightThreads(const std::function<void(int)>& body) {
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back(body, t);
  for (auto& thread : threads) thread.join();
}

using skelvar_test::RegisteredFiles;
using skelvar_test::TypesOf;

// Must run first in the program: it is about the first calls.
TEST(Threads, FirstUseOfEveryFileFromEightThreadsAtOnce) {
  namespace common = appliance_protocol::sensor::common;
  namespace queue = appliance_protocol::sensor::queuemessage;
  namespace pubsub = appliance_protocol::zdq_pace::velmorn::zdq::intelligence::pubsub::v1;
  // Even threads ask a compiled class, odd threads the factory, for a type of
  // the same file; the envelope file sets up its many imports on the way.
  struct FirstCall {
    const char* type;
    const Descriptor* (*compiled)();  // null: through the pool and the factory
  };
  const FirstCall calls[kThreads] = {
      {"appliance_protocol.sensor.queuemessage.MQHeartbeat", [] { return queue::MQHeartbeat::descriptor(); }},
      {"appliance_protocol.sensor.queuemessage.MQAlert", nullptr},
      {"appliance_protocol.sensor.common.SensorID",
       [] { return common::SensorID::default_instance().GetDescriptor(); }},
      {"appliance_protocol.sensor.common.Host", nullptr},
      {"appliance_protocol.zdq_pace.velmorn.zdq.intelligence.pubsub.v1.TopicMsg",
       [] { return pubsub::TopicMsg::descriptor(); }},
      {"appliance_protocol.zdq_pace.velmorn.zdq.intelligence.pubsub.v1.BrokerMsg", nullptr},
      {"appliance_protocol.sensor.queuemessage.MQSensorMessage",
       [] { return queue::MQSensorMessage().GetDescriptor(); }},
      {"appliance_protocol.sensor.queuemessage.MQEvent", nullptr},
  };
  const std::vector<std::string> files = RegisteredFiles();
  ASSERT_FALSE(files.empty());
  Barrier barrier;
  const Descriptor* first[kThreads] = {};
  std::vector<const Message*> prototypes[kThreads];

  // The runtime's own singletons (generated pool and factory, the owner of
  // reflection data) are made lazily inside libprotobuf, whose
  // synchronisation ThreadSanitizer cannot see: one call on a runtime type
  // makes them first. None of the registered files is touched by it.
  ASSERT_NE(MessageFactory::generated_factory()->GetPrototype(
                google::protobuf::FileDescriptorProto::descriptor()),
            nullptr);

  // No ASSERT in here: a thread that left early would hold up the others.
  OnEightThreads([&](int t) {
    barrier.Wait();
    if (calls[t].compiled != nullptr) {
      first[t] = calls[t].compiled();
    } else if (const Descriptor* d = DescriptorPool::generated_pool()->FindMessageTypeByName(calls[t].type)) {
      const Message* prototype = MessageFactory::generated_factory()->GetPrototype(d);
      first[t] = prototype != nullptr ? prototype->GetDescriptor() : nullptr;
    }

    // File by file, each thread takes every eighth type of the file.
    for (const std::string& name : files) {
      barrier.Wait();
      const std::vector<const Descriptor*> types = TypesOf(name);
      for (size_t i = t; i < types.size(); i += kThreads) {
        prototypes[t].push_back(MessageFactory::generated_factory()->GetPrototype(types[i]));
      }
    }
  });

  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(first[t], DescriptorPool::generated_pool()->FindMessageTypeByName(calls[t].type)) << calls[t].type;
  }
  // Every type got its compiled prototype, with the descriptor and reflection
  // the pool and the class agree on.
  size_t count = 0;
  for (const std::string& name : files) {
    EXPECT_NE(DescriptorPool::generated_pool()->FindFileByName(name), nullptr) << name;
    const std::vector<const Descriptor*> types = TypesOf(name);
    for (size_t i = 0; i < types.size(); ++i, ++count) {
      const Message* prototype = MessageFactory::generated_factory()->GetPrototype(types[i]);
      const auto& got = prototypes[i % kThreads];
      EXPECT_NE(std::find(got.begin(), got.end(), prototype), got.end()) << types[i]->full_name();
      EXPECT_EQ(prototype->GetDescriptor(), types[i]);
      EXPECT_NE(prototype->GetReflection(), nullptr);
    }
  }
  EXPECT_GT(count, files.size());
}

TEST(Threads, ParseAndWriteInParallel) {
  std::vector<const Descriptor*> types;
  for (const std::string& name : RegisteredFiles()) {
    for (const Descriptor* d : TypesOf(name)) types.push_back(d);
  }
  ASSERT_FALSE(types.empty());

  // One message read by every thread at once: writing a const message
  // refreshes its cached sizes, which must be safe to do concurrently.
  appliance_protocol::sensor::queuemessage::MQSensorMessage shared;
  skelvar_test::Filler().Fill(&shared);
  const std::string shared_wire = shared.SerializePartialAsString();
  const std::string shared_text = shared.DebugString();
  ASSERT_GT(shared_wire.size(), 100u);

  OnEightThreads([&](int t) {
    for (int round = 0; round < 3; ++round) {
      for (size_t i = t; i < types.size(); i += kThreads) {
        SCOPED_TRACE(types[i]->full_name());
        const Message* prototype = MessageFactory::generated_factory()->GetPrototype(types[i]);
        std::unique_ptr<Message> m(prototype->New());
        skelvar_test::Filler().Fill(m.get());
        const std::string wire = m->SerializePartialAsString();
        EXPECT_EQ(m->ByteSizeLong(), wire.size());
        std::unique_ptr<Message> back(prototype->New());
        ASSERT_TRUE(back->ParsePartialFromString(wire));
        EXPECT_TRUE(MessageDifferencer::Equals(*m, *back));

        EXPECT_EQ(shared.SerializePartialAsString(), shared_wire);
        appliance_protocol::sensor::queuemessage::MQSensorMessage mine;
        ASSERT_TRUE(mine.ParsePartialFromString(shared_wire));
        EXPECT_TRUE(MessageDifferencer::Equals(mine, shared));
      }
      EXPECT_EQ(shared.DebugString(), shared_text);
    }
  });
}

}  // namespace
