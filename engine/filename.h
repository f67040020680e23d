#pragma once
// File names as the file system tells them apart, and the bytes the table
// engine wrote (for tests that check how much a change writes).

#include <QString>
#include <cstdint>

namespace engine {

// Whether two paths name one file by their spelling: on Windows, whose file
// names are blind to letter case, BETEG.DBF is Beteg.dbf.
bool sameFileName(const QString& a, const QString& b);

namespace testing {
// Bytes written through writeAt() since the process started.
std::uint64_t byteCount();
} // namespace testing

} // namespace engine
