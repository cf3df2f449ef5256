#include "store/Schema.h"
#include "store/Dialect.h"
#include "store/RowWatch.h"
#include "store/SchemaVersion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <vector>

namespace store {

namespace {

struct ColumnDef {
    QString name;
    const char* type;
};

// One list per table: the column names callers use and the CREATE text are
// both made from it.
std::vector<ColumnDef> sensorDefs() {
    std::vector<ColumnDef> c;
    for (const char* name :
         {"InstrumentID", "DateID", "TypeID", "SensorNo", "Family", "Model", "SensorType"})
        c.push_back({QString::fromLatin1(name), "TEXT"});
    c.push_back({QStringLiteral("LengthofCable"), "REAL"});
    for (const char* name :
         {"Level", "Location", "Borehole", "InstallDate", "InstallBy", "Purpose", "Notes"})
        c.push_back({QString::fromLatin1(name), "TEXT"});
    c.push_back({QStringLiteral("Recess"), "REAL"});
    c.push_back({QStringLiteral("HeadLocation"), "INTEGER"});
    for (int i = 1; i <= 8; ++i)
        c.push_back({QStringLiteral("NodeLocation%1").arg(i), "REAL"});
    c.push_back({QStringLiteral("Destroyed"), "TEXT"});
    c.push_back({QStringLiteral("DestructionDate"), "TEXT"});
    return c;
}

std::vector<ColumnDef> readingDefs() {
    std::vector<ColumnDef> c{{QStringLiteral("DateTimeKey"), "TEXT"},
                             {QStringLiteral("ReadingDate"), "TEXT"},
                             {QStringLiteral("ReadingTime"), "TEXT"},
                             {QStringLiteral("ChannelT"), "REAL"}};
    for (int i = 1; i <= 10; ++i)
        c.push_back({QStringLiteral("Channel%1").arg(i), "REAL"});
    c.push_back({QStringLiteral("FullDate"), "TEXT"});
    for (const char* name : {"IsDirty", "Plottemporal", "PlotSpatial"})
        c.push_back({QString::fromLatin1(name), "INTEGER"});
    for (int i = 1; i <= 10; ++i)
        c.push_back({QStringLiteral("zero%1").arg(i), "REAL"});
    c.push_back({QStringLiteral("NumTemp"), "REAL"});
    for (int i = 1; i <= 8; ++i)
        c.push_back({QStringLiteral("Disp%1").arg(i), "REAL"});
    c.push_back({QStringLiteral("Reference"), "REAL"});
    return c;
}

QStringList namesOf(const std::vector<ColumnDef>& defs) {
    QStringList names;
    for (const ColumnDef& d : defs)
        names << d.name;
    return names;
}

// The first column may carry a constraint of its own (the register's key).
QString createTable(const QString& table, const std::vector<ColumnDef>& defs,
                    const char* firstConstraint = "") {
    QStringList lines;
    for (const ColumnDef& d : defs)
        lines << QStringLiteral("  %1 %2").arg(d.name, QLatin1String(d.type));
    lines[0] += QLatin1String(firstConstraint);
    return QStringLiteral("CREATE TABLE %1 (\n").arg(quoteName(table)) +
           lines.join(QStringLiteral(",\n")) + QStringLiteral("\n) STRICT;\n");
}

QString sensorsTable() {
    return createTable(table::Sensors, sensorDefs(), " NOT NULL PRIMARY KEY");
}

QString templateTable() {
    return createTable(table::Template, readingDefs()) +
           QStringLiteral("CREATE UNIQUE INDEX `sensordata_DateTimeKey` ON `sensordata` "
                          "(DateTimeKey);\n"
                          "CREATE INDEX `sensordata_FullDate` ON `sensordata` (FullDate);\n");
}

const char* const FixedTables =
    "CREATE TABLE `Configuration` (\n"
    "  SensorType TEXT,\n  ModelName TEXT,\n  NumNodes INTEGER\n) STRICT;\n"
    "CREATE TABLE `Prefs` (\n  MaxY TEXT,\n  MinY TEXT,\n  MinX TEXT,\n  MaxX TEXT\n) STRICT;\n"
    "CREATE TABLE `NetworkConfig` (\n  SensorID TEXT,\n  LoggerID TEXT,\n  Channel INTEGER\n"
    ") STRICT;\n"
    "CREATE INDEX `NetworkConfig_SensorID` ON `NetworkConfig` (SensorID);\n"
    "INSERT INTO `Configuration` (SensorType, ModelName, NumNodes) VALUES ('21', 'q1MPBX', 1);\n"
    "INSERT INTO `Prefs` (MaxY, MinY, MinX, MaxX) VALUES ('10', '-10', '0', '0');\n";

// "CREATE TABLE <name> (" or "CREATE [UNIQUE] INDEX <name> ON <table> (": the
// part before the column list, which is all that names the template.
const QRegularExpression& tableHead() {
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*CREATE\s+TABLE\s+(?:`[^`]*`|"[^"]*"|\[[^\]]*\]|\w+)\s*\()"),
        QRegularExpression::CaseInsensitiveOption);
    return re;
}

const QRegularExpression& indexHead() {
    static const QRegularExpression re(
        QStringLiteral(
            R"(^\s*CREATE\s+(UNIQUE\s+)?INDEX\s+(`[^`]*`|"[^"]*"|\[[^\]]*\]|\w+)\s+ON\s+(?:`[^`]*`|"[^"]*"|\[[^\]]*\]|\w+)\s*\()"),
        QRegularExpression::CaseInsensitiveOption);
    return re;
}

