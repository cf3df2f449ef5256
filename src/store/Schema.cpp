#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace store {

QStringList sensorColumns() {
    QStringList c{QStringLiteral("InstrumentID"), QStringLiteral("DateID"),
                  QStringLiteral("TypeID"),       QStringLiteral("SensorNo"),
                  QStringLiteral("Family"),       QStringLiteral("Model"),
                  QStringLiteral("SensorType"),   QStringLiteral("LengthofCable"),
                  QStringLiteral("Level"),        QStringLiteral("Location"),
                  QStringLiteral("Borehole"),     QStringLiteral("InstallDate"),
                  QStringLiteral("InstallBy"),    QStringLiteral("Purpose"),
                  QStringLiteral("Notes"),        QStringLiteral("Recess"),
                  QStringLiteral("HeadLocation")};
    for (int i = 1; i <= 8; ++i)
        c << QStringLiteral("NodeLocation%1").arg(i);
    c << QStringLiteral("Destroyed") << QStringLiteral("DestructionDate");
    return c;
}

QStringList readingColumns() {
    QStringList c{QStringLiteral("DateTimeKey"), QStringLiteral("ReadingDate"),
                  QStringLiteral("ReadingTime"), QStringLiteral("ChannelT")};
    for (int i = 1; i <= 10; ++i)
        c << QStringLiteral("Channel%1").arg(i);
    c << QStringLiteral("FullDate") << QStringLiteral("IsDirty") << QStringLiteral("Plottemporal")
      << QStringLiteral("PlotSpatial");
    for (int i = 1; i <= 10; ++i)
        c << QStringLiteral("zero%1").arg(i);
    c << QStringLiteral("NumTemp");
    for (int i = 1; i <= 8; ++i)
        c << QStringLiteral("Disp%1").arg(i);
    c << QStringLiteral("Reference");
    return c;
}

namespace {

QString sensorsTable() {
    QString cols = QStringLiteral(
        "  InstrumentID TEXT NOT NULL PRIMARY KEY,\n"
        "  DateID TEXT,\n  TypeID TEXT,\n  SensorNo TEXT,\n  Family TEXT,\n  Model TEXT,\n"
        "  SensorType TEXT,\n  LengthofCable REAL,\n  Level TEXT,\n  Location TEXT,\n"
        "  Borehole TEXT,\n  InstallDate TEXT,\n  InstallBy TEXT,\n  Purpose TEXT,\n"
        "  Notes TEXT,\n  Recess REAL,\n  HeadLocation INTEGER,\n");
    for (int i = 1; i <= 8; ++i)
        cols += QStringLiteral("  NodeLocation%1 REAL,\n").arg(i);
    cols += QStringLiteral("  Destroyed TEXT,\n  DestructionDate TEXT\n");
    return QStringLiteral("CREATE TABLE `Sensors` (\n") + cols + QStringLiteral(") STRICT;\n");
}

QString templateTable() {
    QString cols = QStringLiteral(
        "  DateTimeKey TEXT,\n  ReadingDate TEXT,\n  ReadingTime TEXT,\n  ChannelT REAL,\n");
    for (int i = 1; i <= 10; ++i)
        cols += QStringLiteral("  Channel%1 REAL,\n").arg(i);
    cols += QStringLiteral("  FullDate TEXT,\n  IsDirty INTEGER,\n  Plottemporal INTEGER,\n"
                           "  PlotSpatial INTEGER,\n");
    for (int i = 1; i <= 10; ++i)
        cols += QStringLiteral("  zero%1 REAL,\n").arg(i);
    cols += QStringLiteral("  NumTemp REAL,\n");
    for (int i = 1; i <= 8; ++i)
        cols += QStringLiteral("  Disp%1 REAL,\n").arg(i);
    cols += QStringLiteral("  Reference REAL\n");
    return QStringLiteral("CREATE TABLE `sensordata` (\n") + cols +
           QStringLiteral(") STRICT;\n"
                          "CREATE UNIQUE INDEX `sensordata_DateTimeKey` ON `sensordata` "
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
        }
        if (!QFile::rename(aside, path))
            throw Error(code::CantOpen, QStringLiteral("cannot create %1").arg(path));
    } catch (...) {
        QFile::remove(aside);
        throw;
    }
}

void copyTemplate(Database& db, const QString& name) {
    const QString quoted = quoteName(name);
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
