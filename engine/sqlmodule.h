#pragma once
// The SQLite virtual table module over the engine's tables (engine/database.h
// attaches each open table through it as "dbf").

#include <sqlite3.h>

namespace engine {

class Database;
class Table;

const sqlite3_module& dbfModule();
// The table attached under `id` to the database, or null (database.cpp).
Table* lookupTable(Database* db, int id);

} // namespace engine
