// The state in one SQLite file: kept across restarts, and shared by gateways on one
// machine. The file is in WAL mode, so readers never wait for a writer; writers from other
// processes are waited for (busy timeout), and each change is one statement, so it is
// atomic on its own: a lesson is taken only while fewer than the limit are.

#include "GatewayState.h"
#include "PrivateFolder.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <variant>
#include <vector>

namespace nolby::service {

namespace {

using Value = std::variant<int64_t, std::string>;

// How long a change waits for another process's write to finish.
constexpr int kBusyMilliseconds = 10000;

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS challenges (text TEXT PRIMARY KEY, expires INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS challenges_by_expiry ON challenges (expires);
CREATE TABLE IF NOT EXISTS lessons (installation TEXT NOT NULL, day INTEGER NOT NULL, taken INTEGER NOT NULL,
                                    PRIMARY KEY (installation, day)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS revoked (installation TEXT PRIMARY KEY, until INTEGER NOT NULL) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS settings (name TEXT PRIMARY KEY, value INTEGER NOT NULL) WITHOUT ROWID;
)";

class SqliteState final : public GatewayState {
public:
    explicit SqliteState(const std::filesystem::path& file) : file_(file.string()) {
        prepareFile(file);
        if (sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK) {
            const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            db_ = nullptr;
            throw StateError("cannot open " + file_ + ": " + why);
        }
        sqlite3_busy_timeout(db_, kBusyMilliseconds);
        try {
            // Commits in WAL mode reach the file at once and the disk at checkpoints: a
            // crashed gateway loses nothing, a machine that loses power may lose the last
            // few counts.
            exec("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;");
            exec(std::string("BEGIN IMMEDIATE;") + kSchema + "COMMIT;");
        } catch (...) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            close();
            throw;
        }
    }
    ~SqliteState() override { close(); }

    void issueChallenge(const std::string& challenge, int64_t now, int64_t lifetime) override {
        std::lock_guard lock(mutex_);
        run("DELETE FROM challenges WHERE expires <= ?", {now});
        run("INSERT OR IGNORE INTO challenges (text, expires) VALUES (?, ?)", {challenge, now + lifetime});
        // The oldest go first.
        run("DELETE FROM challenges WHERE text IN (SELECT text FROM challenges ORDER BY expires "
            "LIMIT max(0, (SELECT count(*) FROM challenges) - ?))",
            {static_cast<int64_t>(kMaxChallenges)});
    }

    bool useChallenge(const std::string& challenge, int64_t now) override {
        std::lock_guard lock(mutex_);
        // Deleting it is what uses it: only one deletion can find it.
        run("DELETE FROM challenges WHERE text = ? AND expires > ?", {challenge, now});
        const bool used = sqlite3_changes(db_) == 1;
        if (!used) run("DELETE FROM challenges WHERE text = ?", {challenge});
        return used;
    }

    bool takeLesson(const std::string& installation, int64_t day, std::optional<int64_t> limit, int64_t now) override {
        std::lock_guard lock(mutex_);
        if (day > purged_) {
            // A new day for this gateway: past days and ended revocations go.
            run("DELETE FROM lessons WHERE day < ?", {day});
            run("DELETE FROM revoked WHERE until <= ?", {now});
            purged_ = day;
        }
        const int64_t most = limit.value_or(INT64_MAX);
        run("INSERT INTO lessons (installation, day, taken) SELECT ?1, ?2, 1 WHERE ?3 > 0 "
            "ON CONFLICT (installation, day) DO UPDATE SET taken = taken + 1 WHERE taken < ?3",
            {installation, day, most});
        return sqlite3_changes(db_) == 1;
    }

    void giveBackLesson(const std::string& installation, int64_t day) override {
        std::lock_guard lock(mutex_);
        run("UPDATE lessons SET taken = taken - 1 WHERE installation = ? AND day = ? AND taken > 0", {installation, day});
    }

    int64_t epoch() override {
        std::lock_guard lock(mutex_);
        return readEpoch();
    }

    void revokeAll() override {
        std::lock_guard lock(mutex_);
        run("INSERT INTO settings (name, value) VALUES ('epoch', 1) ON CONFLICT (name) DO UPDATE SET value = value + 1",
            {});
    }

    void revoke(const std::string& installation, int64_t now, int64_t until) override {
        std::lock_guard lock(mutex_);
        if (until <= now) return;
        run("INSERT INTO revoked (installation, until) VALUES (?1, ?2) "
            "ON CONFLICT (installation) DO UPDATE SET until = max(until, ?2)",
            {installation, until});
    }

    bool accepts(const std::string& installation, int64_t epoch, int64_t now) override {
        std::lock_guard lock(mutex_);
        int64_t revoked = 0;
        run("SELECT count(*) FROM revoked WHERE installation = ? AND until > ?", {installation, now},
            [&](sqlite3_stmt* row) { revoked = sqlite3_column_int64(row, 0); });
        return revoked == 0 && epoch >= readEpoch();
    }

private:
    std::string file_;
    sqlite3* db_ = nullptr;
    std::mutex mutex_;  // one statement at a time on the connection
    std::map<std::string, sqlite3_stmt*> statements_;
    int64_t purged_ = INT64_MIN;  // the day up to which old rows were removed

    // The file is made private before SQLite makes it (its journal files take its mode).
    static void prepareFile(const std::filesystem::path& file) {
        if (std::optional<std::string> why = makePrivateFolder(file.parent_path())) throw StateError(*why);
        const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) throw StateError("cannot open " + file.string() + ": " + std::strerror(errno));
        ::close(fd);
    }

    void close() {
        for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
        statements_.clear();
        sqlite3_close(db_);
        db_ = nullptr;
    }

    [[noreturn]] void fail() const { throw StateError("the state file " + file_ + ": " + sqlite3_errmsg(db_)); }

    void exec(const std::string& sql) {
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) fail();
    }

    // Runs one statement with its values bound in order, handing each row to `row`.
    template <class Row = void (*)(sqlite3_stmt*)>
    void run(const char* sql, const std::vector<Value>& values, Row&& row = [](sqlite3_stmt*) {}) {
        sqlite3_stmt*& statement = statements_[sql];
        if (!statement && sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK)
            fail();
        struct Reset {
            sqlite3_stmt* s;
            ~Reset() {
                sqlite3_reset(s);
                sqlite3_clear_bindings(s);
            }
        } reset{statement};
        for (size_t i = 0; i < values.size(); ++i) {
            const int at = static_cast<int>(i + 1);
            if (const int64_t* n = std::get_if<int64_t>(&values[i])) sqlite3_bind_int64(statement, at, *n);
            else {
                const std::string& s = std::get<std::string>(values[i]);
                sqlite3_bind_text(statement, at, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
            }
        }
        for (;;) {
            const int step = sqlite3_step(statement);
            if (step == SQLITE_DONE) return;
            if (step != SQLITE_ROW) fail();
            row(statement);
        }
    }

    int64_t readEpoch() {
        int64_t epoch = 0;
        run("SELECT value FROM settings WHERE name = 'epoch'", {}, [&](sqlite3_stmt* row) { epoch = sqlite3_column_int64(row, 0); });
        return epoch;
    }
};

}  // namespace

std::shared_ptr<GatewayState> sqliteState(const std::filesystem::path& file) { return std::make_shared<SqliteState>(file); }

}  // namespace nolby::service
