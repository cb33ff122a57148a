#include "sent/sent_store.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

#include "sent/sent_errors.h"
#include "sent/sqlite_db.h"

namespace qv::sent {

namespace fs = std::filesystem;

namespace {

// The layout this code writes, kept in the file's user_version. A file of a
// later layout is left alone rather than changed under a newer program.
constexpr std::int64_t kSchemaVersion = 1;

// Every table belongs to one send action (messages.id); the CHECKs keep the
// stored words to those the reader knows.
constexpr const char* kSchema = R"sql(
CREATE TABLE messages (
    id           INTEGER PRIMARY KEY,
    kind         TEXT NOT NULL CHECK (kind IN ('mail', 'webforms')),
    sent_at      INTEGER NOT NULL,
    state        TEXT NOT NULL CHECK (state IN ('sending', 'sent', 'failed', 'cancelled')),
    server       TEXT NOT NULL DEFAULT '',
    from_field   TEXT NOT NULL DEFAULT '',
    to_field     TEXT NOT NULL DEFAULT '',
    cc_field     TEXT NOT NULL DEFAULT '',
    bcc_field    TEXT NOT NULL DEFAULT '',
    subject      TEXT NOT NULL DEFAULT '',
    message_text TEXT NOT NULL DEFAULT '',
    body         TEXT NOT NULL DEFAULT '',
    failed_at    TEXT NOT NULL DEFAULT ''
                 CHECK (failed_at IN ('', 'checking', 'connecting', 'sending')),
    failure      TEXT NOT NULL DEFAULT ''
);
CREATE INDEX messages_newest ON messages (sent_at DESC, id DESC);
CREATE TABLE attachments (
    message_id INTEGER NOT NULL REFERENCES messages (id) ON DELETE CASCADE,
    position   INTEGER NOT NULL,
    path       TEXT NOT NULL,
    PRIMARY KEY (message_id, position)
);
CREATE TABLE transactions (
    message_id INTEGER NOT NULL REFERENCES messages (id) ON DELETE CASCADE,
    number     INTEGER NOT NULL,
    state      TEXT NOT NULL CHECK (state IN ('pending', 'sent', 'failed')),
    reply      TEXT NOT NULL DEFAULT '',
    PRIMARY KEY (message_id, number)
);
CREATE TABLE recipients (
    message_id INTEGER NOT NULL,
    number     INTEGER NOT NULL,
    position   INTEGER NOT NULL,
    role       TEXT NOT NULL CHECK (role IN ('To', 'CC', 'BCC')),
    address    TEXT NOT NULL,
    PRIMARY KEY (message_id, number, position),
    FOREIGN KEY (message_id, number) REFERENCES transactions (message_id, number)
        ON DELETE CASCADE
);
CREATE TABLE officials (
    message_id INTEGER NOT NULL REFERENCES messages (id) ON DELETE CASCADE,
    position   INTEGER NOT NULL,
    name       TEXT NOT NULL,
    url        TEXT NOT NULL,
    outcome    TEXT NOT NULL CHECK (outcome IN ('filled', 'skipped', 'stopped')),
    PRIMARY KEY (message_id, position)
);
)sql";

// How the enumerations are stored. Reading maps an unknown word to the
// first entry, which the CHECKs above make unreachable in a file we wrote.
template <typename T>
struct TWord {
    T Value;
    std::string_view Text;
};

constexpr TWord<TMessageKind> kKinds[] = {{TMessageKind::Mail, "mail"},
                                          {TMessageKind::WebForms, "webforms"}};
constexpr TWord<TSendState> kStates[] = {{TSendState::Sending, "sending"},
                                         {TSendState::Sent, "sent"},
                                         {TSendState::Failed, "failed"},
                                         {TSendState::Cancelled, "cancelled"}};
constexpr TWord<TFailedAt> kFailedAt[] = {{TFailedAt::None, ""},
                                          {TFailedAt::Checking, "checking"},
                                          {TFailedAt::Connecting, "connecting"},
                                          {TFailedAt::Sending, "sending"}};
constexpr TWord<TRole> kRoles[] = {{TRole::To, "To"}, {TRole::CC, "CC"}, {TRole::BCC, "BCC"}};
constexpr TWord<TTransactionState> kTransactionStates[] = {
    {TTransactionState::Pending, "pending"},
    {TTransactionState::Sent, "sent"},
    {TTransactionState::Failed, "failed"}};
constexpr TWord<TFormOutcome> kOutcomes[] = {{TFormOutcome::Filled, "filled"},
                                             {TFormOutcome::Skipped, "skipped"},
                                             {TFormOutcome::Stopped, "stopped"}};

template <typename T, std::size_t N>
std::string_view ToWord(const TWord<T> (&words)[N], T value) {
    for (const auto& word : words) {
        if (word.Value == value) {
            return word.Text;
        }
    }
    return words[0].Text;
}

template <typename T, std::size_t N>
T FromWord(const TWord<T> (&words)[N], std::string_view text) {
    for (const auto& word : words) {
        if (word.Text == text) {
            return word.Value;
        }
    }
    return words[0].Value;
}

std::int64_t Int(std::size_t value) {
    return static_cast<std::int64_t>(value);
}

// Creates the missing folders of dir, each readable by the user alone.
void MakeFolders(const fs::path& dir) {
    fs::path partial;
    for (const fs::path& part : dir) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            throw std::system_error(errno, std::generic_category());
        }
    }
}

