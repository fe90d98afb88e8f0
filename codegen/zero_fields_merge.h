// Merge of the message types that have no fields.
//
// protoc derives these from the runtime's ZeroFieldsBase, whose merge treats
// a message merged into itself as a fatal error and offers no insertion
// point. amend_zero_fields.py points their merge here instead: merging such
// a message into itself merges a snapshot of its unknown fields (they are
// doubled), as every other generated class does.
#pragma once

#include <google/protobuf/message.h>
#include <google/protobuf/unknown_field_set.h>

namespace skelvar {
namespace codegen {

// All there is to merge is the unknown fields; merged from a snapshot, so
// that `to` may be `from`.
inline void MergeZeroFields(::google::protobuf::Message& to,
                            const ::google::protobuf::Message& from) {
  const ::google::protobuf::Reflection* reflection = to.GetReflection();
  const ::google::protobuf::UnknownFieldSet& unknown = reflection->GetUnknownFields(from);
  if (unknown.empty()) return;
  ::google::protobuf::UnknownFieldSet snapshot;
  snapshot.MergeFrom(unknown);
  reflection->MutableUnknownFields(&to)->MergeFrom(snapshot);
}

}  // namespace codegen
}  // namespace skelvar
