#!/usr/bin/python3
"""Points the merge of field-less message classes at skelvar's own.

usage: amend_zero_fields.py <name>.pb.h <name>.pb.cc

protoc generates each message type without fields on the runtime's
ZeroFieldsBase, and both its class data (.pb.cc) and its typed MergeFrom
(.pb.h) call ZeroFieldsBase::MergeImpl, which aborts on a self-merge and has
no insertion point. This rewrites exactly those calls to
skelvar::codegen::MergeZeroFields (zero_fields_merge.h). It fails the build
when the generated code no longer has the expected shape, so that a new
protoc cannot silently bring the abort back.
"""
import sys

RUNTIME = "::PROTOBUF_NAMESPACE_ID::internal::ZeroFieldsBase::MergeImpl"
OURS = "::skelvar::codegen::MergeZeroFields"
INCLUDES = "// @@protoc_insertion_point(includes)\n"


def amend(path, old, new):
    with open(path) as f:
        text = f.read()
    count = text.count(old)
    if count:
        text = text.replace(old, new)
        with open(path, "w") as f:
            f.write(text)
    return text, count


def main(header, source):
    text, in_header = amend(header, f"{RUNTIME}(*this, from);", f"{OURS}(*this, from);")
    _, in_source = amend(source, f"{RUNTIME},\n", f"{OURS},\n")
    classes = text.count("internal::ZeroFieldsBase /* @@protoc_insertion_point(class_definition:")
    if not in_header == in_source == classes:
        sys.exit(f"{header}: {classes} field-less classes, merges amended "
                 f"{in_header} in the header and {in_source} in the source")
    if classes:
        if INCLUDES not in text:
            sys.exit(f"{header}: no includes insertion point")
        amend(header, INCLUDES, '#include "zero_fields_merge.h"\n' + INCLUDES)


if __name__ == "__main__":
    main(*sys.argv[1:])
