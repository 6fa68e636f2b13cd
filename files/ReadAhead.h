#pragma once
// A stream read on a thread of its own, a few pieces ahead of its reader: while the reader works
// through one piece, the inner stream (inflating, mostly) makes the next ones. On a large sheet
// the two take about as long as each other, so opening takes about half the time.

#include <memory>

#include "files/PartSource.h"

namespace kx::files {

// `inner` is read only on the new thread until the returned stream is gone. Without a thread to
// be had, `inner` itself is returned and read as before.
std::unique_ptr<TextStream> ReadAhead(std::unique_ptr<TextStream> inner);

}  // namespace kx::files
