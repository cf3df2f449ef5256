#include "importer/Append.h"

#include "app/FileReplace.h"
#include "importer/Proposal.h"
#include "importer/Texts.h"
#include "store/Audit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

namespace importer {

namespace {

// The columns an append fills for the target: key, date, time, FullDate, the
// temperature when the type has one, its channels, the three flags.
QStringList appendedColumns(const AppendTarget& target) {
    QStringList columns{QStringLiteral("DateTimeKey"), QStringLiteral("ReadingDate"),
                        QStringLiteral("ReadingTime"), QStringLiteral("FullDate")};
    if (target.hasTemperature) columns << QStringLiteral("ChannelT");
    for (int k = 1; k <= importedChannels(target.sensorType); ++k)
        columns << QStringLiteral("Channel%1").arg(k);
    columns << QStringLiteral("IsDirty") << QStringLiteral("Plottemporal")
            << QStringLiteral("PlotSpatial");
    return columns;
}

// orIgnore: a line whose key is taken is left out by the insert itself.
QString insertSql(const AppendTarget& target, bool orIgnore) {
    const QStringList columns = appendedColumns(target);
    QStringList values;
    for (int i = 1; i <= columns.size(); ++i)
        values << QStringLiteral("?%1").arg(i);
    return QStringLiteral("INSERT %1INTO %2 (%3) VALUES (%4)")
        .arg(orIgnore ? QStringLiteral("OR IGNORE ") : QString(),
             store::quoteName(target.sensorNumber), columns.join(QStringLiteral(", ")),
             values.join(QStringLiteral(", ")));
}

// The append's state across the tables of one file, inside the caller's
// transaction. The duplicate test sees the lines of this file stored before
// it too.
class LineAppender {
public:
    LineAppender(store::Database& db, const AppendTarget& target, DateLayout layout, DayOrder order,
                 const Progress& progress)
        : db_(db), target_(target), layout_(layout), order_(order), progress_(progress),
          channels_(importedChannels(target.sensorType)),
          number_(target.sensorNumber.toStdString()),
          // On a server a look-up before each insert would double the round
          // trips; there the unique key alone tells a duplicate (its insert
          // changes nothing). On a file the look-up is cheap, and OR IGNORE
          // would pass over more than a taken key.
          taken_(db.isServer() ? std::nullopt
                               : std::optional(db.prepare(
                                     QStringLiteral("SELECT 1 FROM %1 WHERE DateTimeKey = ?1 LIMIT 1")
                                         .arg(store::quoteName(target.sensorNumber))))),
          insert_(db.prepare(insertSql(target, db.isServer()))) {}

    // The ticked rows of table (ticks[r] for row r, as far as ticks go);
    // row r is the file's line firstRow + r + 1.
    void add(const TextTable& table, const std::uint8_t* ticks, int count, int firstRow) {
        const int lines = std::min(table.RecordCount(), count);
        for (int r = 0; r < lines; ++r) {
            if (!ticks[r]) continue;
            if (++outcome_.ticked % 1024 == 0 && progress_) progress_(outcome_.ticked);
            const std::optional<When> when = keyParts(table.raw(r, 0), layout_, order_);
            if (!when) {
                if (++outcome_.notDates <= texts::ListedLines)
                    // Read no further than the message quotes.
                    firstNotDates_.emplace_back(firstRow + r + 1,
                                                table.text(r, 0, texts::QuotedLength + 2));
                continue;
            }
            const std::string date = keyDateText(when->date);
            const std::string time = keyTimeText(when->time);
            std::string fullDate = date + ' ' + time;
            fullDate[4] = fullDate[7] = '-';
            const std::string key = number_ + ' ' + date + ' ' + time;
            if (taken_) {
                taken_->bindUtf8(1, key);
                const bool duplicate = taken_->step();
                taken_->reset();
                if (duplicate) {
                    countDuplicate(key, date, time);
                    continue;
                }
            }
            int i = 0;
            insert_.bindUtf8(++i, key);
            insert_.bindUtf8(++i, date);
            insert_.bindUtf8(++i, time);
            insert_.bindUtf8(++i, fullDate);
            if (target_.hasTemperature) insert_.bind(++i, columnValue(table.raw(r, 4), 1));
            for (int k = 1; k <= channels_; ++k)
                insert_.bind(++i, columnValue(table.raw(r, 4 + k), 2));
            insert_.bind(++i, qint64(1));
            insert_.bind(++i, qint64(1));
            insert_.bind(++i, qint64(0));
            insert_.run();
            if (!taken_ && db_.changes() == 0) {
                countDuplicate(key, date, time);
                continue;
            }
            ++outcome_.appended;
        }
    }

