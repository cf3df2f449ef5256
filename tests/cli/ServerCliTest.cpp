// tolvane-cli on a database on a server, as a script runs it: making the
// tables, moving a file's database across, the usual commands on the copy,
// and the failures a team meets (a typo, a server that is down, a password).
#include "cli/CliRun.h"
#include "migration/JetTestData.h"
#include "support/Support.h"

#include "app/DataFolder.h"
#include "maintenance/ServerBackup.h"
#include "migration/Migration.h"
#include "store/RecycleArea.h"
#include "store/Schema.h"
#include "store/SchemaVersion.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>

#include <functional>

using namespace testing_support;

namespace {

const QString First = QStringLiteral("202541001");
const QString Second = QStringLiteral("202541002");
const QString Deleted = QStringLiteral("202541003");

class ServerCliTest : public PostgresTest {
protected:
    // The tool on this test's server database.
    CliResult cli(QStringList arguments, const QProcessEnvironment& environment = {}) {
        arguments.prepend(url());
        arguments.prepend(QStringLiteral("--database"));
        return runCli(documents.path(), arguments, environment);
    }
    // The tool on a database file.
    CliResult onFile(const QString& file, QStringList arguments) {
        arguments.prepend(file);
        arguments.prepend(QStringLiteral("--database"));
        return runCli(documents.path(), arguments);
    }
    std::unique_ptr<store::Database> server() { return store::Database::connect(url()); }

    // A database file of ours with two sensors and something in every table
    // the copy must carry: readings with flags and zeros, thresholds, a
    // deleted sensor and deleted readings, audit entries, awkward values,
    // and one table that is not ours.
    QString makeSource(const QString& name = QStringLiteral("source.mdb")) {
        const QString path = documents.filePath(name);
        EXPECT_EQ(onFile(path, {QStringLiteral("init")}).status, 0);
        {
            auto db = store::Database::open(path);
            addSensor(*db, First);
            addSensor(*db, SensorRow{Second, QStringLiteral("L2"), QStringLiteral("Ramp")});
            addSensor(*db, Deleted);
            addReadings(*db, First, 60);
            addReadings(*db, Second, 30);
            addReadings(*db, Deleted, 4);
            db->execute(QStringLiteral(
                "UPDATE Sensors SET Notes = 'Ünïcode ''quoted''\nsecond line', LengthofCable = "
                "0.30000000000000004, NodeLocation1 = NULL, NodeLocation2 = -1e-300 "
                "WHERE InstrumentID = '202541001'"));
            db->transaction([&] {
                store::ReadingRows day;
                day.kind = store::ReadingRows::Kind::Days;
                day.firstDay = day.lastDay = QStringLiteral("2025/03/02");
                store::recycleReadings(*db, First, day);
                db->execute(
                    QStringLiteral("DELETE FROM `202541001` WHERE ReadingDate = '2025/03/02'"));
                store::recycleReadings(*db, Deleted, {});
                qint64 rowid = 0;
                {
                    store::Statement row = db->prepare(
                        QStringLiteral("SELECT rowid FROM Sensors WHERE InstrumentID = ?1"));
                    row.bind(1, Deleted);
                    EXPECT_TRUE(row.step());
                    rowid = row.int64(0);
                }
                store::recycleSensorRow(*db, rowid);
                db->execute(QStringLiteral("DELETE FROM Sensors WHERE InstrumentID = '202541003'; "
                                           "DROP TABLE `202541003`"));
            });
            db->execute(QStringLiteral("CREATE TABLE Notebook (Line TEXT); INSERT INTO Notebook "
                                       "VALUES ('kept aside')"));
        }
        for (const QStringList& command :
             {QStringList{QStringLiteral("flag"), First, QStringLiteral("--at"),
                          QStringLiteral("2025/03/01 05:00:00"), QStringLiteral("--quality"),
                          QStringLiteral("suspect"), QStringLiteral("--note"),
                          QStringLiteral("spike")},
              QStringList{QStringLiteral("zero"), First, QStringLiteral("--at"),
                          QStringLiteral("2025/03/01 02:00:00"), QStringLiteral("--reason"),
                          QStringLiteral("head replaced")},
              QStringList{QStringLiteral("levels"), Second, QStringLiteral("--set"),
                          QStringLiteral("Alert=5,Alarm=10")}}) {
            const CliResult r = onFile(path, command);
            EXPECT_EQ(r.status, 0) << command.join(' ').toStdString() << r.err.toStdString();
        }
        return path;
    }

