// A thin layer over SQLite's C interface: a connection, prepared statements
// with bound values, and a write transaction that rolls back unless it is
// committed. Every failure raises ESqliteError with SQLite's code and text.
//
// A connection is opened in SQLite's serialized mode, but the store above it
// still holds one lock around each use, so that a statement's steps and its
// transaction are never interleaved with another thread's.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace qv::sent {

class ESqliteError : public std::runtime_error {
  public:
    ESqliteError(int code, const std::string& text) : std::runtime_error(text), code_(code) {}
    // SQLite's primary result code (SQLITE_CORRUPT, SQLITE_NOTADB, ...).
    int Code() const noexcept { return code_; }
    // True for the codes that say the file holds no sound database.
    bool Damaged() const noexcept;

  private:
    int code_;
};

class TSqliteDb {
  public:
    // Opens the database file at path for reading and writing, creating an
    // empty one when none exists.
    explicit TSqliteDb(const std::string& path);
    ~TSqliteDb();
    TSqliteDb(const TSqliteDb&) = delete;
    TSqliteDb& operator=(const TSqliteDb&) = delete;

    sqlite3* Handle() const { return db_; }

    // Runs statements that return no rows, separated by ";".
    void Execute(const std::string& sql);

    std::int64_t LastInsertId() const;

    // Raises ESqliteError for result code rc with the connection's message.
    [[noreturn]] void Fail(int rc) const;

  private:
    sqlite3* db_ = nullptr;
};

class TSqliteStatement {
  public:
    TSqliteStatement(const TSqliteDb& db, std::string_view sql);
    ~TSqliteStatement();
    TSqliteStatement(const TSqliteStatement&) = delete;
    TSqliteStatement& operator=(const TSqliteStatement&) = delete;

    // Parameters count from 1. Texts are copied.
    TSqliteStatement& Bind(int index, std::int64_t value);
    TSqliteStatement& Bind(int index, std::string_view text);

    // Advances to the next row; false once there is none.
    bool Step();
    // Steps through to the end; for statements that change data.
    void Run();
    // Clears the bindings and makes the statement ready to run again.
    void Reset();

    std::int64_t Int(int column) const;
    std::string Text(int column) const;

  private:
    const TSqliteDb& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// BEGIN IMMEDIATE on construction, so the write lock is taken before the
// first change; ROLLBACK on destruction unless Commit() ran.
class TSqliteTransaction {
  public:
    explicit TSqliteTransaction(TSqliteDb& db);
    ~TSqliteTransaction();
    TSqliteTransaction(const TSqliteTransaction&) = delete;
    TSqliteTransaction& operator=(const TSqliteTransaction&) = delete;

    void Commit();

  private:
    TSqliteDb& db_;
    bool open_ = true;
};

}  // namespace qv::sent