    // The last progress and the audit entry naming source.
    void finish(const QString& source) {
        if (progress_) progress_(outcome_.ticked);
        if (outcome_.appended > 0) {
            store::AuditEntry e;
            e.operation = store::operation::ReadingsImported;
            e.sensor = target_.sensorNumber;
            e.target = source;
            e.count = outcome_.appended;
            store::audit(db_, e);
        }
    }

    // The counts, and one message per kind of line not appended.
    AppendOutcome outcome() const {
        AppendOutcome o = outcome_;
        if (o.notDates == 1) {
            o.messages << texts::notADate(firstNotDates_[0].first, firstNotDates_[0].second);
        } else if (o.notDates > 1) {
            QStringList first;
            for (const auto& [line, text] : firstNotDates_)
                first << texts::notADateListed(line, text);
            o.messages << texts::notDates(o.notDates, first);
        }
        if (o.duplicates == 1) {
            o.messages << texts::duplicate(firstDuplicate_);
        } else if (o.duplicates > 1) {
            o.messages << texts::duplicates(o.duplicates, firstDuplicates_);
        }
        return o;
    }

private:
    void countDuplicate(const std::string& key, const std::string& date, const std::string& time) {
        if (++outcome_.duplicates == 1) firstDuplicate_ = QString::fromStdString(key);
        if (outcome_.duplicates <= texts::ListedLines)
            firstDuplicates_ << QString::fromStdString(date + ' ' + time);
    }

    store::Database& db_;
    const AppendTarget& target_;
    const DateLayout layout_;
    const DayOrder order_;
    const Progress& progress_;
    const int channels_;
    const std::string number_;
    std::optional<store::Statement> taken_; // on a file
    store::Statement insert_;
    AppendOutcome outcome_;
    // Only what the messages show is kept: a re-imported file may repeat
    // every one of a hundred thousand lines.
    std::vector<std::pair<int, QString>> firstNotDates_; // line and column 1
    QString firstDuplicate_;
    QStringList firstDuplicates_;
};

} // namespace

AppendOutcome appendReadings(store::Database& db, const AppendTarget& target,
                             const TextTable& table, const std::vector<std::uint8_t>& ticks,
                             DateLayout layout, DayOrder order, const Progress& progress) {
    AppendOutcome outcome;
    db.transaction([&] {
        LineAppender appender(db, target, layout, order, progress);
        appender.add(table, ticks.data(), int(ticks.size()), 0);
        appender.finish(table.source());
        outcome = appender.outcome();
    });
    return outcome;
}

AppendOutcome appendReadings(store::Database& db, const AppendTarget& target, const TextFile& file,
                             const LineTicks& ticks, DateLayout layout, DayOrder order,
                             const Progress& progress, const ReadProgress& read) {
    AppendOutcome outcome;
    db.transaction([&] {
        LineAppender appender(db, target, layout, order, progress);
        Proposer proposer(ticks.period, ticks.order);
        file.forEachChunk(
            [&](const TextTable& chunk, int firstRow) {
                // The proposal runs over every line, shown or not: R comes from
                // the lines before.
                std::vector<std::uint8_t> t =
                    ticks.all ? std::vector<std::uint8_t>(size_t(chunk.RecordCount()), 1)
                              : proposer.next(chunk);
                const int end = firstRow + int(t.size());
                for (const LineTicks::Shown& s : ticks.shown) {
                    const int from = std::max(firstRow, s.firstRow);
                    const int to = std::min(end, s.firstRow + int(s.ticks.size()));
                    for (int row = from; row < to; ++row)
                        t[size_t(row - firstRow)] = s.ticks[size_t(row - s.firstRow)];
                }
                appender.add(chunk, t.data(), int(t.size()), firstRow);
            },
            read);
        appender.finish(file.source());
        outcome = appender.outcome();
    });
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