std::string LocalStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// A LIKE pattern that finds word anywhere, with LIKE's own wildcards taken
// literally.
std::string ContainsPattern(std::string_view word) {
    std::string pattern = "%";
    for (char c : word) {
        if (c == '%' || c == '_' || c == '\\') {
            pattern += '\\';
        }
        pattern += c;
    }
    return pattern + "%";
}

std::vector<std::string> Words(std::string_view query) {
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (pos < query.size()) {
        const std::size_t start = query.find_first_not_of(" \t\r\n", pos);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(query.find_first_of(" \t\r\n", start), query.size());
        words.emplace_back(query.substr(start, end - start));
        pos = end;
    }
    return words;
}

}  // namespace

std::string DefaultStorePath() {
    std::string base;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        std::string homeDir = home != nullptr ? home : "";
        if (homeDir.empty()) {
            passwd pw{};
            passwd* found = nullptr;
            std::vector<char> buf(16384);
            if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 &&
                found != nullptr && found->pw_dir != nullptr) {
                homeDir = found->pw_dir;
            }
        }
        base = (homeDir.empty() ? std::string(".") : homeDir) + "/.local/share";
    }
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    return (base == "/" ? "" : base) + "/quorvane/sent.sqlite";
}

TSentStore::TSentStore(std::string path) : path_(std::move(path)) {
    const fs::path file(path_);
    try {
        if (file.has_parent_path()) {
            MakeFolders(file.parent_path());
        }
    } catch (const std::system_error& error) {
        throw ESentOpenError(path_, error.code().message());
    }
    std::error_code ec;
    if (fs::is_directory(file, ec)) {
        throw ESentOpenError(path_, "a folder stands in its place");
    }
    try {
        Open();
        return;
    } catch (const ESqliteError& error) {
        if (!error.Damaged()) {
            db_.reset();
            throw ESentOpenError(path_, error.what());
        }
    }
    db_.reset();
    SetAsideDamaged();
    try {
        Open();
    } catch (const ESqliteError& error) {
        db_.reset();
        throw ESentOpenError(path_, error.what());
    }
}

TSentStore::~TSentStore() = default;

void TSentStore::Open() {
    db_ = std::make_unique<TSqliteDb>(path_);
    // Another instance of the program may be writing; wait for it briefly
    // instead of failing at once.
    db_->Execute("PRAGMA busy_timeout = 3000");
    {
        // The first read of a file that is no database fails here with
        // SQLITE_NOTADB; a database with broken pages reports them.
        TSqliteStatement check(*db_, "PRAGMA quick_check");
        if (!check.Step() || check.Text(0) != "ok") {
            throw ESqliteError(SQLITE_CORRUPT, "the file is damaged");
        }
    }
    db_->Execute("PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; PRAGMA foreign_keys = ON");
    TSqliteStatement version(*db_, "PRAGMA user_version");
    version.Step();
    const std::int64_t found = version.Int(0);
    if (found == 0) {
        CreateSchema();
    } else if (found > kSchemaVersion) {
        throw ESentOpenError(path_, "it was written by a newer version of Quorvane");
    }
}

