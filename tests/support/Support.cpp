#include "support/Support.h"

#include "store/RowSet.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUuid>

#include <libpq-fe.h>

#include <stdexcept>

namespace testing_support {

app::Answer ScriptedPrompter::ask(const app::Prompt& prompt) {
    prompts.push_back(prompt);
    if (prompt.buttons == app::Buttons::Ok) {
        if (!answers.empty() && answers.front() == app::Answer::Ok) answers.pop_front();
        return app::Answer::Ok;
    }
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << prompt.text.toStdString();
        return app::Answer::No;
    }
    const app::Answer a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<QString> ScriptedPrompter::input(const QString& prompt, const QString&) {
    inputPrompts << prompt;
    if (inputs.empty()) {
        ADD_FAILURE() << "unexpected input box: " << prompt.toStdString();
        return std::nullopt;
    }
    auto text = inputs.front();
    inputs.pop_front();
    return text;
}

std::optional<QString> ScriptedPrompter::password(const QString& prompt, const QString&) {
    passwordPrompts << prompt;
    if (passwords.empty()) {
        ADD_FAILURE() << "unexpected password box: " << prompt.toStdString();
        return std::nullopt;
    }
    auto text = passwords.front();
    passwords.pop_front();
    return text;
}

QString ScriptedPrompter::openFileName(const QString& filter) {
    fileFilters << filter;
    if (files.empty()) return {};
    const QString f = files.front();
    files.pop_front();
    return f;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList logMessages(const QString& logPath) {
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList messages;
    const QString text = QString::fromUtf8(file.readAll());
    for (const QString& line : text.split(QStringLiteral("\r\n"))) {
        const qsizetype dash = line.indexOf(QStringLiteral(" - "));
        if (dash >= 0 && !line.startsWith(QLatin1Char('*'))) messages << line.mid(dash + 3);
    }
    return messages;
}

void TolvaneTest::SetUp() {
    ASSERT_TRUE(documents.isValid());
    dataFolder = documents.filePath(QStringLiteral("Vornhald/Tolvane"));
    ASSERT_TRUE(QDir().mkpath(dataFolder));
    env.documentsFolder = documents.path();
    env.prompter = &prompter;
    env.desktop = &desktop;
    env.clock = &clock;
    state = std::make_unique<app::AppState>(env);
    state->setDataFolder(documents.filePath(QStringLiteral("Vornhald")), dataFolder);
}

// Every entry is exactly three lines: empty, the asterisks, the stamped message.
static void expectThreeLineEntries(const QString& logPath) {
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly)) return;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    const QString stars(89, QLatin1Char('*'));
    bool shaped = lines.size() % 3 == 1 && lines.last().isEmpty();
    for (qsizetype i = 0; shaped && i + 2 < lines.size(); i += 3)
        shaped = lines[i].isEmpty() && lines[i + 1] == stars &&
                 lines[i + 2].contains(QStringLiteral(" - ")) &&
                 !lines[i + 2].contains(QLatin1Char('\n')) &&
                 !lines[i + 2].contains(QLatin1Char('\r'));
    EXPECT_TRUE(shaped) << "the log is not made of three-line entries:\n"
                        << lines.join(QStringLiteral("<CRLF>\n")).toStdString();
}

void TolvaneTest::checkLog() {
    expectThreeLineEntries(dataFile(app::LogFileName));
    const QStringList messages = logMessages(dataFile(app::LogFileName));
    const QStringList fresh = messages.mid(checkedEntries_);
    EXPECT_EQ(fresh.size(), expectedLog_.size())
        << "log entries: " << fresh.join(QLatin1Char('\n')).toStdString();
    for (int i = 0; i < std::min(fresh.size(), expectedLog_.size()); ++i)
        EXPECT_TRUE(fresh[i].endsWith(expectedLog_[i]))
            << fresh[i].toStdString() << " does not end with " << expectedLog_[i].toStdString();
    checkedEntries_ = int(messages.size());
    expectedLog_.clear();
}

void TolvaneTest::TearDown() {
    checkLog();
    state.reset();
    serverDatabase.reset();
}

