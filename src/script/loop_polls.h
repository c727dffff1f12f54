// Stop checks written into a script's own text, so that loops LuaJIT compiles to machine
// code (where no instruction hook runs) still look at the Escape key.
#pragma once

#include <string>
#include <string_view>

namespace dro::script {

// The source with `poll();` put at the head of every loop body (after each `do` and
// `repeat`), before every `goto` and at the entry of every function, where `poll` is
// the name given. Nothing moves to another line, so error messages keep their line
// numbers. A leading UTF-8 byte-order mark and `#` line are blanked as the loader
// would skip them. The source must already be known to compile.
std::string withLoopPolls(std::string_view source, std::string_view poll);

// A name for the poll function that the source does not contain anywhere.
std::string unusedPollName(std::string_view source);

}  // namespace dro::script
