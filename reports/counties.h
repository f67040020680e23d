#pragma once
// The county table: the fund's county codes 1 to 20 with their names, as the
// printed sheets and lists show them.

#include <QString>

namespace reports {

// The stored entry of county `code` ("18  VESZPRÉM MEGYE", padded with
// blanks to 32 characters); empty outside 1 to 20.
QString countyEntry(int code);
// The name as the reports show it: the entry from its fifth character on,
// at most 33 characters, without the padding; empty outside 1 to 20.
QString countyName(int code);

} // namespace reports
