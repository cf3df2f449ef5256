// The adopt step on SQLite copies laid out as the earlier versions' Jet files
// were: our tables with Jet's types (text, memo, double, yes/no, date-time),
// as the copy step writes them.
#include "migration/Adopt.h"
#include "operations/Operations.h"
#include "store/Audit.h"
#include "store/Schema.h"
#include "store/SchemaVersion.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>

using namespace migration;

namespace {

// An earlier version's file as the copy step leaves it.
class OldCopy {
public:
    explicit OldCopy(const QString& path) : db_(store::Database::create(path)) {}

    void sensorsTable(const QString& name = QStringLiteral("Sensors"), const QString& extra = {}) {
        db_->execute(QStringLiteral("CREATE TABLE `%1` (InstrumentID VARCHAR(50), Family "
                                    "VARCHAR(50), Level VARCHAR(50), InstallDate DATETIME, "
                                    "Notes LONGTEXT, Recess DOUBLE, HeadLocation BOOLEAN, "
                                    "NodeLocation1 DOUBLE, Destroyed BOOLEAN, DestructionDate "
                                    "DATETIME%2)")
                         .arg(name, extra));
    }
    void sensor(const QString& number, const QString& more = {}) {
        db_->execute(QStringLiteral("INSERT INTO Sensors VALUES ('%1', 'MPBX', 'L 12', "
                                    "'2013-11-02 00:00:00', 'long\nnote', 0.5, 1, 2.25, 0, "
                                    "NULL%2)")
                         .arg(number, more));
    }
    void readingTable(const QString& name) {
        db_->execute(QStringLiteral("CREATE TABLE `%1` (DateTimeKey VARCHAR(50), ReadingDate "
                                    "DATETIME, ReadingTime DATETIME, ChannelT DOUBLE, Channel1 "
                                    "DOUBLE, Channel2 DOUBLE, FullDate DATETIME, IsDirty BOOLEAN, "
                                    "Plottemporal BOOLEAN, PlotSpatial BOOLEAN, zero1 DOUBLE)")
                         .arg(name));
    }
    // A reading on day d of December 2013 at 20:33:08.
    void reading(const QString& table, const QString& key, const QString& fullDate,
                 const QString& channel1 = QStringLiteral("12.5")) {
        db_->execute(QStringLiteral("INSERT INTO `%1` VALUES (%2, '%3', '1899-12-30 %4', 21.5, "
                                    "%5, NULL, %6, 0, 1, 0, 12.5)")
                         .arg(table, key.isNull() ? QStringLiteral("NULL") : "'" + key + "'",
                              fullDate.left(10), fullDate.mid(11), channel1,
                              fullDate.isEmpty() ? QStringLiteral("NULL") : "'" + fullDate + "'"));
    }
    void fixedTables() {
        db_->execute(QStringLiteral(
            "CREATE TABLE Configuration (SensorType VARCHAR(50), ModelName VARCHAR(50), NumNodes "
            "SMALLINT); INSERT INTO Configuration VALUES ('41', 'q4MPBX', 4);"
            "CREATE TABLE prefs (MaxY VARCHAR(10), MinY VARCHAR(10), MinX VARCHAR(10), MaxX "
            "VARCHAR(10)); INSERT INTO prefs VALUES ('25', '-5', '0', '0');"
            "CREATE TABLE NetworkConfig (SensorID VARCHAR(50), LoggerID VARCHAR(50), Channel "
            "INTEGER); INSERT INTO NetworkConfig VALUES ('131221005', 'L7', 3);"
            "CREATE TABLE sensordata (DateTimeKey VARCHAR(50));"));
    }
    store::Database& db() { return *db_; }

private:
    std::unique_ptr<store::Database> db_;
};

class AdoptTest : public ::testing::Test {
protected:
    void SetUp() override {
        copyPath = dir.filePath(QStringLiteral("copy.sqlite"));
        target = dir.filePath(QStringLiteral("TolvaneMPBX-converted.mdb"));
        old = std::make_unique<OldCopy>(copyPath);
    }
    AdoptReport adopt() {
        old.reset();
        return adoptCopy(copyPath, target, QStringLiteral("TolvaneMPBX.mdb"), {},
                         [this](const QString& line) { findings << line; });
    }
    QString text(const QString& sql) {
        if (!converted) converted = store::Database::open(target, true);
        store::Statement st = converted->prepare(sql);
        return st.step() ? st.text(0) : QStringLiteral("(no row)");
    }