QString bareName(QString n) {
    if (n.size() >= 2 && (n.front() == QLatin1Char('`') || n.front() == QLatin1Char('"') ||
                          n.front() == QLatin1Char('[')))
        n = n.mid(1, n.size() - 2);
    return n;
}

} // namespace

QStringList sensorColumns() {
    return namesOf(sensorDefs());
}
QStringList readingColumns() {
    return namesOf(readingDefs());
}

QStringList schemaDefinitions() {
    QStringList all{sensorsTable(), templateTable(), QString::fromLatin1(FixedTables)};
    for (const SchemaStep& step : schemaSteps())
        all << step.statements;
    QStringList statements;
    for (const QString& text : all)
        for (const QString& s : text.split(QLatin1Char(';')))
            if (s.trimmed().startsWith(QLatin1String("CREATE"), Qt::CaseInsensitive) ||
                s.trimmed().startsWith(QLatin1String("ALTER"), Qt::CaseInsensitive))
                statements << s;
    return statements;
}

void createDatabaseFile(const QString& path) {
    if (QFileInfo::exists(path))
        throw Error(code::CantOpen, QStringLiteral("file already exists: %1").arg(path));
    const QString aside = path + QStringLiteral(".new");
    QFile::remove(aside);
    try {
        {
            auto db = Database::create(aside);
            db->transaction([&] {
                db->execute(sensorsTable());
                db->execute(templateTable());
                db->execute(QString::fromLatin1(FixedTables));
            });
            // A new file takes the same steps as an old one brought up to date.
            upgradeSchema(*db, {}, false);
        }
        if (!QFile::rename(aside, path))
            throw Error(code::CantOpen, QStringLiteral("cannot create %1").arg(path));
    } catch (...) {
        QFile::remove(aside);
        throw;
    }
}

void createServerSchema(Database& db) {
    if (!db.isServer())
        throw Error(code::Misuse, QStringLiteral("not a server database: ") + db.path());
    db.immediateTransaction([&] {
        const QStringList present = db.tableNames();
        if (!present.isEmpty())
            throw Error(code::Error,
                        QStringLiteral("the database %1 already holds tables (%2); a new "
                                       "database of this program needs an empty one")
                            .arg(db.path(),
                                 present.mid(0, 5).join(QStringLiteral(", ")) +
                                     (present.size() > 5 ? QStringLiteral(", ...") : QString())));
        // SQLite's NOCASE compares without regard to case; so does this.
        db.execute(QStringLiteral(
            "/*server*/CREATE COLLATION IF NOT EXISTS tolvane_nocase (provider = icu, locale = "
            "'und-u-ks-level2', deterministic = false)"));
        // Tells the other connections which table changed, once per statement.
        db.execute(QStringLiteral(
            "/*server*/CREATE OR REPLACE FUNCTION tolvane_changed() RETURNS trigger LANGUAGE "
            "plpgsql AS $$ BEGIN PERFORM pg_notify('tolvane_changes', TG_TABLE_NAME); RETURN "
            "NULL; END $$"));
        db.execute(sensorsTable());
        db.execute(templateTable());
        db.execute(QString::fromLatin1(FixedTables));
        upgradeSchema(db, {}, false);
        watchRowsOnServer(db);
    });
}

void copyTemplate(Database& db, const QString& name) {
    const QString quoted = quoteName(name);
    if (db.isServer()) {
        // The server copies a table's whole definition itself; the trigger
        // that tells others of a change is the table's own and is added.
        const QString server = QStringLiteral("\"%1\"").arg(
            QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")));
        db.transaction([&] {
            db.execute(QStringLiteral("/*server*/CREATE TABLE %1 (LIKE \"%2\" INCLUDING ALL); %3; "
                                      "SELECT pg_notify('tolvane_changes', 'schema')")
                           .arg(server, table::Template,
                                QString::fromStdString(changeTriggerFor(server.toStdString()))));
        });
        return;
    }
    const QString definition = db.tableDefinition(table::Template);
    const auto head = tableHead().match(definition);
    if (!head.hasMatch())
        throw Error(code::Error, QStringLiteral("cannot read the definition of sensordata"));

    QStringList statements;
    statements << QStringLiteral("CREATE TABLE ") + quoted + QStringLiteral(" (") +
                      definition.mid(head.capturedEnd());
    for (const QString& index : db.indexDefinitions(table::Template)) {
        const auto m = indexHead().match(index);
        if (!m.hasMatch()) continue;
        // sensordata_DateTimeKey becomes <number>_DateTimeKey.
        QString indexName = bareName(m.captured(2));
        if (indexName.startsWith(table::Template + QLatin1Char('_'), Qt::CaseInsensitive))
            indexName = indexName.mid(table::Template.size() + 1);
        statements << QStringLiteral("CREATE %1INDEX %2 ON %3 (")
                              .arg(m.captured(1).isEmpty() ? QString() : QStringLiteral("UNIQUE "),
                                   quoteName(name + QLatin1Char('_') + indexName), quoted) +
                          index.mid(m.capturedEnd());
    }
    db.transaction([&] {
        for (const QString& s : statements)
            db.execute(s);
    });
}

} // namespace store
