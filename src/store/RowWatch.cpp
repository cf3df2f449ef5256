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
    db.execute(QStringLiteral(
        "/*server*/CREATE OR REPLACE FUNCTION tolvane_row_changed() RETURNS trigger LANGUAGE "
        "plpgsql AS $$ BEGIN IF TG_OP <> 'INSERT' THEN PERFORM pg_notify('tolvane_changes', "
        "'row:' || TG_TABLE_NAME || ':' || coalesce(to_jsonb(OLD) ->> TG_ARGV[0], '')); END IF; "
        "IF TG_OP <> 'DELETE' THEN PERFORM pg_notify('tolvane_changes', 'row:' || TG_TABLE_NAME "
        "|| ':' || coalesce(to_jsonb(NEW) ->> TG_ARGV[0], '')); END IF; RETURN NULL; END $$"));
    for (const RowWatch::Watched& t : RowWatch::sensorTables()) {
        if (!db.hasTable(t.table)) continue;
        db.execute(QStringLiteral("/*server*/CREATE TRIGGER tolvane_row_changed AFTER INSERT OR "
                                  "UPDATE OR DELETE ON \"%1\" FOR EACH ROW EXECUTE FUNCTION "
                                  "tolvane_row_changed('%2')")
                       .arg(t.table, t.column));
    }
}

RowWatch::RowWatch(Database& db, std::vector<Watched> tables) : db_(db) {
    for (Watched& t : tables)
        if (db.hasTable(t.table)) tables_.push_back(std::move(t));
    if (db.isServer()) {
        // The server names the keys at each commit where its row triggers are.
        Statement st = db.prepare(QStringLiteral(
            "/*server*/SELECT 1 FROM pg_catalog.pg_proc WHERE proname = 'tolvane_row_changed'"));
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
