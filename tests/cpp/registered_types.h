// The message types of the protocol files built into the program, in a
// fixed order: files in registration order (SKELVAR_PROTO_FILES, set by the
// build), each file's types in declaration order, nested types after their
// parent. Map entry types are left out: they are read and written as part of
// their map field.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <google/protobuf/descriptor.h>
#include <google/protobuf/descriptor.pb.h>

namespace skelvar_test {

inline std::vector<std::string> RegisteredFiles() {
  std::vector<std::string> files;
  std::istringstream names(SKELVAR_PROTO_FILES);
  for (std::string name; names >> name;) files.push_back(name);
  return files;
}

inline void CollectTypes(const google::protobuf::Descriptor* d,
                         std::vector<const google::protobuf::Descriptor*>* out) {
  if (d->options().map_entry()) return;
  out->push_back(d);
  for (int i = 0; i < d->nested_type_count(); ++i) CollectTypes(d->nested_type(i), out);
}

// The types of one registered file; a file missing from the generated pool
// ends the program, since its types would silently go unchecked.
inline std::vector<const google::protobuf::Descriptor*> TypesOf(const std::string& name) {
  std::vector<const google::protobuf::Descriptor*> types;
  const auto* file = google::protobuf::DescriptorPool::generated_pool()->FindFileByName(name);
  if (file == nullptr) {
    std::fprintf(stderr, "%s is not in the generated pool\n", name.c_str());
    std::abort();
  }
  for (int i = 0; i < file->message_type_count(); ++i) CollectTypes(file->message_type(i), &types);
  return types;
}

// Every type of every registered file.
inline std::vector<const google::protobuf::Descriptor*> RegisteredTypes() {
  std::vector<const google::protobuf::Descriptor*> types;
  for (const std::string& name : RegisteredFiles()) {
    for (const auto* d : TypesOf(name)) types.push_back(d);
  }
  return types;
}

}  // namespace skelvar_test