void TSentStore::CreateSchema() {
    TSqliteTransaction transaction(*db_);
    TSqliteStatement tables(*db_, "SELECT count(*) FROM sqlite_schema");
    tables.Step();
    if (tables.Int(0) != 0) {
        // Another program's database, or one of ours whose version was lost:
        // either way not ours to write into.
        throw ESqliteError(SQLITE_NOTADB, "the file holds other tables");
    }
    db_->Execute(kSchema);
    db_->Execute("PRAGMA user_version = " + std::to_string(kSchemaVersion));
    transaction.Commit();
}

void TSentStore::SetAsideDamaged() {
    const std::string base = path_ + ".damaged-" + LocalStamp();
    std::string target = base;
    for (int n = 2; Exists(target) || Exists(target + "-wal"); ++n) {
        target = base + "-" + std::to_string(n);
    }
    std::error_code ec;
    fs::rename(path_, target, ec);
    if (ec) {
        throw ESentOpenError(path_, "the file is damaged and cannot be set aside: " + ec.message());
    }
    setAside_ = target;
    // The journal files belong to the damaged file; left here, SQLite would
    // apply them to the fresh record.
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        if (Exists(path_ + suffix)) {
            fs::rename(path_ + suffix, target + suffix, ec);
            if (ec) {
                throw ESentOpenError(path_, "the damaged file's journal cannot be set aside: " +
                                                ec.message());
            }
        }
    }
}

template <typename F>
void TSentStore::Write(F&& change) {
    std::lock_guard guard(lock_);
    try {
        TSqliteTransaction transaction(*db_);
        change(*db_);
        transaction.Commit();
    } catch (const ESqliteError& error) {
        throw ESentWriteError(error.what());
    }
}