QString TolvaneTest::dataFile(const QString& name) const {
    return QDir(dataFolder).filePath(name);
}

std::string engineName(const ::testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::File ? "File" : "Server";
}

void EngineTest::SetUp() {
    engine = GetParam();
    TolvaneTest::SetUp();
    if (engine == Engine::Server) TOLVANE_REQUIRE_POSTGRES();
}

std::unique_ptr<store::Database> TolvaneTest::openAgain() const {
    if (serverDatabase) return store::Database::connect(serverDatabase->url());
    return store::Database::open(state->DBPath);
}

store::Database& TolvaneTest::openNewDatabase() {
    // A developer may run every suite on the server to see what differs.
    static const bool everyTestOnServer =
        qEnvironmentVariable("TOLVANE_TEST_ENGINE") == QLatin1String("server");
    if (engine == Engine::Server || (everyTestOnServer && postgresUrl())) {
        engine = Engine::Server;
        serverDatabase = std::make_shared<PostgresDatabase>(*postgresUrl());
        state->DBPath = serverDatabase->url();
        state->cnDatabase = store::Database::connect(state->DBPath);
        store::createServerSchema(*state->cnDatabase);
        return *state->cnDatabase;
    }
    state->DBPath = dataFile(QStringLiteral("TolvaneMPBX.mdb"));
    store::createDatabaseFile(state->DBPath);
    state->cnDatabase = store::Database::open(state->DBPath);
    return *state->cnDatabase;
}

void addSensor(store::Database& db, const SensorRow& row) {
    store::RowSet rs(db, QStringLiteral("SELECT * FROM Sensors"));
    rs.AddNew();
    rs.setValue(QStringLiteral("InstrumentID"), row.number);
    rs.setValue(QStringLiteral("DateID"), row.number.left(4));
    rs.setValue(QStringLiteral("TypeID"), row.number.mid(4, 2));
    rs.setValue(QStringLiteral("SensorNo"), row.number.mid(6, 3));
    rs.setValue(QStringLiteral("SensorType"), row.number.mid(4, 2));
    rs.setValue(QStringLiteral("Family"), QStringLiteral("q1MPBX"));
    rs.setValue(QStringLiteral("Model"), QStringLiteral("EX"));
    rs.setValue(QStringLiteral("LengthofCable"), 0);
    rs.setValue(QStringLiteral("Level"), row.level);
    rs.setValue(QStringLiteral("Location"), row.location);
    rs.setValue(QStringLiteral("InstallDate"), row.installDate);
    rs.setValue(QStringLiteral("Recess"), 0);
    rs.setValue(QStringLiteral("HeadLocation"), true);
    rs.setValue(QStringLiteral("Destroyed"), row.destroyed);
    rs.Update();
    store::copyTemplate(db, row.number);
}

