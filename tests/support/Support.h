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

    void answer(app::Answer a) { answers.push_back(a); }
    void typeIn(std::optional<QString> text) { inputs.push_back(std::move(text)); }
    void chooseFile(const QString& path) { files.push_back(path); }

    std::vector<app::Prompt> prompts;
    QStringList inputPrompts;
    QStringList fileFilters;
    std::deque<app::Answer> answers;
    std::deque<std::optional<QString>> inputs;
    std::deque<QString> files;
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
    // The default database, created and opened as the state's connection.
    store::Database& openNewDatabase();

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
// Every entry of the audit trail, oldest first.
std::vector<store::AuditRecord> auditTrail(store::Database& db);
// Makes every later audit entry fail, as a full disk would.
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

} // namespace testing_support