std::int64_t TSentStore::BeginMail(const TMailStart& start) {
    std::int64_t id = 0;
    Write([&](TSqliteDb& db) {
        const TMessageFields& f = start.Fields;
        TSqliteStatement message(
            db,
            "INSERT INTO messages (kind, sent_at, state, server, from_field, to_field, cc_field, "
            "bcc_field, subject, message_text, body) "
            "VALUES ('mail', ?1, 'sending', ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
        message.Bind(1, start.When).Bind(2, start.Server).Bind(3, f.From).Bind(4, f.To);
        message.Bind(5, f.CC).Bind(6, f.BCC).Bind(7, f.Subject).Bind(8, f.Text).Bind(9, start.Body);
        message.Run();
        id = db.LastInsertId();

        TSqliteStatement attachment(
            db, "INSERT INTO attachments (message_id, position, path) VALUES (?1, ?2, ?3)");
        for (std::size_t i = 0; i < f.Attachments.size(); ++i) {
            attachment.Reset();
            attachment.Bind(1, id).Bind(2, Int(i)).Bind(3, f.Attachments[i]).Run();
        }
        TSqliteStatement transaction(
            db,
            "INSERT INTO transactions (message_id, number, state) VALUES (?1, ?2, 'pending')");
        TSqliteStatement recipient(db,
                                   "INSERT INTO recipients (message_id, number, position, role, "
                                   "address) VALUES (?1, ?2, ?3, ?4, ?5)");
        for (std::size_t t = 0; t < start.Transactions.size(); ++t) {
            transaction.Reset();
            transaction.Bind(1, id).Bind(2, Int(t + 1)).Run();
            const auto& recipients = start.Transactions[t];
            for (std::size_t r = 0; r < recipients.size(); ++r) {
                recipient.Reset();
                recipient.Bind(1, id).Bind(2, Int(t + 1)).Bind(3, Int(r));
                recipient.Bind(4, ToWord(kRoles, recipients[r].Role));
                recipient.Bind(5, recipients[r].Address).Run();
            }
        }
    });
    return id;
}

void TSentStore::TransactionSent(std::int64_t id, std::size_t number, std::string_view reply) {
    Write([&](TSqliteDb& db) {
        TSqliteStatement update(db,
                                "UPDATE transactions SET state = 'sent', reply = ?3 "
                                "WHERE message_id = ?1 AND number = ?2");
        update.Bind(1, id).Bind(2, Int(number)).Bind(3, reply).Run();
    });
}

void TSentStore::MailSent(std::int64_t id) {
    Write([&](TSqliteDb& db) {
        TSqliteStatement update(db, "UPDATE messages SET state = 'sent' WHERE id = ?1");
        update.Bind(1, id).Run();
    });
}

void TSentStore::MailFailed(std::int64_t id, TFailedAt at, std::size_t number,
                            std::string_view failure) {
    Write([&](TSqliteDb& db) {
        TSqliteStatement update(
            db, "UPDATE messages SET state = 'failed', failed_at = ?2, failure = ?3 WHERE id = ?1");
        update.Bind(1, id).Bind(2, ToWord(kFailedAt, at)).Bind(3, failure).Run();
        if (at == TFailedAt::Sending) {
            TSqliteStatement transaction(db,
                                         "UPDATE transactions SET state = 'failed' "
                                         "WHERE message_id = ?1 AND number = ?2");
            transaction.Bind(1, id).Bind(2, Int(number)).Run();
        }
    });
}

void TSentStore::MailCancelled(std::int64_t id, std::string_view note) {
    Write([&](TSqliteDb& db) {
        TSqliteStatement update(
            db, "UPDATE messages SET state = 'cancelled', failure = ?2 WHERE id = ?1");
        update.Bind(1, id).Bind(2, note).Run();
    });
}

std::int64_t TSentStore::BeginWebForms(const TWebFormStart& start) {
    std::int64_t id = 0;
    Write([&](TSqliteDb& db) {
        TSqliteStatement message(db,
                                 "INSERT INTO messages (kind, sent_at, state, from_field, "
                                 "subject, message_text, body) "
                                 "VALUES ('webforms', ?1, 'sending', ?2, ?3, ?4, ?4)");
        message.Bind(1, start.When).Bind(2, start.From).Bind(3, start.Subject);
        message.Bind(4, start.Text).Run();
        id = db.LastInsertId();
    });
    return id;
}

void TSentStore::AddOfficial(std::int64_t id, const TFormOfficial& official) {
    Write([&](TSqliteDb& db) {
        TSqliteStatement insert(
            db,
            "INSERT INTO officials (message_id, position, name, url, outcome) "
            "VALUES (?1, (SELECT count(*) FROM officials WHERE message_id = ?1), ?2, ?3, ?4)");
        insert.Bind(1, id).Bind(2, official.Name).Bind(3, official.Url);
        insert.Bind(4, ToWord(kOutcomes, official.Outcome)).Run();
    });
}

void TSentStore::WebFormsEnded(std::int64_t id) {
    MailSent(id);
}

std::vector<TSentSummary> TSentStore::Search(std::string_view query, std::size_t limit) const {
    // Each word must occur in the subject, the text as written, an address
    // or an official's name.
    std::string where;
    const std::vector<std::string> words = Words(query);
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string p = "?" + std::to_string(i + 2);
        where += where.empty() ? " WHERE " : " AND ";
        where += "(m.subject LIKE " + p + " ESCAPE '\\' OR m.message_text LIKE " + p +
                 " ESCAPE '\\' OR EXISTS (SELECT 1 FROM recipients r WHERE r.message_id = m.id "
                 "AND r.address LIKE " + p + " ESCAPE '\\') OR EXISTS (SELECT 1 FROM officials o "
                 "WHERE o.message_id = m.id AND o.name LIKE " + p + " ESCAPE '\\'))";
    }
    const std::string sql =
        "SELECT m.id, m.kind, m.sent_at, m.state, m.subject, "
        "(SELECT group_concat(address, ', ') FROM (SELECT address FROM recipients r "
        "  WHERE r.message_id = m.id ORDER BY number, position LIMIT 3)), "
        "(SELECT count(*) FROM recipients r WHERE r.message_id = m.id), "
        "(SELECT count(*) FROM transactions t WHERE t.message_id = m.id), "
        "(SELECT count(*) FROM transactions t WHERE t.message_id = m.id AND t.state = 'sent'), "
        "(SELECT group_concat(name, ', ') FROM (SELECT name FROM officials o "
        "  WHERE o.message_id = m.id ORDER BY position LIMIT 3)), "
        "(SELECT count(*) FROM officials o WHERE o.message_id = m.id), "
        "(SELECT count(*) FROM officials o WHERE o.message_id = m.id AND o.outcome = 'filled') "
        "FROM messages m" +
        where + " ORDER BY m.sent_at DESC, m.id DESC LIMIT ?1";

    std::lock_guard guard(lock_);
    std::vector<TSentSummary> found;
    try {
        TSqliteStatement select(*db_, sql);
        select.Bind(1, limit == 0 ? std::int64_t{-1} : Int(limit));
        for (std::size_t i = 0; i < words.size(); ++i) {
            select.Bind(static_cast<int>(i + 2), ContainsPattern(words[i]));
        }
        while (select.Step()) {
            TSentSummary s;
            s.Id = select.Int(0);
            s.Kind = FromWord(kKinds, select.Text(1));
            s.When = select.Int(2);
            s.State = FromWord(kStates, select.Text(3));
            s.Subject = select.Text(4);
            if (s.Kind == TMessageKind::Mail) {
                s.Recipients = select.Text(5);
                s.RecipientCount = static_cast<std::size_t>(select.Int(6));
                s.Transactions = static_cast<std::size_t>(select.Int(7));
                s.Done = static_cast<std::size_t>(select.Int(8));
            } else {
                s.Recipients = select.Text(9);
                s.RecipientCount = static_cast<std::size_t>(select.Int(10));
                s.Done = static_cast<std::size_t>(select.Int(11));
            }
            found.push_back(std::move(s));
        }
    } catch (const ESqliteError& error) {
        throw ESentReadError(error.what());
    }
    return found;
}