    QTemporaryDir documents;
};

// A table's rows in row order, each value with its kind: the same text on both
// sides means the same values, numbers as numbers and text as text.
QStringList rowsOf(store::Database& db, const QString& table, const QStringList& columns) {
    QStringList quoted;
    for (const QString& c : columns)
        quoted << store::quoteName(c);
    store::Statement st =
        db.prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                       .arg(quoted.join(QLatin1Char(',')), store::quoteName(table)));
    QStringList rows;
    while (st.step()) {
        QStringList values;
        for (int c = 0; c < int(columns.size()); ++c)
            switch (st.kind(c)) {
            case store::Statement::Kind::Null:
                values << QStringLiteral("null");
                break;
            case store::Statement::Kind::Integer:
                values << QStringLiteral("int ") + QString::number(st.int64(c));
                break;
            case store::Statement::Kind::Real:
                values << QStringLiteral("real ") + QString::number(*st.number(c), 'g', 17);
                break;
            default:
                values << QStringLiteral("text ") + st.text(c);
            }
        rows << values.join(QStringLiteral(" | "));
    }
    return rows;
}

QStringList columnsOf(store::Database& db, const QString& table) {
    QStringList names;
    for (const store::Database::ColumnInfo& c : db.columns(table))
        names << c.name;
    return names;
}

TEST_F(ServerCliTest, InitMakesTheTablesOfAnEmptyDatabaseOnceAndTheCommandsWorkOnIt) {
    CliResult r = cli({QStringLiteral("sensors")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("holds no tables of Tolvane; make them with: "
                                              "tolvane-cli --database URL init")))
        << r.err.toStdString();

    r = cli({QStringLiteral("init")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Made the tables of a new database in "
                                                "postgresql://")))
        << r.out.toStdString();
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(store::schemaVersion(*server()), store::currentSchemaVersion());

    r = cli({QStringLiteral("add-sensor"), First, QStringLiteral("--install-date"),
             QStringLiteral("2025/01/02")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    r = cli({QStringLiteral("sensors"), QStringLiteral("--json")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(r.out.toUtf8()).array().size(), 1);

    // A second init would put a new database's tables over a used one.
    r = cli({QStringLiteral("init")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("already holds tables"))) << r.err.toStdString();
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
    EXPECT_EQ(rowCount(*server(), QStringLiteral("Sensors")), 1);
}

TEST_F(ServerCliTest, TheLocationFileMayNameTheServerInPlaceOfAFile) {
    ASSERT_EQ(cli({QStringLiteral("init")}).status, 0);
    app::writeLocationFile(app::dataFolderOf(documents.path()), url());
    const CliResult r = runCli(documents.path(), {QStringLiteral("add-sensor"), First});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(rowCount(*server(), QStringLiteral("Sensors")), 1);
    // No file is made in its name, nor the default database beside it.
    EXPECT_EQ(QDir(app::dataFolderOf(documents.path())).entryList({QStringLiteral("*.mdb")}),
              QStringList());
}

TEST_F(ServerCliTest, AnOlderDatabaseIsBroughtUpToDateInPlaceWithoutABackupFile) {
    ASSERT_EQ(cli({QStringLiteral("init")}).status, 0);
    {
        // As a database made by the version before the last step was.
        auto db = server();
        db->execute(QStringLiteral(
            "DROP TABLE SensorVersions; ALTER TABLE AuditTrail DROP COLUMN DatabaseUser"));
        store::setSchemaVersion(*db, store::currentSchemaVersion() - 1);
    }
    // Reading leaves it as it is; writing brings it up to date first.
    EXPECT_EQ(cli({QStringLiteral("sensors")}).status, 0);
    EXPECT_EQ(store::schemaVersion(*server()), store::currentSchemaVersion() - 1);
    const CliResult r = cli({QStringLiteral("add-sensor"), First});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("was brought up to date (schema version %1 to %2)")
                                   .arg(store::currentSchemaVersion() - 1)
                                   .arg(store::currentSchemaVersion())))
        << r.err.toStdString();
    auto db = server();
    EXPECT_EQ(store::schemaVersion(*db), store::currentSchemaVersion());
    EXPECT_TRUE(db->hasTable(QStringLiteral("SensorVersions")));
    EXPECT_FALSE(QDir(documents.filePath(QStringLiteral("Vornhald/Tolvane/MPBXbackup"))).exists());
}

