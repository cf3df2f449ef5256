#include "migration/Copy.h"

#include "migration/Texts.h"
#include "store/Database.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace migration {

QString copyColumnType(const JetColumn& column) {
    switch (JetType(column.type)) {
    case JetType::Boolean:
        return QStringLiteral("BOOLEAN");
    case JetType::Byte:
        return QStringLiteral("BYTE");
    case JetType::Integer:
        return QStringLiteral("SMALLINT");
    case JetType::Long:
    case JetType::Complex:
        return QStringLiteral("INTEGER");
    case JetType::Money:
        return QStringLiteral("CURRENCY");
    case JetType::Single:
        return QStringLiteral("FLOAT");
    case JetType::Double:
        return QStringLiteral("DOUBLE");
    case JetType::DateTime:
        return QStringLiteral("DATETIME");
    case JetType::Binary:
        return QStringLiteral("VARBINARY(%1)").arg(column.size);
    case JetType::Text:
        // Jet 4 and ACE record the size in bytes of two-byte characters.
        return QStringLiteral("VARCHAR(%1)").arg(column.size);
    case JetType::Ole:
        return QStringLiteral("LONGBINARY");
    case JetType::Memo:
        return QStringLiteral("LONGTEXT");
    case JetType::Guid:
        return QStringLiteral("GUID");
    case JetType::Numeric:
        return QStringLiteral("DECIMAL(%1,%2)").arg(column.precision).arg(column.scale);
    }
    return QStringLiteral("BLOB");
}

namespace {

void bindValue(sqlite3_stmt* st, int index, const JetValue& v) {
    switch (v.kind) {
    case JetValue::Kind::Null:
        sqlite3_bind_null(st, index);
        break;
    case JetValue::Kind::Integer:
        sqlite3_bind_int64(st, index, v.integer);
        break;
    case JetValue::Kind::Real:
        sqlite3_bind_double(st, index, v.real);
        break;
    case JetValue::Kind::Text:
        sqlite3_bind_text(st, index, v.bytes.data(), int(v.bytes.size()), SQLITE_STATIC);
        break;
    case JetValue::Kind::Blob:
        sqlite3_bind_blob(st, index, v.bytes.data(), int(v.bytes.size()), SQLITE_STATIC);
        break;
    }
}

// Money and decimals are kept as the exact text Jet's value gives; the
// column's affinity would make 18.0000 the integer 18, which is the same value.
void copyTable(JetFile& jet, const JetTable& table, store::Database& db, CopiedTable& copied,
               const std::function<void(qint64 rows)>& tick) {
    QStringList columns, marks;
    for (const JetColumn& c : table.columns) {
        columns << store::quoteName(c.name) + QLatin1Char(' ') + copyColumnType(c);
        marks << QStringLiteral("?");
    }
    if (columns.isEmpty()) {
        // Jet allows a table without columns; SQLite does not.
        columns << QStringLiteral("`(no columns)` BLOB");
    }
    db.execute(QStringLiteral("CREATE TABLE %1 (%2)")
                   .arg(store::quoteName(table.name), columns.join(QStringLiteral(", "))));
    if (table.columns.empty()) return;
    store::Statement insert =
        db.prepare(QStringLiteral("INSERT INTO %1 VALUES (%2)")
                       .arg(store::quoteName(table.name), marks.join(QStringLiteral(", "))));
    sqlite3_stmt* st = insert.get();
    copied.rows = jet.readRows(table.name, [&](const std::vector<JetValue>& row) {
        for (size_t i = 0; i < row.size(); ++i)
            bindValue(st, int(i) + 1, row[i]);
        insert.run();
        tick(1);
        return true;
    });
}

} // namespace

std::vector<CopiedTable> copyJetFile(JetFile& jet, const QString& out, const Progress& progress) {
    if (QFileInfo::exists(out))
        throw store::Error(store::code::CantOpen, texts::TargetExists + QStringLiteral(": ") + out);
    std::vector<JetTable> tables;
    qint64 total = 0;
    for (const QString& name : jet.tableNames()) {
        tables.push_back(jet.table(name));
        total += tables.back().rows;
    }
    const QString aside = out + QStringLiteral(".part");
    QFile::remove(aside);
    std::vector<CopiedTable> copied;
    try {
        {
            auto db = store::Database::create(aside);
            // A copy that fails is thrown away whole: no journal is needed.
            db->execute(QStringLiteral("PRAGMA journal_mode = MEMORY; PRAGMA synchronous = OFF"));
            qint64 done = 0;
            db->transaction([&] {
                for (const JetTable& t : tables) {
                    CopiedTable c;
                    c.name = t.name;
                    c.recorded = t.rows;
                    auto tell = [&](qint64 rows) {
                        done += rows;
                        if (progress && done % 4096 == 0 && !progress(t.name, done, total))
                            throw store::Error(SQLITE_INTERRUPT, texts::Cancelled);
                    };
                    if (progress && !progress(t.name, done, total))
                        throw store::Error(SQLITE_INTERRUPT, texts::Cancelled);
                    copyTable(jet, t, *db, c, tell);
                    copied.push_back(c);
                }
            });
            if (progress) progress(QString(), total, total);
        }
        if (!QFile::rename(aside, out))
            throw store::Error(store::code::CantOpen,
                               QStringLiteral("cannot write the copy %1").arg(out));
    } catch (...) {
        QFile::remove(aside);
        throw;
    }
    return copied;
}

} // namespace migration