    QTemporaryDir dir;
    QString copyPath, target;
    std::unique_ptr<OldCopy> old;
    std::unique_ptr<store::Database> converted;
    QStringList findings;
};

TEST_F(AdoptTest, AnEarlierVersionsFileBecomesADatabaseOfTheCurrentSchema) {
    old->sensorsTable();
    old->sensor(QStringLiteral("131221005"));
    old->fixedTables();
    old->readingTable(QStringLiteral("131221005"));
    old->reading(QStringLiteral("131221005"), QStringLiteral("131221005 2013/12/03 20:33:08"),
                 QStringLiteral("2013-12-03 20:33:08"));
    old->reading(QStringLiteral("131221005"), QStringLiteral("131221005 2013/12/04 20:33:08"),
                 QStringLiteral("2013-12-04 20:33:08"), QStringLiteral("-3.25"));
    const AdoptReport report = adopt();

    auto db = store::Database::open(target);
    EXPECT_EQ(store::schemaVersion(*db), store::currentSchemaVersion());
    EXPECT_TRUE(operations::checkDatabase(*db).empty());
    // Jet's forms become ours: dates as the program keeps them, Yes/No as 0 or 1 or text.
    EXPECT_EQ(text(QStringLiteral("SELECT InstallDate || '|' || Destroyed || '|' || HeadLocation "
                                  "|| '|' || Recess || '|' || Notes FROM Sensors")),
              QStringLiteral("2013/11/02|No|1|0.5|long\nnote"));
    EXPECT_EQ(text(QStringLiteral("SELECT group_concat(DateTimeKey || '|' || ReadingDate || '|' "
                                  "|| ReadingTime || '|' || FullDate || '|' || Channel1 || '|' "
                                  "|| Plottemporal, ';') FROM `131221005`")),
              QStringLiteral("131221005 2013/12/03 20:33:08|2013/12/03|20:33:08|2013-12-03 "
                             "20:33:08|12.5|1;131221005 2013/12/04 20:33:08|2013/12/04|20:33:08|"
                             "2013-12-04 20:33:08|-3.25|1"));
    // The old Configuration and Prefs replace a new file's.
    EXPECT_EQ(text(QStringLiteral("SELECT ModelName || NumNodes FROM Configuration")),
              QStringLiteral("q4MPBX4"));
    EXPECT_EQ(text(QStringLiteral("SELECT MaxY FROM Prefs")), QStringLiteral("25"));
    EXPECT_EQ(text(QStringLiteral("SELECT count(*) FROM Prefs")), QStringLiteral("1"));
    EXPECT_EQ(text(QStringLiteral("SELECT LoggerID FROM NetworkConfig")), QStringLiteral("L7"));
    EXPECT_EQ(text(QStringLiteral("SELECT Operation || '|' || Target FROM AuditTrail")),
              store::operation::DatabaseConverted + QStringLiteral("|TolvaneMPBX.mdb"));
    EXPECT_EQ(report.dropped, 0);
    EXPECT_EQ(report.changed, 0);
    EXPECT_TRUE(findings.isEmpty()) << findings.join('\n').toStdString();
    EXPECT_FALSE(db->hasTable(SetAsideTable));
    // Nothing is left beside it but the file.
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::Files),
        QStringList({QStringLiteral("copy.sqlite"), QStringLiteral("TolvaneMPBX-converted.mdb")}));
}