TEST_F(ServerCliTest, ANewerDatabaseIsReadButNeverWritten) {
    ASSERT_EQ(cli({QStringLiteral("init")}).status, 0);
    store::setSchemaVersion(*server(), store::currentSchemaVersion() + 1);
    EXPECT_EQ(cli({QStringLiteral("sensors")}).status, 0);
    const CliResult r = cli({QStringLiteral("add-sensor"), First});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("was written by a newer version of Tolvane")))
        << r.err.toStdString();
    EXPECT_EQ(rowCount(*server(), QStringLiteral("Sensors")), 0);
    EXPECT_EQ(store::schemaVersion(*server()), store::currentSchemaVersion() + 1);
}

TEST_F(ServerCliTest, CopyFromCarriesEveryTableValueForValueInOneGo) {
    const QString source = makeSource();
    const QByteArray sourceBytes = fileBytes(source);
    const CliResult r = cli({QStringLiteral("copy-from"), source});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(fileBytes(source), sourceBytes); // only read
    EXPECT_TRUE(r.err.contains(QStringLiteral("the tables of a new database were made in")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("not copied, not a table of Tolvane: Notebook (1 "
                                              "rows)")))
        << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("\nZeroReadings\t1\n"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("\n202541001\t36\n"))) << r.out.toStdString();

    auto from = store::Database::open(source, true);
    auto to = server();
    EXPECT_FALSE(to->hasTable(QStringLiteral("Notebook")));
    EXPECT_FALSE(to->hasTable(Deleted));
    int compared = 0;
    for (const QString& table : from->tableNames()) {
        if (table.startsWith(QLatin1String("sqlite_")) || table == QLatin1String("Notebook"))
            continue;
        SCOPED_TRACE(table.toStdString());
        ASSERT_TRUE(to->hasTable(table));
        const QStringList columns = columnsOf(*from, table);
        EXPECT_EQ(columnsOf(*to, table), columns);
        const QStringList before = rowsOf(*from, table, columns);
        QStringList after = rowsOf(*to, table, columns);
        if (table == QLatin1String("AuditTrail")) {
            // The trail goes on with the copy's own entry.
            ASSERT_EQ(after.size(), before.size() + 1);
            EXPECT_TRUE(after.takeLast().contains(QStringLiteral("text database copied | null | "
                                                                 "text ") +
                                                  source))
                << after.last().toStdString();
        }
        EXPECT_EQ(after, before);
        ++compared;
    }
    EXPECT_GE(compared, 15);
    // Nothing but the program's data went across: the recycled readings and
    // sensor are there, the awkward values are as they were.
    EXPECT_EQ(rowCount(*to, store::RecycledSensors), 1);
    EXPECT_EQ(rowCount(*to, store::RecycledReadings), 24 + 4);
    store::Statement notes = to->prepare(QStringLiteral(
        "SELECT Notes, LengthofCable FROM Sensors WHERE InstrumentID = '202541001'"));
    ASSERT_TRUE(notes.step());
    EXPECT_EQ(notes.text(0), QStringLiteral("Ünïcode 'quoted'\nsecond line"));
    EXPECT_EQ(*notes.number(1), 0.30000000000000004);
}

