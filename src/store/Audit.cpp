#include "store/Audit.h"

namespace store {

QString stampText(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString actorStamp(Database& db) {
    const Actor& actor = db.actor();
    return stampText(actor.now ? actor.now() : QDateTime::currentDateTime());
}

QString actorUser(Database& db) {
    return db.actor().user.isEmpty() ? systemUserName() : db.actor().user;
}

void auditEdit(Database& db, const QString& sensor, const QString& target,
               const std::vector<RowSet::FieldChange>& changes) {
    AuditEntry e;
    e.operation = operation::ReadingEdited;
    e.sensor = sensor;
    e.target = target;
    describeChanges(e, changes);
    audit(db, e);
}

bool hasAuditTrail(Database& db) {
    return db.hasTable(QStringLiteral("AuditTrail"));
}

namespace {

void bindText(Statement& st, int index, const QString& text) {
    if (text.isEmpty())
        st.bindNull(index);
    else
        st.bind(index, text);
}

// A server's trail names its database user as well.
QString recordColumns(Database& db) {
    return db.isServer() ? QStringLiteral("AuditID, At, User, Operation, SensorID, Target, "
                                          "OldValue, NewValue, Count, Note, DatabaseUser")
                         : QStringLiteral("AuditID, At, User, Operation, SensorID, Target, "
                                          "OldValue, NewValue, Count, Note");
}

void readRecord(const Statement& st, AuditRecord& r) {
    r.id = st.int64(0);
    r.at = st.text(1);
    r.user = st.text(2);
    r.entry.operation = st.text(3);
    r.entry.sensor = st.text(4);
    r.entry.target = st.text(5);
    r.entry.oldValue = st.text(6);
    r.entry.newValue = st.text(7);
    r.entry.count = st.number(8) ? std::optional<qint64>(st.int64(8)) : std::nullopt;
    r.entry.note = st.text(9);
    // "mira (as site_user)": who sat at the desk, and whom the server knew.
    if (st.columnCount() > 10) {
        const QString server = st.text(10);
        if (!server.isEmpty() && server != r.user) r.user += QStringLiteral(" (as %1)").arg(server);
    }
}

// The query's entries in trail order; the indexes on (SensorID, At) and (At)
// give that order without a sort.
Statement matching(Database& db, const AuditQuery& q, const QString& columns) {
    QString where = QStringLiteral("1");
    if (!q.sensor.isEmpty()) where += QStringLiteral(" AND SensorID = ?1");
    if (q.from) where += QStringLiteral(" AND At >= ?2");
    if (q.to) where += QStringLiteral(" AND At < ?3");
    Statement st =
        db.prepare(QStringLiteral("SELECT %1 FROM AuditTrail WHERE %2 ORDER BY At, AuditID")
                       .arg(columns, where));
    if (!q.sensor.isEmpty()) st.bind(1, q.sensor);
    if (q.from) st.bind(2, q.from->toString(QStringLiteral("yyyy-MM-dd")));
    if (q.to) st.bind(3, q.to->addDays(1).toString(QStringLiteral("yyyy-MM-dd")));
    return st;
}

} // namespace

void audit(Database& db, const AuditEntry& e) {
    if (!hasAuditTrail(db)) return;
    // A server knows its user besides the one at the desk; a file has none of
    // its own. (Every server database was made with the column.)
    const bool knowsUser = db.isServer();
    Statement st = db.prepare(
        knowsUser
            ? QStringLiteral("INSERT INTO AuditTrail (At, User, Operation, SensorID, Target, "
                             "OldValue, NewValue, Count, Note, DatabaseUser) VALUES (?1, ?2, ?3, "
                             "?4, ?5, ?6, ?7, ?8, ?9, ?10)")
            : QStringLiteral("INSERT INTO AuditTrail (At, User, Operation, SensorID, Target, "
                             "OldValue, NewValue, Count, Note) VALUES (?1, ?2, ?3, ?4, ?5, ?6, "
                             "?7, ?8, ?9)"));
    if (knowsUser) st.bind(10, db.databaseUser());
    st.bind(1, actorStamp(db));
    st.bind(2, actorUser(db));
    st.bind(3, e.operation);
    bindText(st, 4, e.sensor);
    bindText(st, 5, e.target);
    bindText(st, 6, e.oldValue);
    bindText(st, 7, e.newValue);
    if (e.count)
        st.bind(8, *e.count);
    else
        st.bindNull(8);
    bindText(st, 9, e.note);
    st.run();
}

QString auditValue(const QVariant& value) {
    if (value.isNull()) return {};
    if (value.typeId() == QMetaType::Double) return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

void describeChanges(AuditEntry& entry, const std::vector<RowSet::FieldChange>& changes) {
    QStringList before, after;
    for (const RowSet::FieldChange& c : changes) {
        before << c.field + QStringLiteral(": ") + auditValue(c.before);
        after << c.field + QStringLiteral(": ") + auditValue(c.after);
    }
    entry.oldValue = before.join(QLatin1Char('\n'));
    entry.newValue = after.join(QLatin1Char('\n'));
}

void forEachAuditRecord(Database& db, const AuditQuery& q,
                        const std::function<bool(const AuditRecord&)>& f) {
    if (!hasAuditTrail(db)) return;
    Statement st = matching(db, q, recordColumns(db));
    AuditRecord r;
    while (st.step()) {
        readRecord(st, r);
        if (!f(r)) break;
    }
}

std::vector<qint64> auditRecordIds(Database& db, const AuditQuery& q) {
    std::vector<qint64> ids;
    if (!hasAuditTrail(db)) return ids;
    Statement st = matching(db, q, QStringLiteral("AuditID"));
    while (st.step())
        ids.push_back(st.int64(0));
    return ids;
}

std::vector<AuditRecord> auditRecords(Database& db, const std::vector<qint64>& ids) {
    std::vector<AuditRecord> records;
    if (ids.empty() || !hasAuditTrail(db)) return records;
    records.reserve(ids.size());
    Statement st = db.prepare(
        QStringLiteral("SELECT %1 FROM AuditTrail WHERE AuditID = ?1").arg(recordColumns(db)));
    for (const qint64 id : ids) {
        st.bind(1, id);
        if (st.step()) {
            records.emplace_back();
            readRecord(st, records.back());
        }
        st.reset();
    }
    return records;
}

QStringList auditedSensors(Database& db) {
    QStringList numbers;
    if (!hasAuditTrail(db)) return numbers;
    Statement st = db.prepare(QStringLiteral(
        "SELECT DISTINCT SensorID FROM AuditTrail WHERE SensorID IS NOT NULL ORDER BY SensorID"));
    while (st.step())
        numbers << st.text(0);
    return numbers;
}

} // namespace store
