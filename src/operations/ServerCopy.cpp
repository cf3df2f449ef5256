#include "operations/ServerCopy.h"

#include "app/DataFolder.h"
#include "migration/JetFile.h"
#include "migration/Migration.h"
#include "operations/Texts.h"
#include "store/Audit.h"
#include "store/Schema.h"
#include "store/SchemaVersion.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <variant>

namespace operations {

namespace {

using store::Error;
namespace code = store::code;

// The tables the schema defines, by their names in lower case, in the schema's
// spelling; and the columns that number their rows (INTEGER PRIMARY KEY), whose
// counters must go on above the copied numbers.
struct SchemaTables {
    std::map<QString, QString> names;
    std::vector<std::pair<QString, QString>> numbered; // table, column
};

const SchemaTables& schemaTables() {
    static const SchemaTables tables = [] {
        SchemaTables t;
        static const QRegularExpression head(
            QStringLiteral(
                R"(^\s*CREATE\s+TABLE\s+(?:IF\s+NOT\s+EXISTS\s+)?[`"\[]?(\w+)[`"\]]?\s*\()"),
            QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression numbered(
            QStringLiteral(R"([(,]\s*[`"]?(\w+)[`"]?\s+INTEGER\s+PRIMARY\s+KEY)"),
            QRegularExpression::CaseInsensitiveOption);
        for (const QString& statement : store::schemaDefinitions()) {
            const auto m = head.match(statement);
            if (!m.hasMatch()) continue;
            const QString name = m.captured(1);
            t.names[name.toLower()] = name;
            if (const auto key = numbered.match(statement); key.hasMatch())
                t.numbered.emplace_back(name, key.captured(1));
        }
        return t;
    }();
    return tables;
}

qint64 countRows(store::Database& db, const QString& table) {
    store::Statement st =
        db.prepare(QStringLiteral("SELECT COUNT(*) FROM %1").arg(store::quoteName(table)));
    return st.step() ? st.int64(0) : 0;
}

// The source as a database of this program's current version, in folder: a
// Jet file converted, a file of ours copied through the engine (one consistent
// state, even while the window writes to it) and brought up to date there.
std::unique_ptr<store::Database> workingCopy(const QString& source, const QString& folder,
                                             ServerCopy& out, const CopyProgress& progress,
                                             const store::Actor& by) {
    const QString path = QFileInfo(source).absoluteFilePath();
    if (const QString reason = app::reasonBeforeOpening(path); !reason.isEmpty())
        throw Error(code::CantOpen, reason + QStringLiteral(": ") + path);
    const QString copy = QDir(folder).filePath(QStringLiteral("source.sqlite"));
    if (migration::isJetFile(path)) {
        migration::Progress converting;
        if (progress)
            converting = [&progress](const QString& table, qint64 done, qint64 total) {
                return progress(table, done, total);
            };
        migration::migrate(path, copy, converting, by);
        out.converted = true;
    } else {
        std::unique_ptr<store::Database> original;
        try {
            original = store::Database::open(path, true);
        } catch (const Error& e) {
            throw Error(e.number(), app::reasonFromEngine(e) + QStringLiteral(": ") + path);
        }
        if (!original->hasTable(store::table::Sensors))
            throw Error(code::NotADatabase, texts::sourceForeign(path));
        store::Statement vacuum = original->prepare(QStringLiteral("VACUUM INTO ?1"));
        vacuum.bind(1, copy);
        vacuum.run();
    }
    std::unique_ptr<store::Database> db = store::Database::open(copy);
    if (!db->hasTable(store::table::Sensors))
        throw Error(code::NotADatabase, texts::sourceForeign(path));
    const int version = store::schemaVersion(*db);
    out.sourceVersion = version;
    if (version > store::currentSchemaVersion())
        throw Error(code::ReadOnly,
                    texts::sourceNewer(path, version, store::currentSchemaVersion()));
    // The copy's own upgrade is no change of the user's data: not audited.
    if (version < store::currentSchemaVersion()) store::upgradeSchema(*db, {}, false);
    return db;
}

// The rows each table of a new database holds (its settings), by lower-case name.
std::map<QString, qint64> newDatabaseRows(const QString& folder) {
    const QString path = QDir(folder).filePath(QStringLiteral("new.sqlite"));
    store::createDatabaseFile(path);
    std::unique_ptr<store::Database> db = store::Database::open(path, true);
    std::map<QString, qint64> rows;
    for (const QString& table : db->tableNames())
        rows[table.toLower()] = countRows(*db, table);
    return rows;
}

struct Planned {
    QString from; // the source's name
    QString to;   // the target's
    bool readingTable = false;
    qint64 rows = 0;
};

using Value = std::variant<std::monostate, qint64, double, std::string>;

// Copies every row of from's table into to's, in the source's row order, by
// batches of many rows per statement: one round trip each.
void copyRows(store::Database& from, store::Database& to, const Planned& table,
              const CopyProgress& progress) {
    std::map<QString, QString> targetColumns;
    for (const store::Database::ColumnInfo& c : to.columns(table.to))
        targetColumns[c.name.toLower()] = c.name;
    QStringList read, written;
    for (const store::Database::ColumnInfo& c : from.columns(table.from)) {
        const auto it = targetColumns.find(c.name.toLower());
        if (it == targetColumns.end())
            throw Error(code::Mismatch, texts::extraColumn(table.from, c.name));
        read << store::quoteName(c.name);
        written << store::quoteName(it->second);
    }
    const int columns = int(read.size());
    if (columns == 0) return;
    // Well below the server's limit of parameters per statement.
    const int batch = std::clamp(30000 / columns, 1, 500);
    const QString row =
        QLatin1Char('(') +
        QStringList(qsizetype(columns), QStringLiteral("?")).join(QLatin1Char(',')) +
        QLatin1Char(')');
    auto insertText = [&](int rows) {
        return QStringLiteral("INSERT INTO %1 (%2) VALUES ")
                   .arg(store::quoteName(table.to), written.join(QLatin1Char(','))) +
               QStringList(qsizetype(rows), row).join(QLatin1Char(','));
    };

    std::vector<Value> values;
    values.reserve(size_t(batch) * size_t(columns));
    qint64 done = 0;
    auto flush = [&] {
        const int rows = int(values.size()) / columns;
        if (rows == 0) return;
        store::Statement insert = to.prepare(insertText(rows));
        for (size_t i = 0; i < values.size(); ++i) {
            const int index = int(i) + 1;
            const Value& v = values[i];
            if (std::holds_alternative<qint64>(v))
                insert.bind(index, std::get<qint64>(v));
            else if (std::holds_alternative<double>(v))
                insert.bind(index, std::get<double>(v));
            else if (std::holds_alternative<std::string>(v))
                insert.bindUtf8(index, std::get<std::string>(v));
            else
                insert.bindNull(index);
        }
        insert.run();
        values.clear();
        done += rows;
        if (progress && !progress(table.to, done, table.rows))
            throw Error(code::Interrupt,
                        QStringLiteral("the copy was cancelled; nothing was copied"));
    };

    // In the source's row order: the order the window lists rows in.
    store::Statement select =
        from.prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                         .arg(read.join(QLatin1Char(',')), store::quoteName(table.from)));
    while (select.step()) {
        for (int c = 0; c < columns; ++c) {
            switch (select.kind(c)) {
            case store::Statement::Kind::Null:
                values.emplace_back(std::monostate{});
                break;
            case store::Statement::Kind::Integer:
                values.emplace_back(select.int64(c));
                break;
            case store::Statement::Kind::Real:
                values.emplace_back(*select.number(c));
                break;
            case store::Statement::Kind::Text:
                values.emplace_back(std::string(select.utf8(c)));
                break;
            case store::Statement::Kind::Blob:
                throw Error(code::Mismatch, texts::blobValue(table.from, select.columnName(c)));
            }
        }
        if (int(values.size()) >= batch * columns) flush();
    }
    flush();
}

QString countsNote(const std::vector<CopiedTable>& tables) {
    QStringList parts;
    for (const CopiedTable& t : tables)
        parts << QStringLiteral("%1 %2").arg(t.table).arg(t.rows);
    return parts.join(QStringLiteral(", "));
}

} // namespace

