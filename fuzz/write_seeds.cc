// Writes the seed corpus of message_fuzzer.
//
// usage: write_seeds OUTDIR SOURCE...
//
// Two kinds of seeds, each prefixed with the two bytes that choose its type:
// one filled message per registered type (every field set, nested messages a
// level deep), and every hex byte vector quoted in the test sources ("0A 01
// 61"), under each type that reads it without unknown fields. The vectors
// are taken as they stand in the text: a vector the tests build from
// several pieces contributes its pieces.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <google/protobuf/message.h>
#include <google/protobuf/stubs/logging.h>

#include "fill.h"
#include "registered_types.h"
#include "wire.h"

namespace {

using google::protobuf::Descriptor;
using google::protobuf::Message;
using google::protobuf::MessageFactory;

std::set<std::string> QuotedVectors(const std::vector<std::string>& sources) {
  static const std::regex hex(R"re(" ?([0-9A-Fa-f]{2}(?: [0-9A-Fa-f]{2})*) ?")re");
  std::set<std::string> vectors;
  for (const std::string& path : sources) {
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::sregex_iterator it(text.begin(), text.end(), hex), end; it != end; ++it) {
      vectors.insert(skelvar_test::Bytes((*it)[1].str()));
    }
  }
  return vectors;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTDIR SOURCE...\n", argv[0]);
    return 2;
  }
  google::protobuf::SetLogHandler(nullptr);  // proto3 strings that are not UTF-8
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  const std::set<std::string> vectors = QuotedVectors({argv + 2, argv + argc});
  const std::vector<const Descriptor*> types = skelvar_test::RegisteredTypes();

  size_t written = 0;
  auto write = [&](size_t index, const std::string& full_name, const std::string& wire) {
    std::ofstream out(dir / (full_name + "." + std::to_string(written++)), std::ios::binary);
    out.put(static_cast<char>(index & 0xFF));
    out.put(static_cast<char>(index >> 8));
    out << wire;
  };
  for (size_t i = 0; i < types.size(); ++i) {
    const Message* prototype = MessageFactory::generated_factory()->GetPrototype(types[i]);
    std::unique_ptr<Message> m(prototype->New());
    skelvar_test::Filler(1).Fill(m.get());
    write(i, types[i]->full_name(), m->SerializePartialAsString());
    for (const std::string& v : vectors) {
      if (m->ParsePartialFromString(v) &&
          m->GetReflection()->GetUnknownFields(*m).empty()) {
        write(i, types[i]->full_name(), v);
      }
    }
  }
  std::printf("%zu seeds: %zu quoted vectors, %zu types\n", written, vectors.size(), types.size());
  return 0;
}
