#include "migration/Migration.h"

#include "migration/Texts.h"
#include "store/Error.h"
#include "store/Schema.h"
#include "store/SchemaVersion.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QTextStream>

#include <algorithm>

namespace migration {

QString convertedPath(const QString& jetPath) {
    const QFileInfo info(jetPath);
    return info.absoluteDir().filePath(info.completeBaseName() + QStringLiteral("-converted.mdb"));
}

QString reportPath(const QString& convertedFile) {
    const QFileInfo info(convertedFile);
    return info.absoluteDir().filePath(info.completeBaseName() +
                                       QStringLiteral("-migration-report.txt"));
}

void checkJetFile(JetFile& jet) {
    // The register with its key column is what makes the file ours.
    for (const QString& name : jet.tableNames())
        if (name.compare(store::table::Sensors, Qt::CaseInsensitive) == 0)
            for (const JetColumn& c : jet.table(name).columns)
                if (c.name.compare(QLatin1String("InstrumentID"), Qt::CaseInsensitive) == 0) return;
    throw store::Error(store::code::NotADatabase, texts::foreign(jet.tableNames()));
}

namespace {

// Progress of the whole: the copy is the first half, the adopt step the second.
Progress half(const Progress& progress, int which) {
    if (!progress) return {};
    return [progress, which](const QString& table, qint64 done, qint64 total) {
        // A definition's row count may be short (a file closed in a hurry).
        const qint64 scaled = total > 0 ? std::min(done, total) * 500 / total : 500;
        const QString what = table.isEmpty() ? QString()
                             : which == 0    ? texts::copying(table)
                                             : texts::adopting(table);
        return progress(what, which * 500 + scaled, 1000);
    };
}

QString reportText(const QString& jetPath, const QString& version, const QString& converted,
                   const QDateTime& written, const std::vector<CopiedTable>& copied,
                   const AdoptReport& adopted, QFile& details) {
    QString text;
    QTextStream out(&text);
    out << "Migration report\n\n"
        << "From:    " << QDir::toNativeSeparators(jetPath) << " (" << version << "; not changed)\n"
        << "To:      " << QDir::toNativeSeparators(converted) << " (schema version "
        << store::currentSchemaVersion() << ")\n"
        << "Written: " << written.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << "\n\n"
        << "Tables of the original file (rows read):\n";
    for (const CopiedTable& t : copied)
        out << "  " << t.name << ": " << t.rows << "\n";
    out << "\nTables of the converted database (rows read, rows written):\n";
    for (const AdoptedTable& t : adopted.tables) {
        if (t.to.isEmpty()) continue;
        out << "  " << t.to;
        if (t.from.isEmpty())
            out << ": none in the original file; made empty\n";
        else
            out << ": " << t.read << " read, " << t.written << " written\n";
    }
    out << "\nRows not written as rows of Tolvane: " << adopted.dropped
        << "\nValues changed or left empty: " << adopted.changed << "\nRows kept in the table "
        << SetAsideTable << ": " << adopted.setAside << "\n";
    if (!adopted.notes.isEmpty()) {
        out << "\nNotes:\n";
        for (const QString& n : adopted.notes)
            out << "  " << n << "\n";
    }
    out << "\nEverything dropped or changed, with its reason:\n";
    out.flush();
    details.seek(0);
    if (details.size() == 0) text += QStringLiteral("  nothing\n");
    while (!details.atEnd())
        text += QStringLiteral("  ") + QString::fromUtf8(details.readLine());
    return text;
}

} // namespace

Migration migrate(const QString& jetPath, const QString& to, const Progress& progress,
                  const store::Actor& by) {
    Migration m;
    m.converted = to.isEmpty() ? convertedPath(jetPath) : QFileInfo(to).absoluteFilePath();
    m.report = reportPath(m.converted);
    auto jet = JetFile::open(jetPath);
    checkJetFile(*jet);
    if (QFileInfo::exists(m.converted))
        throw store::Error(store::code::CantOpen,
                           texts::TargetExists + QStringLiteral(": ") + m.converted);
    if (QFileInfo(m.converted).absoluteFilePath() == QFileInfo(jetPath).absoluteFilePath())
        throw store::Error(store::code::CantOpen, texts::TargetExists);

    // The copy sits beside the converted file while it is made, and goes.
    const QString copy = m.converted + QStringLiteral(".copy");
    QFile::remove(copy);
    QTemporaryFile details;
    if (!details.open())
        throw store::Error(store::code::CantOpen,
                           QStringLiteral("cannot make a temporary file for the report"));
    try {
        const std::vector<CopiedTable> copied = copyJetFile(*jet, copy, half(progress, 0));
        m.adopted = adoptCopy(
            copy, m.converted, QDir::toNativeSeparators(QFileInfo(jetPath).absoluteFilePath()),
            half(progress, 1), [&](const QString& line) { details.write((line + '\n').toUtf8()); },
            by);
        QFile::remove(copy);
        m.text = reportText(jetPath, jet->version(), m.converted,
                            by.now ? by.now() : QDateTime::currentDateTime(), copied, m.adopted,
                            details);
        QSaveFile report(m.report);
        if (!report.open(QIODevice::WriteOnly) || report.write(m.text.toUtf8()) < 0 ||
            !report.commit())
            throw store::Error(
                store::code::CantOpen,
                QStringLiteral("cannot write the migration report %1").arg(m.report));
    } catch (...) {
        QFile::remove(copy);
        QFile::remove(m.converted);
        throw;
    }
    if (progress) progress(QString(), 1000, 1000);
    return m;
}

} // namespace migration