TEST_F(ServerCliTest, TheUsualCommandsGiveTheFilesAnswersAfterACopyAndItsCountersGoOn) {
    const QString source = makeSource();
    ASSERT_EQ(cli({QStringLiteral("init")}).status, 0);
    const CliResult copied = cli({QStringLiteral("copy-from"), source});
    ASSERT_EQ(copied.status, 0) << copied.err.toStdString();
    EXPECT_FALSE(copied.err.contains(QStringLiteral("were made"))) << copied.err.toStdString();

    for (const QStringList& command :
         {QStringList{QStringLiteral("sensors")},
          QStringList{QStringLiteral("readings"), First, QStringLiteral("--with-invalid")},
          QStringList{QStringLiteral("readings"), Second, QStringLiteral("--format"),
                      QStringLiteral("json")},
          QStringList{QStringLiteral("zeros"), First},
          QStringList{QStringLiteral("levels"), Second},
          QStringList{QStringLiteral("recover"), First, QStringLiteral("--list")},
          QStringList{QStringLiteral("status"), QStringLiteral("--json"), QStringLiteral("--at"),
                      QStringLiteral("2025/03/03 12:00:00")}}) {
        SCOPED_TRACE(command.join(' ').toStdString());
        const CliResult onServer = cli(command);
        const CliResult local = onFile(source, command);
        EXPECT_EQ(onServer.status, local.status) << onServer.err.toStdString();
        EXPECT_EQ(onServer.out, local.out);
        EXPECT_FALSE(onServer.out.isEmpty());
    }

    // Files written from the copy are the file's, byte for byte; the report
    // connects by itself, with the address as given.
    const QString fromServer = documents.filePath(QStringLiteral("server.csv"));
    const QString fromFile = documents.filePath(QStringLiteral("file.csv"));
    EXPECT_EQ(cli({QStringLiteral("export"), First, QStringLiteral("--csv"), fromServer}).status,
              0);
    EXPECT_EQ(
        onFile(source, {QStringLiteral("export"), First, QStringLiteral("--csv"), fromFile}).status,
        0);
    EXPECT_EQ(fileBytes(fromServer), fileBytes(fromFile));
    EXPECT_FALSE(fileBytes(fromServer).isEmpty());
    const QString pdf = documents.filePath(QStringLiteral("report.pdf"));
    const CliResult report = cli({QStringLiteral("report"), First, QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(report.status, 0) << report.err.toStdString();
    EXPECT_TRUE(fileBytes(pdf).startsWith("%PDF"));

    // The numbered tables hand out numbers above the copied ones: a new zero
    // and its audit entry do not collide with copied rows.
    qint64 zeroBefore = 0, auditBefore = 0;
    {
        auto db = server();
        store::Statement st = db->prepare(QStringLiteral(
            "SELECT (SELECT MAX(ZeroID) FROM ZeroReadings), (SELECT MAX(AuditID) FROM "
            "AuditTrail)"));
        ASSERT_TRUE(st.step());
        zeroBefore = st.int64(0);
        auditBefore = st.int64(1);
    }
    CliResult r = cli({QStringLiteral("zero"), First, QStringLiteral("--at"),
                       QStringLiteral("2025/03/03 06:00:00"), QStringLiteral("--reason"),
                       QStringLiteral("after the move")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    {
        auto db = server();
        store::Statement st = db->prepare(QStringLiteral(
            "SELECT (SELECT MAX(ZeroID) FROM ZeroReadings), (SELECT MAX(AuditID) FROM "
            "AuditTrail)"));
        ASSERT_TRUE(st.step());
        EXPECT_EQ(st.int64(0), zeroBefore + 1);
        EXPECT_EQ(st.int64(1), auditBefore + 1);
    }

    // A logger file goes into the copy as into the file.
    QStringList lines;
    for (int h = 0; h < 30; ++h)
        lines << QDateTime(QDate(2025, 4, 1), QTime(6, 0))
                         .addSecs(3600LL * h)
                         .toString("yyyy/MM/dd HH:mm:ss") +
                     QStringLiteral(",TR01,91,005,21.46,%1,2.5,3").arg(1 + h / 100.0);
    const QString logger = documents.filePath(First + QStringLiteral(".txt"));
    QFile f(logger);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write((lines.join("\r\n") + "\r\n").toLatin1());
    f.close();
    r = cli({QStringLiteral("import"), logger, QStringLiteral("--sensor"), First,
             QStringLiteral("--all"), QStringLiteral("--json")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("\"appended\": 30"))) << r.out.toStdString();
    EXPECT_EQ(rowCount(*server(), First), 36 + 30);
}

TEST_F(ServerCliTest, ACopyIntoADatabaseInUseIsRefusedAndChangesNothing) {
    const QString source = makeSource();
    ASSERT_EQ(cli({QStringLiteral("init")}).status, 0);
    ASSERT_EQ(cli({QStringLiteral("add-sensor"), Second}).status, 0);
    const QStringList tablesBefore = server()->tableNames();
    const QStringList auditBefore =
        rowsOf(*server(), QStringLiteral("AuditTrail"), {QStringLiteral("AuditID")});

    const CliResult r = cli({QStringLiteral("copy-from"), source});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("is not empty (Sensors holds 1 row(s))")))
        << r.err.toStdString();
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
    auto db = server();
    EXPECT_EQ(db->tableNames(), tablesBefore);
    EXPECT_EQ(rowsOf(*db, QStringLiteral("AuditTrail"), {QStringLiteral("AuditID")}), auditBefore);
    EXPECT_EQ(rowCount(*db, QStringLiteral("Sensors")), 1);
}

TEST_F(ServerCliTest, ACopyThatFailsMidwayLeavesAnEmptyDatabaseEmpty) {
    const QString source = makeSource();
    {
        // The second sensor's readings cannot all go across: after the
        // register, the settings and the first sensor's readings.
        auto db = store::Database::open(source);
        db->execute(QStringLiteral("ALTER TABLE `202541002` ADD COLUMN Remark TEXT"));
    }
    const CliResult r = cli({QStringLiteral("copy-from"), source});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("the table 202541002 of the source has a column "
                                              "Remark")))
        << r.err.toStdString();
    // The tables were made in the copy's own transaction: none stays.
    EXPECT_EQ(server()->tableNames(), QStringList());
    // And it can be made afresh.
    EXPECT_EQ(cli({QStringLiteral("init")}).status, 0);
}

