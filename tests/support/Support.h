// Test doubles for the environment seam and fixtures built through the store.
#pragma once

#include "app/Environment.h"
#include "app/shell/AppState.h"
#include "store/Audit.h"
#include "store/Database.h"

#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace testing_support {

// Records every prompt and answers from a queue. A question with an empty queue
// fails the test: every question a test causes must be expected.
class ScriptedPrompter : public app::Prompter {
public:
    app::Answer ask(const app::Prompt& prompt) override;
    std::optional<QString> input(const QString& prompt, const QString& title) override;
    QString openFileName(const QString& filter) override;
    // Password boxes are answered from their own queue, and an unexpected one
    // fails the test as an unexpected input box does.
    std::optional<QString> password(const QString& prompt, const QString& title) override;

    void answer(app::Answer a) { answers.push_back(a); }
    void typeIn(std::optional<QString> text) { inputs.push_back(std::move(text)); }
    void chooseFile(const QString& path) { files.push_back(path); }
    void typePassword(std::optional<QString> text) { passwords.push_back(std::move(text)); }

    std::vector<app::Prompt> prompts;
    QStringList inputPrompts;
    QStringList fileFilters;
    std::deque<app::Answer> answers;
    std::deque<std::optional<QString>> inputs;
    std::deque<QString> files;
    QStringList passwordPrompts;
    std::deque<std::optional<QString>> passwords;
};

class FixedClock : public app::Clock {
public:
    explicit FixedClock(QDateTime t = QDateTime(QDate(2026, 12, 7), QTime(15, 4, 5)))
        : time(std::move(t)) {}
    QDateTime now() const override { return time; }
    QDateTime time;
};

class RecordingDesktop : public app::Desktop {
public:
    bool open(const QString& fileOrUrl) override {
        opened << fileOrUrl;
        return result;
    }
    QStringList opened;
    bool result = true;
};

// A file's whole content; empty when it cannot be read.
QByteArray fileBytes(const QString& path);

// The entries of a log file, as the messages after " - ".
QStringList logMessages(const QString& logPath);

class PostgresDatabase;

// Where a test's database lives: a file, or a database of its own on the test
// cluster. Suites that run on both take it as their parameter.
enum class Engine { File, Server };
std::string engineName(const ::testing::TestParamInfo<Engine>& info);

// A documents folder of its own with the data folder in it, the test doubles
// and an application state. TearDown fails a test whose log holds an entry it
// did not announce with expectLog.
class TolvaneTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The next log entry must end with this label (for example " Module1_TableExists").
    void expectLog(const QString& label) { expectedLog_ << label; }
    // Checks the announced entries now and forgets them.
    void checkLog();

    QString dataFile(const QString& name) const;
    // The default database, created and opened as the state's connection: a
    // file, or with engine Server a new database on the test cluster.
    store::Database& openNewDatabase();
    // Another connection to the database openNewDatabase made.
    std::unique_ptr<store::Database> openAgain() const;

    Engine engine = Engine::File;
    std::shared_ptr<PostgresDatabase> serverDatabase;

    QTemporaryDir documents;
    QString dataFolder;
    ScriptedPrompter prompter;
    FixedClock clock;
    RecordingDesktop desktop;
    app::Environment env;
    std::unique_ptr<app::AppState> state;

private:
    QStringList expectedLog_;
    int checkedEntries_ = 0;
};

// Fixture builders through the store.
struct SensorRow {
    QString number;
    QString level = QStringLiteral("L1");
    QString location = QStringLiteral("Drive 4");
    QString installDate = QStringLiteral("2024/01/15");
    QString destroyed = QStringLiteral("No");
};
// Adds the register row and the reading table.
void addSensor(store::Database& db, const SensorRow& row);
inline void addSensor(store::Database& db, const QString& number) {
    addSensor(db, SensorRow{number});
}
// Adds n hourly readings from start; channel i of reading k is i + k / 100.
void addReadings(store::Database& db, const QString& number, int n,
                 const QDateTime& start = QDateTime(QDate(2025, 3, 1), QTime(0, 0)));
// One reading at when: ChannelT 20, Channel1.. the values given, ticked for
// both graphs.
void addReading(store::Database& db, const QString& number, const QDateTime& when,
                const std::vector<double>& channels);
