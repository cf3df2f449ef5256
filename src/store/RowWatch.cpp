#include "store/RowWatch.h"

namespace store {

const std::vector<RowWatch::Watched>& RowWatch::sensorTables() {
    static const std::vector<Watched> tables{
        {QStringLiteral("ReadingQuality"), QStringLiteral("SensorID")},
        {QStringLiteral("ZeroReadings"), QStringLiteral("SensorID")},
        {QStringLiteral("SensorThresholds"), QStringLiteral("SensorID")},
        {QStringLiteral("SensorTriggers"), QStringLiteral("SensorID")},
        {QStringLiteral("RecycledReadings"), QStringLiteral("SensorID")},
        {QStringLiteral("Sensors"), QStringLiteral("InstrumentID")}};
    return tables;
}

void watchRowsOnServer(Database& db) {
    // Once a statement, over the rows it changed: a trigger for each row would
    // cost more than the write itself when thousands of readings move to the
    // recycle area. The server allows the changed rows' tables only to a
    // trigger of one event, hence three.
    db.execute(QStringLiteral(
        "/*server*/CREATE OR REPLACE FUNCTION tolvane_rows_changed() RETURNS trigger LANGUAGE "
        "plpgsql AS $$ DECLARE k text; BEGIN IF TG_OP <> 'INSERT' THEN FOR k IN EXECUTE "
        "format('SELECT DISTINCT %I::text FROM tolvane_old', TG_ARGV[0]) LOOP PERFORM "
        "pg_notify('tolvane_changes', 'row:' || TG_TABLE_NAME || ':' || coalesce(k, '')); END "
        "LOOP; END IF; IF TG_OP <> 'DELETE' THEN FOR k IN EXECUTE format('SELECT DISTINCT "
        "%I::text FROM tolvane_new', TG_ARGV[0]) LOOP PERFORM pg_notify('tolvane_changes', 'row:' "
        "|| TG_TABLE_NAME || ':' || coalesce(k, '')); END LOOP; END IF; RETURN NULL; END $$"));
    for (const RowWatch::Watched& t : RowWatch::sensorTables()) {
        if (!db.hasTable(t.table)) continue;
        const std::pair<const char*, const char*> events[] = {
            {"INSERT", "NEW TABLE AS tolvane_new"},
            {"UPDATE", "OLD TABLE AS tolvane_old NEW TABLE AS tolvane_new"},
            {"DELETE", "OLD TABLE AS tolvane_old"}};
        for (const auto& [event, tables] : events)
            db.execute(QStringLiteral("/*server*/CREATE TRIGGER tolvane_rows_%1 AFTER %2 ON \"%3\" "
                                      "REFERENCING %4 FOR EACH STATEMENT EXECUTE FUNCTION "
                                      "tolvane_rows_changed('%5')")
                           .arg(QString::fromLatin1(event).toLower(), QLatin1String(event),
                                t.table, QLatin1String(tables), t.column));
    }
}

RowWatch::RowWatch(Database& db, std::vector<Watched> tables) : db_(db) {
    for (Watched& t : tables)
        if (db.hasTable(t.table)) tables_.push_back(std::move(t));
    if (db.isServer()) {
        // The server names the keys at each commit where its row triggers are.
        Statement st = db.prepare(QStringLiteral(
            "/*server*/SELECT 1 FROM pg_catalog.pg_proc WHERE proname = 'tolvane_rows_changed'"));
        precise_ = st.step();
        return;
    }
    precise_ = true;
    db.execute(QStringLiteral(
        "CREATE TEMP TABLE IF NOT EXISTS tolvane_status_dirty (SensorID TEXT PRIMARY KEY)"));
    for (const Watched& t : tables_) {
        // Unqualified: a trigger may not name the schema; the temporary
        // table is found first. No conflict to resolve: the outer statement's
        // own conflict clause would override any the trigger gave.
        const auto note = [&](const char* row) {
            return QStringLiteral("INSERT INTO tolvane_status_dirty SELECT %1.%2 WHERE NOT EXISTS "
                                  "(SELECT 1 FROM tolvane_status_dirty WHERE SensorID IS %1.%2);")
                .arg(QString::fromLatin1(row), t.column);
        };
        db.execute(QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS tolvane_status_%1_ins AFTER "
                                  "INSERT ON main.%1 BEGIN %2 END")
                       .arg(t.table, note("NEW")));
        db.execute(QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS tolvane_status_%1_upd AFTER "
                                  "UPDATE ON main.%1 BEGIN %2 %3 END")
                       .arg(t.table, note("OLD"), note("NEW")));
        db.execute(QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS tolvane_status_%1_del AFTER "
                                  "DELETE ON main.%1 BEGIN %2 END")
                       .arg(t.table, note("OLD")));
    }
}

std::set<QString> RowWatch::takeTouched() {
    std::set<QString> touched;
    if (!precise_) return touched;
    if (db_.isServer()) {
        QStringList names;
        for (const Watched& t : tables_)
            names << t.table;
        return db_.takeTouchedKeys(names);
    }
    {
        Statement st =
            db_.prepare(QStringLiteral("SELECT SensorID FROM temp.tolvane_status_dirty"));
        while (st.step())
            touched.insert(st.text(0));
    }
    if (!touched.empty())
        db_.execute(QStringLiteral("DELETE FROM temp.tolvane_status_dirty WHERE 1"));
    return touched;
}

std::uint64_t RowWatch::writes() const {
    std::uint64_t n = 0;
    for (const Watched& t : tables_)
        n += db_.writesTo(t.table);
    return n;
}

std::map<QString, qint64> tableIdentities(Database& db) {
    std::map<QString, qint64> found;
    Statement st = db.prepare(
        db.isServer()
            ? QStringLiteral("/*server*/SELECT c.relname, c.oid FROM pg_catalog.pg_class c JOIN "
                             "pg_catalog.pg_namespace n ON n.oid = c.relnamespace WHERE n.nspname "
                             "= current_schema() AND c.relkind IN ('r', 'p')")
            : QStringLiteral("SELECT name, rootpage FROM sqlite_schema WHERE type = 'table'"));
    while (st.step())
        found[st.text(0)] = st.int64(1);
    return found;
}

} // namespace store