TEST_F(ServerCliTest, AnEarlierVersionsJetFileIsConvertedOnTheWay) {
    const QString jet = oursFromNwind(documents.path());
    if (jet.isEmpty()) GTEST_SKIP() << "nwind.mdb is absent; run scripts/fetch-test-databases";
    const QByteArray before = fileBytes(jet);
    const CliResult r = cli({QStringLiteral("copy-from"), jet});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(fileBytes(jet), before);
    EXPECT_FALSE(QFile::exists(migration::convertedPath(jet)));

    // The same rows as the conversion into a file gives.
    const QString converted = documents.filePath(QStringLiteral("converted.mdb"));
    migration::migrate(jet, converted);
    auto file = store::Database::open(converted, true);
    auto db = server();
    for (const QString& table : {QStringLiteral("Sensors"), QStringLiteral("Configuration"),
                                 QStringLiteral("Prefs"), QStringLiteral("NetworkConfig")})
        EXPECT_EQ(rowCount(*db, table), rowCount(*file, table)) << table.toStdString();
    EXPECT_GT(rowCount(*db, QStringLiteral("Sensors")), 0);
    EXPECT_EQ(cli({QStringLiteral("check")}).status, 0);
}

TEST_F(ServerCliTest, BackupDumpsTheDatabaseRestoreIsRefusedAndCheckFindsNothing) {
    if (maintenance::findPgDump().isEmpty()) GTEST_SKIP() << "pg_dump is not installed";
    ASSERT_EQ(cli({QStringLiteral("init")}).status, 0);
    ASSERT_EQ(cli({QStringLiteral("add-sensor"), First}).status, 0);

    CliResult r = cli({QStringLiteral("backup")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QString dump = r.out.trimmed();
    EXPECT_TRUE(dump.startsWith(documents.filePath(QStringLiteral("Vornhald/Tolvane/"))))
        << dump.toStdString();
    EXPECT_TRUE(dump.endsWith(QStringLiteral(".dump"))) << dump.toStdString();
    EXPECT_TRUE(fileBytes(dump).startsWith("PGDMP"));

    r = cli({QStringLiteral("restore"), QFileInfo(dump).fileName()});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("pg_restore"))) << r.err.toStdString();
    EXPECT_EQ(rowCount(*server(), QStringLiteral("Sensors")), 1);

    r = cli({QStringLiteral("check")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.endsWith(QStringLiteral(": no problems found\n"))) << r.out.toStdString();
}

// What a script sees when the server cannot be used: exit 1, one line in
// plain words.
struct ConnectionCase {
    const char* name;
    // The address, from the cluster's own and this test's database's.
    std::function<QString(const QString& cluster, const QString& database)> address;
    enum class Password { None, Wrong, Right } password = Password::None; // in PGPASSWORD
    QStringList expected;                                                 // in the message
};

class ServerConnectionTest : public PostgresTest,
                             public ::testing::WithParamInterface<ConnectionCase> {};

TEST_P(ServerConnectionTest, FailsWithOneLineInPlainWords) {
    const ConnectionCase& c = GetParam();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("PGPASSWORD"));
    // Whatever the user's own ~/.pgpass holds stays out of it.
    environment.insert(QStringLiteral("PGPASSFILE"), QStringLiteral("/nonexistent/pgpass"));
    if (c.password != ConnectionCase::Password::None)
        environment.insert(QStringLiteral("PGPASSWORD"),
                           c.password == ConnectionCase::Password::Right
                               ? postgresPassword()
                               : QStringLiteral("not the password"));
    QTemporaryDir documents;
    const CliResult r =
        runCli(documents.path(),
               {QStringLiteral("--database"), c.address(*postgresUrl(), database->name()),
                QStringLiteral("sensors")},
               environment);
    EXPECT_EQ(r.status, 1) << r.out.toStdString();
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
    for (const QString& words : c.expected)
        EXPECT_TRUE(r.err.contains(words)) << r.err.toStdString();
    EXPECT_EQ(r.out, QString());
}