TSentMessage TSentStore::Read(std::int64_t id) const {
    std::lock_guard guard(lock_);
    TSentMessage m;
    try {
        // One read transaction, so the parts agree even while a send writes.
        TSqliteDb& db = *db_;
        db.Execute("BEGIN");
        struct TEnd {
            TSqliteDb& Db;
            ~TEnd() { sqlite3_exec(Db.Handle(), "COMMIT", nullptr, nullptr, nullptr); }
        } end{db};

        TSqliteStatement message(
            db,
            "SELECT kind, sent_at, state, server, from_field, to_field, cc_field, bcc_field, "
            "subject, message_text, body, failed_at, failure FROM messages WHERE id = ?1");
        message.Bind(1, id);
        if (!message.Step()) {
            throw ESentReadError("no message " + std::to_string(id));
        }
        m.Id = id;
        m.Kind = FromWord(kKinds, message.Text(0));
        m.When = message.Int(1);
        m.State = FromWord(kStates, message.Text(2));
        m.Server = message.Text(3);
        m.Fields.From = message.Text(4);
        m.Fields.To = message.Text(5);
        m.Fields.CC = message.Text(6);
        m.Fields.BCC = message.Text(7);
        m.Fields.Subject = message.Text(8);
        m.Fields.Text = message.Text(9);
        m.Body = message.Text(10);
        m.FailedAt = FromWord(kFailedAt, message.Text(11));
        m.Failure = message.Text(12);

        TSqliteStatement attachments(
            db, "SELECT path FROM attachments WHERE message_id = ?1 ORDER BY position");
        attachments.Bind(1, id);
        while (attachments.Step()) {
            m.Fields.Attachments.push_back(attachments.Text(0));
        }
        TSqliteStatement transactions(
            db, "SELECT state, reply FROM transactions WHERE message_id = ?1 ORDER BY number");
        transactions.Bind(1, id);
        while (transactions.Step()) {
            m.Transactions.push_back(
                {FromWord(kTransactionStates, transactions.Text(0)), {}, transactions.Text(1)});
        }
        TSqliteStatement recipients(db,
                                    "SELECT number, role, address FROM recipients "
                                    "WHERE message_id = ?1 ORDER BY number, position");
        recipients.Bind(1, id);
        while (recipients.Step()) {
            const auto number = static_cast<std::size_t>(recipients.Int(0));
            if (number >= 1 && number <= m.Transactions.size()) {
                m.Transactions[number - 1].Recipients.push_back(
                    {FromWord(kRoles, recipients.Text(1)), recipients.Text(2)});
            }
        }
        TSqliteStatement officials(
            db,
            "SELECT name, url, outcome FROM officials WHERE message_id = ?1 ORDER BY position");
        officials.Bind(1, id);
        while (officials.Step()) {
            m.Officials.push_back(
                {officials.Text(0), officials.Text(1), FromWord(kOutcomes, officials.Text(2))});
        }
    } catch (const ESqliteError& error) {
        throw ESentReadError(error.what());
    }
    return m;
}

}  // namespace qv::sent
