// Fills any message through reflection: every field, repeated fields twice,
// every extension registered for its type, nested messages to a fixed depth.
// Shared by the suites that walk every registered type.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <google/protobuf/descriptor.h>
#include <google/protobuf/message.h>

namespace skelvar_test {

class Filler {
 public:
  explicit Filler(int max_depth = 3) : max_depth_(max_depth) {}

  void Fill(google::protobuf::Message* m) { Fill(m, 0); }

 private:
  using FD = google::protobuf::FieldDescriptor;

  void Fill(google::protobuf::Message* m, int depth) {
    const google::protobuf::Descriptor* d = m->GetDescriptor();
    std::vector<const FD*> fields;
    for (int i = 0; i < d->field_count(); ++i) fields.push_back(d->field(i));
    std::vector<const FD*> extensions;
    d->file()->pool()->FindAllExtensions(d, &extensions);
    fields.insert(fields.end(), extensions.begin(), extensions.end());
    for (const FD* f : fields) {
      if (f->cpp_type() == FD::CPPTYPE_MESSAGE && depth >= max_depth_ &&
          !f->is_required()) {
        continue;
      }
      if (f->is_repeated()) {
        // Two elements, so that merges and self-merges have an order to keep.
        Set(m, f, depth);
        Set(m, f, depth);
      } else {
        Set(m, f, depth);
      }
    }
  }

  // Sets (or, for repeated fields, appends) one value of field f.
  void Set(google::protobuf::Message* m, const FD* f, int depth) {
    const google::protobuf::Reflection* r = m->GetReflection();
    const bool rep = f->is_repeated();
    const uint32_t n = ++counter_;
    switch (f->cpp_type()) {
      case FD::CPPTYPE_INT32: {
        // Every third value negative: a ten-byte varint for int32.
        const int32_t v = n % 3 == 0 ? -static_cast<int32_t>(n) : n * 37;
        rep ? r->AddInt32(m, f, v) : r->SetInt32(m, f, v);
        break;
      }
      case FD::CPPTYPE_INT64: {
        const int64_t v = n % 3 == 0 ? -static_cast<int64_t>(n) : int64_t{n} << 33;
        rep ? r->AddInt64(m, f, v) : r->SetInt64(m, f, v);
        break;
      }
      case FD::CPPTYPE_UINT32: {
        const uint32_t v = n * 2654435761u;
        rep ? r->AddUInt32(m, f, v) : r->SetUInt32(m, f, v);
        break;
      }
      case FD::CPPTYPE_UINT64: {
        const uint64_t v = uint64_t{n} * 0x9E3779B97F4A7C15ull;
        rep ? r->AddUInt64(m, f, v) : r->SetUInt64(m, f, v);
        break;
      }
      case FD::CPPTYPE_DOUBLE:
        rep ? r->AddDouble(m, f, n + 0.25) : r->SetDouble(m, f, n + 0.25);
        break;
      case FD::CPPTYPE_FLOAT:
        rep ? r->AddFloat(m, f, n + 0.5f) : r->SetFloat(m, f, n + 0.5f);
        break;
      case FD::CPPTYPE_BOOL:
        rep ? r->AddBool(m, f, true) : r->SetBool(m, f, true);
        break;
      case FD::CPPTYPE_ENUM: {
        const google::protobuf::EnumDescriptor* e = f->enum_type();
        const auto* v = e->value(n % e->value_count());
        rep ? r->AddEnum(m, f, v) : r->SetEnum(m, f, v);
        break;
      }
      case FD::CPPTYPE_STRING: {
        std::string v = "v" + std::to_string(n);
        // Bytes fields carry arbitrary octets; string fields stay text so
        // that proto3's UTF-8 check accepts them.
        if (f->type() == FD::TYPE_BYTES) v += std::string("\x00\xff\x80", 3);
        rep ? r->AddString(m, f, v) : r->SetString(m, f, v);
        break;
      }
      case FD::CPPTYPE_MESSAGE: {
        google::protobuf::Message* sub =
            rep ? r->AddMessage(m, f) : r->MutableMessage(m, f);
        Fill(sub, depth + 1);
        break;
      }
    }
  }

  int max_depth_;
  uint32_t counter_ = 0;
};

}  // namespace skelvar_test