QString readingKey(const QString& number, const QDateTime& when) {
    return number + QLatin1Char(' ') + when.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

void addReading(store::Database& db, const QString& number, const QDateTime& when,
                const std::vector<double>& channels) {
    store::RowSet rs(db, QStringLiteral("SELECT * FROM ") + store::quoteName(number));
    rs.AddNew();
    rs.setValue(QStringLiteral("DateTimeKey"), readingKey(number, when));
    rs.setValue(QStringLiteral("ReadingDate"), when.toString(QStringLiteral("yyyy/MM/dd")));
    rs.setValue(QStringLiteral("ReadingTime"), when.toString(QStringLiteral("HH:mm:ss")));
    rs.setValue(QStringLiteral("FullDate"), when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    rs.setValue(QStringLiteral("ChannelT"), 20.0);
    for (size_t i = 0; i < channels.size(); ++i)
        rs.setValue(QStringLiteral("Channel%1").arg(i + 1), channels[i]);
    rs.setValue(QStringLiteral("Plottemporal"), true);
    rs.setValue(QStringLiteral("PlotSpatial"), true);
    rs.Update();
}

void addReadings(store::Database& db, const QString& number, int n, const QDateTime& start) {
    store::RowSet rs(db, QStringLiteral("SELECT * FROM ") + store::quoteName(number));
    db.transaction([&] {
        for (int k = 0; k < n; ++k) {
            const QDateTime when = start.addSecs(3600LL * k);
            rs.AddNew();
            rs.setValue(QStringLiteral("DateTimeKey"), readingKey(number, when));
            rs.setValue(QStringLiteral("ReadingDate"), when.toString(QStringLiteral("yyyy/MM/dd")));
            rs.setValue(QStringLiteral("ReadingTime"), when.toString(QStringLiteral("HH:mm:ss")));
            rs.setValue(QStringLiteral("FullDate"),
                        when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
            rs.setValue(QStringLiteral("ChannelT"), 20.0);
            for (int i = 1; i <= 8; ++i)
                rs.setValue(QStringLiteral("Channel%1").arg(i), i + k / 100.0);
            rs.setValue(QStringLiteral("IsDirty"), true);
            rs.setValue(QStringLiteral("Plottemporal"), true);
            rs.setValue(QStringLiteral("PlotSpatial"), false);
            rs.Update();
        }
    });
}

void openRegister(app::AppState& state) {
    state.rsSensors = std::make_unique<store::RowSet>(
        *state.cnDatabase,
        QStringLiteral("SELECT Sensors.* FROM Sensors ORDER BY InstrumentID DESC;"));
}

int rowCount(store::Database& db, const QString& table) {
    store::Statement st =
        db.prepare(QStringLiteral("SELECT count(*) FROM ") + store::quoteName(table));
    st.step();
    return int(st.int64(0));
}

QStringList firstRow(store::Database& db, const QString& sql) {
    store::Statement st = db.prepare(sql);
    QStringList row;
    if (!st.step()) return row;
    for (int c = 0; c < st.columnCount(); ++c)
        row << (st.kind(c) == store::Statement::Kind::Null ? QStringLiteral("NULL") : st.text(c));
    return row;
}

std::vector<store::AuditRecord> auditTrail(store::Database& db) {
    std::vector<store::AuditRecord> all;
    store::forEachAuditRecord(db, {}, [&](const store::AuditRecord& r) {
        all.push_back(r);
        return true;
    });
    return all;
}

void refuseAuditEntries(store::Database& db) {
    refuseWrites(db, QStringLiteral("RefuseAudit"), QStringLiteral("AuditTrail"),
                 QStringLiteral("INSERT"), {}, QStringLiteral("disk full"));
}

void refuseWrites(store::Database& db, const QString& name, const QString& table,
                  const QString& event, const QString& condition, const QString& message) {
    if (!db.isServer()) {
        db.execute(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3%4 BEGIN SELECT RAISE(ABORT, "
                                  "'%5'); END")
                       .arg(name, event, store::quoteName(table),
                            condition.isEmpty() ? QString() : QStringLiteral(" WHEN ") + condition,
                            message));
        return;
    }
    // The server's form: a function that raises, and a row trigger calling it.
    QString when = condition;
    static const QRegularExpression column(QStringLiteral(R"(\b(new|old)\.(\w+))"));
    when.replace(column, QStringLiteral("\\1.\"\\2\""));
    const QString returned =
        event.startsWith(QLatin1String("DELETE")) ? QStringLiteral("old") : QStringLiteral("new");
    db.execute(QStringLiteral("/*server*/CREATE FUNCTION \"%1\"() RETURNS trigger LANGUAGE "
                              "plpgsql AS $$ BEGIN IF %2 THEN RAISE EXCEPTION '%3'; END IF; RETURN "
                              "%4; END $$; CREATE TRIGGER \"%1\" BEFORE %5 ON \"%6\" FOR EACH ROW "
                              "EXECUTE FUNCTION \"%1\"()")
                   .arg(name, when.isEmpty() ? QStringLiteral("TRUE") : when, message, returned,
                        event, table));
}

void allowWrites(store::Database& db, const QString& name, const QString& table) {
    if (!db.isServer()) {
        db.execute(QStringLiteral("DROP TRIGGER %1").arg(name));
        return;
    }
    db.execute(QStringLiteral("/*server*/DROP TRIGGER \"%1\" ON \"%2\"; DROP FUNCTION \"%1\"()")
                   .arg(name, table));
}

static QString postgresFolder() {
    return qEnvironmentVariable("TOLVANE_TEST_POSTGRES");
}

std::optional<QString> postgresUrl() {
    if (postgresFolder().isEmpty()) return std::nullopt;
    const QString url =
        QString::fromUtf8(fileBytes(QDir(postgresFolder()).filePath(QStringLiteral("url"))))
            .trimmed();
    if (url.isEmpty()) return std::nullopt;
    return url;
}

std::optional<QString> postgresPasswordUrl() {
    if (!postgresUrl()) return std::nullopt;
    const QString url =
        QString::fromUtf8(
            fileBytes(QDir(postgresFolder()).filePath(QStringLiteral("password-url"))))
            .trimmed();
    if (url.isEmpty()) return std::nullopt;
    return url;
}

QString postgresPassword() {
    if (postgresFolder().isEmpty()) return {};
    return QString::fromUtf8(fileBytes(QDir(postgresFolder()).filePath(QStringLiteral("password"))))
        .trimmed();
}

bool postgresExpected() {
    return !postgresFolder().isEmpty();
}

QString noPostgresReason() {
    if (postgresExpected())
        return QStringLiteral("no PostgreSQL test cluster in %1 (TOLVANE_TEST_POSTGRES): "
                              "ctest's pg_cluster_start did not run or failed")
            .arg(postgresFolder());
    return QStringLiteral("no PostgreSQL test cluster: ctest starts one when the server "
                          "programs were found at configure time (scripts/install-deps "
                          "installs them; configure again after)");
}

QString withDatabaseName(const QString& url, const QString& name) {
    const qsizetype scheme = url.indexOf(QStringLiteral("://"));
    const qsizetype authority = scheme < 0 ? 0 : scheme + 3;
    qsizetype query = url.indexOf(QLatin1Char('?'), authority);
    if (query < 0) query = url.size();
    qsizetype path = url.indexOf(QLatin1Char('/'), authority);
    if (path < 0 || path > query) path = query;
    return url.left(path) + QLatin1Char('/') + name + url.mid(query);
}

namespace {
using Connection = std::unique_ptr<PGconn, decltype(&PQfinish)>;

Connection connectTo(const QString& url) {
    Connection c(PQconnectdb(url.toUtf8().constData()), &PQfinish);
    if (PQstatus(c.get()) != CONNECTION_OK)
        throw std::runtime_error("cannot connect to " + url.toStdString() + ": " +
                                 PQerrorMessage(c.get()));
    return c;
}

void run(PGconn* c, const QString& sql) {
    std::unique_ptr<PGresult, decltype(&PQclear)> r(PQexec(c, sql.toUtf8().constData()), &PQclear);
    if (PQresultStatus(r.get()) != PGRES_COMMAND_OK)
        throw std::runtime_error(sql.toStdString() + ": " + PQerrorMessage(c));
}
} // namespace

void executeOnServer(const QString& url, const QString& sql) {
    run(connectTo(url).get(), sql);
}

PostgresDatabase::PostgresDatabase(const QString& clusterUrl)
    : clusterUrl_(clusterUrl),
      // Letters, digits and _ only: a name that needs no quoting anywhere.
      name_(QStringLiteral("t_") + QUuid::createUuid().toString(QUuid::Id128).toLower().left(24)),
      url_(withDatabaseName(clusterUrl, name_)) {
    // template0: nothing a test or a session may have put into template1, and
    // no failure when another session happens to be connected to template1.
    run(connectTo(clusterUrl_).get(),
        QStringLiteral("CREATE DATABASE %1 TEMPLATE template0").arg(name_));
}

PostgresDatabase::~PostgresDatabase() {
    try {
        // FORCE: a connection the test left open must not keep the database.
        run(connectTo(clusterUrl_).get(),
            QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(name_));
    } catch (const std::exception& e) {
        ADD_FAILURE() << "the test database stays behind: " << e.what();
    }
}

void PostgresTest::SetUp() {
    TOLVANE_REQUIRE_POSTGRES();
    try {
        database = std::make_unique<PostgresDatabase>(*postgresUrl());
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
}

} // namespace testing_support
