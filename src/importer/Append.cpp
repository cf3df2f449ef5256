#include "importer/Append.h"

#include "app/FileReplace.h"
#include "importer/Texts.h"
#include "store/Audit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <string>
#include <utility>

namespace importer {

namespace {

void twoDigits(std::string& out, int value) {
    out += char('0' + value / 10 % 10);
    out += char('0' + value % 10);
}

// "yyyy/MM/dd" and "HH:mm:ss", as the reading key writes them.
std::string dateText(const QDate& d) {
    std::string s;
    twoDigits(s, d.year() / 100);
    twoDigits(s, d.year() % 100);
    s += '/';
    twoDigits(s, d.month());
    s += '/';
    twoDigits(s, d.day());
    return s;
}

std::string timeText(const QTime& t) {
    std::string s;
    twoDigits(s, t.hour());
    s += ':';
    twoDigits(s, t.minute());
    s += ':';
    twoDigits(s, t.second());
    return s;
}

void bindText(store::Statement& st, int index, const std::string& text) {
    sqlite3_bind_text(st.get(), index, text.data(), int(text.size()), SQLITE_TRANSIENT);
}

} // namespace

AppendOutcome appendReadings(store::Database& db, const AppendTarget& target,
                             const TextTable& table, const std::vector<std::uint8_t>& ticks,
                             DateLayout layout, DayOrder order, const Progress& progress) {
    const int channels = importedChannels(target.sensorType);
    QStringList columns{QStringLiteral("DateTimeKey"), QStringLiteral("ReadingDate"),
                        QStringLiteral("ReadingTime"), QStringLiteral("FullDate")};
    if (target.hasTemperature) columns << QStringLiteral("ChannelT");
    for (int k = 1; k <= channels; ++k)
        columns << QStringLiteral("Channel%1").arg(k);
    columns << QStringLiteral("IsDirty") << QStringLiteral("Plottemporal")
            << QStringLiteral("PlotSpatial");
    QStringList values;
    for (int i = 1; i <= columns.size(); ++i)
        values << QStringLiteral("?%1").arg(i);
    // The duplicate test sees the lines of this file stored before it too.
    const QString name = store::quoteName(target.sensorNumber);
    const QString insertSql =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(name, columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")));
    const QString takenSql =
        QStringLiteral("SELECT 1 FROM %1 WHERE DateTimeKey = ?1 LIMIT 1").arg(name);
    const std::string number = target.sensorNumber.toStdString();

    AppendOutcome outcome;
    // Only what the messages show is kept: a re-imported file may repeat
    // every one of a hundred thousand lines.
    std::vector<std::pair<int, QString>> firstNotDates; // line and column 1
    QString firstDuplicate;
    QStringList firstDuplicates;
    const int lines = std::min(table.RecordCount(), int(ticks.size()));
    db.transaction([&] {
        store::Statement taken = db.prepare(takenSql);
        store::Statement insert = db.prepare(insertSql);
        int done = 0;
        for (int r = 0; r < lines; ++r) {
            if (!ticks[size_t(r)]) continue;
            if (progress && ++done % 1024 == 0) progress(done);
            const std::optional<When> when = keyParts(table.raw(r, 0), layout, order);
            if (!when) {
                if (++outcome.notDates <= texts::ListedLines)
                    // Read no further than the message quotes.
                    firstNotDates.emplace_back(r + 1, table.text(r, 0, texts::QuotedLength + 2));
                continue;
            }
            const std::string date = dateText(when->date);
            const std::string time = timeText(when->time);
            std::string fullDate = date + ' ' + time;
            fullDate[4] = fullDate[7] = '-';
            const std::string key = number + ' ' + date + ' ' + time;
            bindText(taken, 1, key);
            const bool duplicate = taken.step();
            taken.reset();
            if (duplicate) {
                if (++outcome.duplicates == 1) firstDuplicate = QString::fromStdString(key);
                if (outcome.duplicates <= texts::ListedLines)
                    firstDuplicates << QString::fromStdString(date + ' ' + time);
                continue;
            }
            int i = 0;
            bindText(insert, ++i, key);
            bindText(insert, ++i, date);
            bindText(insert, ++i, time);
            bindText(insert, ++i, fullDate);
            if (target.hasTemperature) insert.bind(++i, columnValue(table.raw(r, 4), 1));
            for (int k = 1; k <= channels; ++k)
                insert.bind(++i, columnValue(table.raw(r, 4 + k), 2));
            insert.bind(++i, qint64(1));
            insert.bind(++i, qint64(1));
            insert.bind(++i, qint64(0));
            insert.run();
            ++outcome.appended;
        }
        if (progress) progress(done);
        if (outcome.appended > 0) {
            store::AuditEntry e;
            e.operation = store::operation::ReadingsImported;
            e.sensor = target.sensorNumber;
            e.target = table.source();
            e.count = outcome.appended;
            store::audit(db, e);
        }
    });
    if (outcome.notDates == 1) {
        outcome.messages << texts::notADate(firstNotDates[0].first, firstNotDates[0].second);
    } else if (outcome.notDates > 1) {
        QStringList first;
        for (const auto& [line, text] : firstNotDates)
            first << texts::notADateListed(line, text);
        outcome.messages << texts::notDates(outcome.notDates, first);
    }
    if (outcome.duplicates == 1) {
        outcome.messages << texts::duplicate(firstDuplicate);
    } else if (outcome.duplicates > 1) {
        outcome.messages << texts::duplicates(outcome.duplicates, firstDuplicates);
    }
    return outcome;
}

QString transferFolder(const QString& dataFolder) {
    return QDir(dataFolder).filePath(texts::TransferFolder);
}

void archiveTransferCopy(const QString& dataFolder, const QString& sensorNumber,
                         const QDate& today) {
    const QDir transfer(transferFolder(dataFolder));
    const QString backup = transfer.filePath(texts::TransferBackupFolder);
    if (!QDir().mkpath(backup))
        throw store::Error(store::code::CantOpen, QStringLiteral("Cannot create ") + backup);
    const QString source = transfer.filePath(texts::transferFile(sensorNumber));
    if (!QFileInfo(source).isFile()) return;
    const QString target = QDir(backup).filePath(
        texts::archivedTransferFile(sensorNumber, today.toString(QStringLiteral("yyyy-MM-dd"))));
    // Copied aside and renamed into place: the day's earlier archive is
    // replaced only by a complete copy, and the transfer copy goes only then.
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(source, partial)) {
        QFile::remove(partial);
        throw store::Error(store::code::CantOpen, QStringLiteral("Cannot copy ") + source);
    }
    try {
        app::replaceFile(partial, target);
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    if (!QFile::remove(source))
        throw store::Error(store::code::CantOpen, QStringLiteral("Cannot delete ") + source);
}

} // namespace importer