QString passwordUrl(const QString& database) {
    return withDatabaseName(postgresPasswordUrl().value_or(QString()), database);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ServerConnectionTest,
    ::testing::Values(
        ConnectionCase{"PortWithALetter",
                       [](const QString&, const QString&) {
                           return QStringLiteral("postgresql://tolvane@localhost:54x2/site");
                       },
                       ConnectionCase::Password::None,
                       {QStringLiteral("has a port that is not a number (\"54x2\")")}},
        ConnectionCase{"UnknownSetting",
                       [](const QString& cluster, const QString& db) {
                           return withDatabaseName(cluster, db) +
                                  QString::fromLatin1(cluster.contains(QLatin1Char('?'))
                                                          ? "&sslmod=require"
                                                          : "?sslmod=require");
                       },
                       ConnectionCase::Password::None,
                       {QStringLiteral("a setting that the connection does not know")}},
        ConnectionCase{"ServerDown",
                       [](const QString&, const QString&) {
                           return QStringLiteral("postgresql://tolvane@127.0.0.1:1/site");
                       },
                       ConnectionCase::Password::None,
                       {QStringLiteral("The database server at 127.0.0.1:1 is not running")}},
        ConnectionCase{"NoSuchDatabase",
                       [](const QString& cluster, const QString&) {
                           return withDatabaseName(cluster, QStringLiteral("no_such_site"));
                       },
                       ConnectionCase::Password::None,
                       {QStringLiteral("has no database \"no_such_site\"")}},
        ConnectionCase{"PasswordNotGiven",
                       [](const QString&, const QString& db) { return passwordUrl(db); },
                       ConnectionCase::Password::None,
                       {QStringLiteral("needs a password"), QStringLiteral("~/.pgpass"),
                        QStringLiteral("PGPASSWORD")}},
        ConnectionCase{"PasswordWrong",
                       [](const QString&, const QString& db) { return passwordUrl(db); },
                       ConnectionCase::Password::Wrong,
                       {QStringLiteral("refused the password")}},
        // The right password gets in: the empty database is what is wrong.
        ConnectionCase{"PasswordRight",
                       [](const QString&, const QString& db) { return passwordUrl(db); },
                       ConnectionCase::Password::Right,
                       {QStringLiteral("holds no tables of Tolvane")}}),
    [](const ::testing::TestParamInfo<ConnectionCase>& tested) {
        return std::string(tested.param.name);
    });

// init on a file: a new file, never over an existing one.
TEST(InitCliTest, MakesANewFileAndRefusesAnExistingOne) {
    QTemporaryDir documents;
    const QString path = documents.filePath(QStringLiteral("Site B.mdb"));
    CliResult r =
        runCli(documents.path(), {QStringLiteral("--database"), path, QStringLiteral("init")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("Made the new database file %1\n").arg(path));
    EXPECT_EQ(
        runCli(documents.path(), {QStringLiteral("--database"), path, QStringLiteral("check")})
            .status,
        0);
    const QByteArray made = fileBytes(path);
    r = runCli(documents.path(), {QStringLiteral("--database"), path, QStringLiteral("init")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("file already exists"))) << r.err.toStdString();
    EXPECT_EQ(fileBytes(path), made);
}

} // namespace
