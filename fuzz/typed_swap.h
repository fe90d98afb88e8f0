// The compiled Swap of every registered message type, by full type name
// (typed_swap.cc is written by typed_swap.py at build time).
#pragma once

#include <map>
#include <string>

#include <google/protobuf/message.h>

namespace skelvar_fuzz {

// Swaps two objects of one type through the generated class's Swap.
using SwapFunction = void (*)(google::protobuf::Message*, google::protobuf::Message*);

const std::map<std::string, SwapFunction>& TypedSwaps();

}  // namespace skelvar_fuzz