TEST_F(AdoptTest, ReadingsThatCannotTakeTheirPlaceAreKeptAsideAndReported) {
    old->sensorsTable(QStringLiteral("SENSORS"), QStringLiteral(", Contractor VARCHAR(50)"));
    old->sensor(QStringLiteral("131221005"), QStringLiteral(", 'Drillco'"));
    old->sensor(QStringLiteral("131221005"), QStringLiteral(", 'again'"));
    old->readingTable(QStringLiteral("131221005"));
    const QString key = QStringLiteral("131221005 2013/12/03 20:33:08");
    old->reading(QStringLiteral("131221005"), key, QStringLiteral("2013-12-03 20:33:08"));
    old->reading(QStringLiteral("131221005"), key, QStringLiteral("2013-12-03 20:33:08"),
                 QStringLiteral("99"));
    old->reading(QStringLiteral("131221005"), QStringLiteral("131221005 garbage"), QString());
    old->reading(QStringLiteral("131221005"), QString(), QStringLiteral("2013-12-05 06:00:00"),
                 QStringLiteral("'twelve'"));
    const AdoptReport report = adopt();

    // The first of a duplicated key stays; the rest, and the undated, go aside whole.
    EXPECT_EQ(text(QStringLiteral("SELECT group_concat(Channel1, ';') FROM `131221005`")),
              QStringLiteral("12.5"));
    EXPECT_EQ(text(QStringLiteral("SELECT group_concat(DateTimeKey, ';') FROM `131221005` "
                                  "WHERE Channel1 IS NULL")),
              QStringLiteral("131221005 2013/12/05 06:00:00"));
    EXPECT_EQ(text(QStringLiteral("SELECT group_concat(SourceTable || ':' || Reason, ';') FROM "
                                  "ConversionSetAside")),
              QStringLiteral("SENSORS:extra columns;SENSORS:sensor number 131221005 twice; the "
                             "first kept;131221005:reading key ") +
                  key + QStringLiteral(" twice; the first kept;131221005:its date cannot be read"));
    const QJsonObject kept =
        QJsonDocument::fromJson(text(QStringLiteral("SELECT Data FROM ConversionSetAside WHERE "
                                                    "Reason LIKE 'reading key%'"))
                                    .toUtf8())
            .object();
    EXPECT_EQ(kept.value(QStringLiteral("Channel1")).toDouble(), 99.0);
    EXPECT_EQ(text(QStringLiteral("SELECT Data FROM ConversionSetAside WHERE Reason = 'extra "
                                  "columns'")),
              QStringLiteral("{\"(key)\":\"131221005\",\"Contractor\":\"Drillco\"}"));
    EXPECT_EQ(report.dropped, 3);
    EXPECT_EQ(report.setAside, 4);
    EXPECT_EQ(report.changed, 2); // 'twelve', and the key made from the date
    EXPECT_EQ(findings.size(), 5) << findings.join('\n').toStdString();
    EXPECT_TRUE(
        findings.filter(QStringLiteral("Channel1 twelve left empty (not a number)")).size() == 1)
        << findings.join('\n').toStdString();
    // Missing tables and columns are said once each.
    EXPECT_EQ(report.notes.filter(QStringLiteral("Configuration was not in the file")).size(), 1);
    EXPECT_EQ(report.notes.filter(QStringLiteral("Contractor")).size(), 1);
    EXPECT_EQ(report.notes.filter(QStringLiteral("lacked the columns Channel3")).size(), 1);
    // A column the file lacks has what a new sensor would get.
    EXPECT_EQ(text(QStringLiteral("SELECT LengthofCable FROM Sensors")), QStringLiteral("0.0"));
}

TEST_F(AdoptTest, ASensorWithoutReadingsGetsAnEmptyTableAndStrayTablesAreNamed) {
    old->sensorsTable();
    old->sensor(QStringLiteral("131221005"));
    // Typed with blanks around it; its table is named without them.
    old->sensor(QStringLiteral(" 131221006 "));
    old->readingTable(QStringLiteral("131221006"));
    old->reading(QStringLiteral("131221006"), QStringLiteral("131221006 2013/12/03 20:33:08"),
                 QStringLiteral("2013-12-03 20:33:08"));
    old->readingTable(QStringLiteral("999"));
    old->reading(QStringLiteral("999"), QStringLiteral("999 2013/12/03 20:33:08"),
                 QStringLiteral("2013-12-03 20:33:08"));
    const AdoptReport report = adopt();
    EXPECT_EQ(text(QStringLiteral("SELECT count(*) FROM `131221005`")), QStringLiteral("0"));
    EXPECT_EQ(text(QStringLiteral("SELECT count(*) FROM `131221006` JOIN Sensors ON InstrumentID "
                                  "= '131221006'")),
              QStringLiteral("1"));
    EXPECT_EQ(report.changed, 1);
    auto db = store::Database::open(target, true);
    EXPECT_FALSE(db->hasTable(QStringLiteral("999")));
    EXPECT_EQ(report.notes.filter(QStringLiteral("The table 999 (1 rows)")).size(), 1);
    EXPECT_EQ(report.notes.filter(QStringLiteral("Sensor 131221005 had no reading table")).size(),
              1);
}

// Copies that are not an earlier version's file: refused, nothing written.
struct Refusal {
    const char* name;
    const char* layout; // SQL run on the copy
    const char* reason;
};

class AdoptRefuses : public AdoptTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(AdoptRefuses, WritesNothing) {
    old->db().execute(QString::fromLatin1(GetParam().layout));
    try {
        adopt();
        FAIL() << "adopted";
    } catch (const store::Error& e) {
        EXPECT_TRUE(e.description().contains(QString::fromLatin1(GetParam().reason)))
            << e.description().toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("copy.sqlite")});
}

INSTANTIATE_TEST_SUITE_P(
    Copies, AdoptRefuses,
    ::testing::Values(
        Refusal{"NoRegister", "CREATE TABLE Orders (OrderID INTEGER); CREATE TABLE Shippers (a)",
                "another program; nothing was converted. Tables found: Orders, Shippers."},
        Refusal{"RegisterWithoutKey", "CREATE TABLE Sensors (Name VARCHAR(50))", "another program"},
        Refusal{"Empty", "SELECT 1", "Tables found: none."}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace
