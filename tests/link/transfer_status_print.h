#pragma once
// Test failure messages show a transfer status as the number the CLI prints for it.
#include "link/protocol.h"

#include <ostream>

namespace cs::link {
inline void PrintTo(TransferStatus status, std::ostream* out) { *out << statusCode(status); }
} // namespace cs::link