QString readingKey(const QString& number, const QDateTime& when);
// Opens the register as start-up does, highest number first.
void openRegister(app::AppState& state);
int rowCount(store::Database& db, const QString& table);
// The columns of the first row sql gives, each as the store reads it back
// (null: "NULL"), or nothing without a row. Values are joined here rather
// than in SQL: the engines concatenate numbers into text differently.
QStringList firstRow(store::Database& db, const QString& sql);
// Every entry of the audit trail, oldest first.
std::vector<store::AuditRecord> auditTrail(store::Database& db);
// Makes every later audit entry fail, as a full disk would.
// A trigger named name that refuses event ("INSERT", "DELETE", "UPDATE OF
// FullDate") on table with message where condition (SQLite's form, naming
// new.Column or old.Column; empty: always) holds, on either engine; and its removal.
void refuseWrites(store::Database& db, const QString& name, const QString& table,
                  const QString& event, const QString& condition, const QString& message);
void allowWrites(store::Database& db, const QString& name, const QString& table);
void refuseAuditEntries(store::Database& db);

// A new default database as the state's connection, and a sensor made the
// register's current one on request.
class RegisterTest : public TolvaneTest {
protected:
    void SetUp() override {
        TolvaneTest::SetUp();
        db = &openNewDatabase();
    }
    void registerSensor(const QString& number) {
        addSensor(*db, number);
        openRegister(*state);
        state->rsSensors->MoveFirst();
    }
    store::Database* db = nullptr;
};

// The PostgreSQL test cluster that ctest's fixture starts
// (scripts/pg-test-cluster): TOLVANE_TEST_POSTGRES names its folder, whose
// file url holds its connection URI.

// The running cluster's URI, or nothing.
std::optional<QString> postgresUrl();
// The cluster's role that must give a password: its URI (without the
// password) and its password. Nothing without a cluster.
std::optional<QString> postgresPasswordUrl();
QString postgresPassword();
// Whether this run was meant to have a cluster (TOLVANE_TEST_POSTGRES is set):
// then its absence fails a test instead of skipping it.
bool postgresExpected();
// Why postgresUrl() gives nothing, in a sentence for the skip or failure.
QString noPostgresReason();

// In a test body or a SetUp: skips the test when the run has no PostgreSQL
// cluster, and fails it when ctest was to start one and it is not there.
#define TOLVANE_REQUIRE_POSTGRES()                                                                 \
    do {                                                                                           \
        if (!::testing_support::postgresUrl()) {                                                   \
            if (::testing_support::postgresExpected())                                             \
                FAIL() << ::testing_support::noPostgresReason().toStdString();                     \
            GTEST_SKIP() << ::testing_support::noPostgresReason().toStdString();                   \
        }                                                                                          \
    } while (false)

// An empty database of its own on the cluster, dropped with the object: tests
// run in parallel and must not see each other's tables. Throws
// std::runtime_error with the server's message when it cannot be made.
class PostgresDatabase {
public:
    explicit PostgresDatabase(const QString& clusterUrl);
    ~PostgresDatabase();
    PostgresDatabase(const PostgresDatabase&) = delete;
    PostgresDatabase& operator=(const PostgresDatabase&) = delete;

    const QString& name() const { return name_; }
    // The cluster's URI with this database's name in it.
    const QString& url() const { return url_; }

private:
    QString clusterUrl_;
    QString name_;
    QString url_;
};

// A suite of TolvaneTest run once per engine; the server run is skipped when
// the run has no cluster (failed when it was meant to have one).
class EngineTest : public TolvaneTest, public ::testing::WithParamInterface<Engine> {
protected:
    void SetUp() override;
};
#define TOLVANE_ON_BOTH_ENGINES(suite)                                                             \
    INSTANTIATE_TEST_SUITE_P(                                                                      \
        Engines, suite,                                                                            \
        ::testing::Values(::testing_support::Engine::File, ::testing_support::Engine::Server),     \
        ::testing_support::engineName)
// The cases of an engine suite that are about files only (the logger file, an
// export's file, a picture), not about what the database holds.
#define TOLVANE_ON_FILE_ONLY(suite)                                                                \
    INSTANTIATE_TEST_SUITE_P(FileOnly, suite, ::testing::Values(::testing_support::Engine::File),  \
                             ::testing_support::engineName)

// Runs sql on the server database at url past the store, as its administrator
// would (grants, another program's tables). Throws std::runtime_error.
void executeOnServer(const QString& url, const QString& sql);

// url with its database name (the path) replaced.
QString withDatabaseName(const QString& url, const QString& name);

// A test on a database of its own: skipped without a cluster (see
// TOLVANE_REQUIRE_POSTGRES); the database is dropped at TearDown, and a drop
// that fails (a connection left open does not make it fail) fails the test.
class PostgresTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { database.reset(); }
    // This test's database's URI.
    QString url() const { return database ? database->url() : QString(); }

    std::unique_ptr<PostgresDatabase> database;
};

} // namespace testing_support
