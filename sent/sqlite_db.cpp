#include "sent/sqlite_db.h"

#include <sqlite3.h>

namespace qv::sent {

bool ESqliteError::Damaged() const noexcept {
    return code_ == SQLITE_CORRUPT || code_ == SQLITE_NOTADB;
}

TSqliteDb::TSqliteDb(const std::string& path) {
    const int rc = sqlite3_open_v2(path.c_str(), &db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE |
                                       SQLITE_OPEN_FULLMUTEX | SQLITE_OPEN_NOFOLLOW,
                                   nullptr);
    if (rc != SQLITE_OK) {
        const std::string text = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close(db_);
        db_ = nullptr;
        throw ESqliteError(rc & 0xFF, text);
    }
    sqlite3_extended_result_codes(db_, 0);
}

TSqliteDb::~TSqliteDb() {
    sqlite3_close_v2(db_);
}

void TSqliteDb::Execute(const std::string& sql) {
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        Fail(rc);
    }
}

std::int64_t TSqliteDb::LastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}

void TSqliteDb::Fail(int rc) const {
    throw ESqliteError(rc & 0xFF, sqlite3_errmsg(db_));
}

TSqliteStatement::TSqliteStatement(const TSqliteDb& db, std::string_view sql) : db_(db) {
    const int rc = sqlite3_prepare_v2(db.Handle(), sql.data(), static_cast<int>(sql.size()),
                                      &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        db.Fail(rc);
    }
}

TSqliteStatement::~TSqliteStatement() {
    sqlite3_finalize(stmt_);
}

TSqliteStatement& TSqliteStatement::Bind(int index, std::int64_t value) {
    const int rc = sqlite3_bind_int64(stmt_, index, value);
    if (rc != SQLITE_OK) {
        db_.Fail(rc);
    }
    return *this;
}

TSqliteStatement& TSqliteStatement::Bind(int index, std::string_view text) {
    const int rc = sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT,
                                       SQLITE_UTF8);
    if (rc != SQLITE_OK) {
        db_.Fail(rc);
    }
    return *this;
}

bool TSqliteStatement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    db_.Fail(rc);
}

void TSqliteStatement::Run() {
    while (Step()) {
    }
}

void TSqliteStatement::Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

std::int64_t TSqliteStatement::Int(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

std::string TSqliteStatement::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (text == nullptr) {
        return {};
    }
    return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
}

TSqliteTransaction::TSqliteTransaction(TSqliteDb& db) : db_(db) {
    db_.Execute("BEGIN IMMEDIATE");
}

TSqliteTransaction::~TSqliteTransaction() {
    if (open_) {
        // Nothing to report from here; an open transaction that SQLite
        // already rolled back makes this a harmless no-op.
        sqlite3_exec(db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void TSqliteTransaction::Commit() {
    db_.Execute("COMMIT");
    open_ = false;
}

}  // namespace qv::sent