ServerCopy copyIntoServer(store::Database& target, const QString& source,
                          const CopyProgress& progress) {
    if (!target.isServer()) throw Error(code::Misuse, texts::copyNeedsServer(target.path()));
    ServerCopy out;
    out.source = source;
    QTemporaryDir work;
    if (!work.isValid())
        throw Error(code::CantOpen,
                    QStringLiteral("cannot make a temporary folder: ") + work.errorString());
    std::unique_ptr<store::Database> copy =
        workingCopy(source, work.path(), out, progress, target.actor());
    const std::map<QString, qint64> newRows = newDatabaseRows(work.path());

    // What goes across: the schema's tables and the register's reading tables;
    // anything else is named and left out.
    const SchemaTables& schema = schemaTables();
    QStringList registered;
    {
        store::Statement st = copy->prepare(QStringLiteral("SELECT InstrumentID FROM Sensors"));
        while (st.step())
            registered << st.text(0);
    }
    std::vector<Planned> plan, readingTables;
    for (const QString& table : copy->tableNames()) {
        if (table.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive)) continue;
        const qint64 rows = countRows(*copy, table);
        if (const auto known = schema.names.find(table.toLower()); known != schema.names.end())
            plan.push_back({table, known->second, false, rows});
        else if (const auto number = std::find_if(
                     registered.begin(), registered.end(),
                     [&](const QString& n) { return n.compare(table, Qt::CaseInsensitive) == 0; });
                 number != registered.end())
            readingTables.push_back({table, *number, true, rows});
        else
            out.notCopied << QStringLiteral("%1 (%2 rows)").arg(table).arg(rows);
    }
    // The register first, then the other tables, then the readings by number.
    std::stable_partition(plan.begin(), plan.end(), [](const Planned& p) {
        return p.to.compare(store::table::Sensors, Qt::CaseInsensitive) == 0;
    });
    std::sort(readingTables.begin(), readingTables.end(),
              [](const Planned& a, const Planned& b) { return a.to < b.to; });
    plan.insert(plan.end(), readingTables.begin(), readingTables.end());

    // An empty target gets the tables in the copy's own transaction; one that
    // has them must be ours and of this version, as any connection for
    // writing makes it.
    const bool empty = target.tableNames().isEmpty();
    if (!empty) {
        if (!target.hasTable(store::table::Sensors))
            throw Error(code::NotADatabase, texts::targetForeign(target.path()));
        const int version = store::schemaVersion(target);
        if (version > store::currentSchemaVersion())
            throw Error(code::ReadOnly,
                        texts::sourceNewer(target.path(), version, store::currentSchemaVersion()));
        if (version < store::currentSchemaVersion()) store::upgradeSchema(target);
    }

    {
        target.immediateTransaction([&] {
            if (empty) {
                store::createServerSchema(target);
                out.initialised = true;
            }
            // Nothing but what a new database holds: its settings, replaced by
            // the source's below. The register first: it says it most plainly.
            QStringList present = target.tableNames();
            std::stable_partition(present.begin(), present.end(), [](const QString& t) {
                return t.compare(store::table::Sensors, Qt::CaseInsensitive) == 0;
            });
            for (const QString& table : present) {
                const QString lower = table.toLower();
                if (schema.names.count(lower)) {
                    const auto fresh = newRows.find(lower);
                    if (fresh != newRows.end() && fresh->second > 0) continue;
                    if (const qint64 rows = countRows(target, table); rows > 0)
                        throw Error(
                            code::Constraint,
                            texts::targetNotEmpty(target.path(), texts::targetHolds(table, rows)));
                } else if (std::any_of(readingTables.begin(), readingTables.end(),
                                       [&](const Planned& p) { return p.to.toLower() == lower; })) {
                    throw Error(code::Constraint,
                                texts::targetNotEmpty(target.path(), texts::targetHasTable(table)));
                }
            }
            for (const Planned& table : plan) {
                if (table.readingTable)
                    store::copyTemplate(target, table.to);
                else if (!target.hasTable(table.to))
                    continue; // a table of the schema the target lacks: counted as missing below
                else
                    target.execute(
                        QStringLiteral("DELETE FROM %1").arg(store::quoteName(table.to)));
                copyRows(*copy, target, table, progress);
            }
            // Every table's rows, counted on both sides.
            for (const Planned& table : plan) {
                const qint64 copied = target.hasTable(table.to) ? countRows(target, table.to) : 0;
                if (copied != table.rows)
                    throw Error(code::Mismatch, texts::countsDiffer(table.to, table.rows, copied));
                out.tables.push_back({table.to, copied});
                out.rows += copied;
            }
            // The numbers were copied as they were: the server's counters must
            // hand out the next ones above them.
            for (const auto& [table, column] : schema.numbered) {
                if (!target.hasTable(table)) continue;
                const QString t = QString(table).replace(QLatin1Char('"'), QStringLiteral("\"\""));
                const QString c = QString(column).replace(QLatin1Char('"'), QStringLiteral("\"\""));
                target.execute(
                    QStringLiteral("/*server*/SELECT setval(pg_get_serial_sequence('\"%1\"', "
                                   "'%2'), COALESCE(MAX(\"%2\"), 0) + 1, false) FROM \"%1\"")
                        .arg(t, c));
            }
            store::AuditEntry entry;
            entry.operation = texts::DatabaseCopied;
            entry.target = QFileInfo(source).absoluteFilePath();
            entry.count = out.rows;
            entry.note = countsNote(out.tables);
            store::audit(target, entry);
        });
    }
    return out;
}

} // namespace operations
