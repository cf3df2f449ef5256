// The program's SQL is written once, in SQLite's dialect; a server database
// gets it rewritten here, token by token, once per statement text.
#pragma once

#include <QString>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace store {

// One statement as the server takes it, and what the store must know of it.
struct ServerStatement {
    std::string text;
    int parameters = 0;        // the highest $N
    std::vector<bool> used;    // whether $N (index N - 1) stands in the text
    bool returnsRowid = false; // an INSERT given RETURNING "_rowid_" for lastInsertId
    bool namesRowid = false;   // the statement names the rowid itself; else it is hidden
    bool changesSchema = false;
    bool createsTable = false;
    std::string written; // the table an INSERT, UPDATE or DELETE writes, in lower case
};

// Rewrites one statement. Names the schema defines are double-quoted in the
// schema's spelling (the server folds bare names to lower case); rowid and
// _rowid_ name the "_rowid_" column every table has on the server; types,
// NULL order, IS, ifnull, scalar min/max, round, booleans and COLLATE NOCASE
// are given the server's forms. Throws store::Error for a form that has none.
ServerStatement toServer(std::string_view sql);

// Splits a text of several statements at its top-level semicolons.
std::vector<std::string> splitStatements(std::string_view sql);

// What a CREATE TABLE of the server runs after the table is made: the trigger
// that tells other connections of a change.
std::string changeTriggerFor(const std::string& quotedTable);

// The canonical spelling of a name the schema defines, by its lower case.
const std::unordered_map<std::string, std::string>& schemaNames();

} // namespace store
