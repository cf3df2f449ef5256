#include "store/ReadingTables.h"

#include "store/Audit.h"
#include "store/RecycleArea.h"
#include "store/Schema.h"
#include "store/ServerAddress.h"

#include <QFileInfo>

namespace store {

namespace {

bool isEngineTable(const QString& name) {
    return name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive) ||
           name.startsWith(QLatin1String("MSys"));
}

bool holdsTable(Database& db, const QString& name) {
    return !isEngineTable(name) && db.hasTable(name);
}

bool sameFile(const QString& a, const QString& b) {
    if (a == b) return true;
    const QFileInfo fa(a), fb(b);
    const QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
    return !ca.isEmpty() ? ca == cb : fa.absoluteFilePath() == fb.absoluteFilePath();
}

} // namespace

QString readingsQuery(const QString& sensorNumber) {
    return QStringLiteral("SELECT * FROM ") + quoteName(sensorNumber) +
           QStringLiteral(" ORDER BY FullDate");
}

bool fileHoldsTable(Database* open, const QString& path, const QString& name) {
    if (isEngineTable(name)) return false;
    // The open connection already knows its schema; another file gets a
    // connection of its own, closed at once.
    if (open && sameFile(open->path(), path)) return open->hasTable(name);
    // A server's address names the database the connection is to.
    if (open && open->isServer() && isServerAddress(path)) return open->hasTable(name);
    if (isServerAddress(path)) return Database::connect(path)->hasTable(name);
    auto other = Database::open(path, /*readOnly=*/true);
    return other->hasTable(name);
}

bool readingTableExists(Database& db, const QString& sensorNumber) {
    return holdsTable(db, sensorNumber);
}

void createReadingTable(Database& db, const QString& sensorNumber) {
    copyTemplate(db, sensorNumber);
}

void replaceReadingTable(Database& db, const QString& sensorNumber) {
    db.transaction([&] {
        // The readings the old table held can be recovered.
        const qint64 recycled = recycleReadings(db, sensorNumber, ReadingRows{});
        if (recycled > 0 && hasAuditTrail(db)) {
            AuditEntry e;
            e.operation = operation::ReadingsDeleted;
            e.sensor = sensorNumber;
            e.target = QStringLiteral("all");
            e.count = recycled;
            audit(db, e);
        }
        db.execute(QStringLiteral("DROP TABLE ") + quoteName(sensorNumber));
        copyTemplate(db, sensorNumber);
    });
}

void openReadings(Database& db, const QString& sensorNumber, std::unique_ptr<RowSet>& readings) {
    const QString query = readingsQuery(sensorNumber);
    if (readings && readings->isOpen() && readings->source() == query) {
        readings->Requery();
    } else {
        if (readings) {
            readings->Close();
            readings.reset();
        }
        readings = std::make_unique<RowSet>(db, query);
    }
    if (readings->RecordCount() > 0) readings->MoveFirst();
}

} // namespace store
