#include "store/Audit.h"

namespace store {

QString stampText(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
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

} // namespace

void audit(Database& db, const AuditEntry& e) {
    Statement st = db.prepare(
        QStringLiteral("INSERT INTO AuditTrail (At, User, Operation, SensorID, Target, OldValue, "
                       "NewValue, Count, Note) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)"));
    const Actor& actor = db.actor();
    st.bind(1, stampText(actor.now ? actor.now() : QDateTime::currentDateTime()));
    st.bind(2, actor.user.isEmpty() ? systemUserName() : actor.user);
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

void forEachAuditRecord(Database& db, const AuditQuery& q,
                        const std::function<bool(const AuditRecord&)>& f) {
    if (!hasAuditTrail(db)) return;
    QString where = QStringLiteral("1");
    if (!q.sensor.isEmpty()) where += QStringLiteral(" AND SensorID = ?1");
    if (q.from) where += QStringLiteral(" AND At >= ?2");
    if (q.to) where += QStringLiteral(" AND At < ?3");
    Statement st = db.prepare(
        QStringLiteral("SELECT AuditID, At, User, Operation, SensorID, Target, OldValue, "
                       "NewValue, Count, Note FROM AuditTrail WHERE %1 ORDER BY At, AuditID")
            .arg(where));
    if (!q.sensor.isEmpty()) st.bind(1, q.sensor);
    if (q.from) st.bind(2, q.from->toString(QStringLiteral("yyyy-MM-dd")));
    if (q.to) st.bind(3, q.to->addDays(1).toString(QStringLiteral("yyyy-MM-dd")));
    AuditRecord r;
    while (st.step()) {
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
        if (!f(r)) break;
    }
}

} // namespace store
