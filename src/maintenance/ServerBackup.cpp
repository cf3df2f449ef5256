#include "maintenance/ServerBackup.h"

#include "app/FileReplace.h"
#include "maintenance/Texts.h"
#include "store/Error.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>

#include <libpq-fe.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace maintenance {

namespace {

using store::Error;
namespace code = store::code;

const QString PgDump = QStringLiteral("pg_dump");
const QString PgRestore = QStringLiteral("pg_restore");

QString executableName(const QString& program) {
#ifdef Q_OS_WIN
    return program + QStringLiteral(".exe");
#else
    return program;
#endif
}

QString findProgram(const QString& program, const QStringList& folders) {
    for (const QString& folder : folders) {
        if (folder.isEmpty()) continue;
        const QFileInfo file(QDir(folder).filePath(executableName(program)));
        if (file.isFile() && file.isExecutable()) return file.absoluteFilePath();
    }
    return {};
}

// The folders <root>/<version>/bin, newest version first.
QStringList versionFolders(const QString& root) {
    QStringList versions = QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString& a, const QString& b) { return a.toDouble() > b.toDouble(); });
    QStringList folders;
    for (const QString& version : versions)
        folders << QDir(root).filePath(version + QStringLiteral("/bin"));
    return folders;
}

// A PostgreSQL version as a number of its major version, so that versions
// before 10 (two parts) and after (one) compare: 15.20 -> 1500, 9.6.24 -> 906.
int majorNumber(int first, int second) {
    return first >= 10 ? first * 100 : first * 100 + second;
}

QString majorText(int major) {
    return major >= 1000 ? QString::number(major / 100)
                         : QStringLiteral("%1.%2").arg(major / 100).arg(major % 100);
}

struct ProgramVersion {
    QString text; // "15.20"
    int major = 0;
};

// What "program --version" says ("pg_dump (PostgreSQL) 15.20 (Debian ...)").
std::optional<ProgramVersion> versionOf(const QString& program) {
    QProcess run;
    run.start(program, {QStringLiteral("--version")});
    if (!run.waitForFinished(30000) || run.exitStatus() != QProcess::NormalExit ||
        run.exitCode() != 0) {
        run.kill();
        run.waitForFinished(1000);
        return std::nullopt;
    }
    static const QRegularExpression version(QStringLiteral("\\)\\s+(\\d+)(?:\\.(\\d+))?[.\\d]*"));
    const QRegularExpressionMatch m = version.match(QString::fromLocal8Bit(run.readAll()));
    if (!m.hasMatch()) return std::nullopt;
    return ProgramVersion{m.captured(0).mid(1).trimmed(),
                          majorNumber(m.captured(1).toInt(), m.captured(2).toInt())};
}

// The connection the dump is prepared on: the server's version and the
// tables' sizes come from it, and its failure is told before pg_dump runs.
struct ServerFacts {
    QString version; // "15.20"
    int major = 0;
    // "schema.table" as pg_dump names it, and its bytes on disk.
    QHash<QString, qint64> tableBytes;
};

ServerFacts probe(const store::ServerAddress& address) {
    const QByteArray url = store::serverUrl(address).toUtf8();
    const QByteArray password = address.password.toUtf8();
    const char* keywords[] = {"connect_timeout", "dbname",
                              address.password.isEmpty() ? nullptr : "password", nullptr};
    const char* values[] = {"10", url.constData(), password.constData(), nullptr};
    std::unique_ptr<PGconn, decltype(&PQfinish)> c(PQconnectdbParams(keywords, values, 1),
                                                   &PQfinish);
    if (PQstatus(c.get()) != CONNECTION_OK) {
        const QString libpq = QString::fromUtf8(PQerrorMessage(c.get()));
        const bool refused = PQconnectionNeedsPassword(c.get()) ||
                             libpq.contains(QStringLiteral("password authentication failed"));
        throw Error(refused ? code::Auth : code::CantOpen,
                    store::connectionFailureText(libpq, address));
    }
    ServerFacts facts;
    const int version = PQserverVersion(c.get());
    facts.major = version >= 100000 ? version / 10000 * 100 : version / 100;
    facts.version = QString::fromUtf8(PQparameterStatus(c.get(), "server_version"))
                        .section(QLatin1Char(' '), 0, 0);
    // The tables whose rows pg_dump writes; a failure here only costs the
    // progress its weights.
    std::unique_ptr<PGresult, decltype(&PQclear)> tables(
        PQexec(c.get(), "SELECT n.nspname || '.' || c.relname, pg_table_size(c.oid) "
                        "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                        "WHERE c.relkind = 'r' AND n.nspname <> 'information_schema' "
                        "AND n.nspname NOT LIKE 'pg\\_%'"),
        &PQclear);
    if (PQresultStatus(tables.get()) == PGRES_TUPLES_OK)
        for (int row = 0; row < PQntuples(tables.get()); ++row)
            facts.tableBytes.insert(QString::fromUtf8(PQgetvalue(tables.get(), row, 0)),
                                    QByteArray(PQgetvalue(tables.get(), row, 1)).toLongLong());
    return facts;
}

// The pg_dump to run: the first in the folders that can dump this server
// (pg_dump reads servers of its own major version and older ones only).
QString choosePgDump(const QStringList& folders, const ServerFacts& server) {
    QStringList found;
    for (const QString& folder : folders) {
        const QString program = findProgram(PgDump, {folder});
        if (!program.isEmpty() && !found.contains(program)) found << program;
    }
    if (found.isEmpty())
        throw Error(code::NotFound, texts::clientProgramMissing(PgDump, texts::MakesTheBackup));
    std::optional<ProgramVersion> first;
    for (const QString& program : found) {
        const std::optional<ProgramVersion> version = versionOf(program);
        if (!version) continue;
        if (version->major >= server.major) return program;
        if (!first) first = version;
    }
    if (!first) throw Error(code::CantOpen, texts::backupNotStarted(found.first()));
    throw Error(code::Misuse,
                texts::pgDumpTooOld(first->text, server.version, majorText(server.major)));
}

// The environment of a client program: the password in it, for that child
// only; messages in English, which the failures are recognised by.
QProcessEnvironment clientEnvironment(const store::ServerAddress& address) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!address.password.isEmpty()) env.insert(QStringLiteral("PGPASSWORD"), address.password);
    if (!env.contains(QStringLiteral("PGCONNECT_TIMEOUT")))
        env.insert(QStringLiteral("PGCONNECT_TIMEOUT"), QStringLiteral("10"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    env.remove(QStringLiteral("LANGUAGE"));
    return env;
}

enum class Ending { Finished, Cancelled, Stalled };

// Runs a started program to its end, handing each line of its standard error
// to onLine. Stops it when cancelled or when neither its standard error nor
// the growing file has changed for the stall limit.
Ending runToEnd(QProcess& program, const std::function<void(const QString&)>& onLine,
                const ServerDumpSettings& settings, const QString& growing = {}) {
    QByteArray pending;
    auto readLines = [&] {
        const QByteArray got = program.readAllStandardError();
        pending += got;
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            onLine(QString::fromLocal8Bit(pending.left(end)).trimmed());
            pending.remove(0, end + 1);
        }
        return !got.isEmpty();
    };
    QElapsedTimer quiet;
    quiet.start();
    qint64 size = -1;
    Ending ending = Ending::Finished;
    for (;;) {
        // Asked before the first wait too, so that a quick program can be stopped.
        if (settings.cancelled && settings.cancelled())
            ending = Ending::Cancelled;
        else if (quiet.elapsed() > settings.stallLimit.count())
            ending = Ending::Stalled;
        if (ending != Ending::Finished) {
            program.kill();
            program.waitForFinished(10000);
            return ending;
        }
        if (program.state() == QProcess::NotRunning || program.waitForFinished(200)) break;
        bool moved = readLines();
        if (!growing.isEmpty()) {
            const qint64 now = QFileInfo(growing).size();
            moved = moved || now != size;
            size = now;
        }
        if (moved) quiet.restart();
    }
    readLines();
    if (!pending.trimmed().isEmpty()) onLine(QString::fromLocal8Bit(pending).trimmed());
    return ending;
}

void stopUnlessFinished(Ending ending, const QString& database,
                        const ServerDumpSettings& settings) {
    if (ending == Ending::Cancelled) throw Error(code::Interrupt, texts::backupCancelled(database));
    if (ending == Ending::Stalled)
        throw Error(
            code::Interrupt,
            texts::backupStalled(
                database,
                std::chrono::duration_cast<std::chrono::minutes>(settings.stallLimit).count()));
}

// The lines of a client program's standard error that tell of a failure, on
// one line, for the administrator.
class FailureLines {
public:
    explicit FailureLines(const QString& program) : prefix_(program + QStringLiteral(": ")) {}
    void take(const QString& line) {
        if (line.isEmpty()) return;
        // With --verbose, every step is a line of its own; only these tell of a failure.
        static const QRegularExpression failure(
            QStringLiteral("^\\S+: (error|detail|hint|warning|fatal):"));
        if (!line.startsWith(prefix_) || failure.match(line).hasMatch()) lines_ << line;
    }
    QString text() const { return lines_.join(QLatin1Char(' ')).simplified(); }

private:
    QString prefix_;
    QStringList lines_;
};

// "<database>backup_": the database's name with what a file system refuses in
// a name replaced.
QString serverBackupPrefix(const store::ServerAddress& address) {
    QString name = store::effectiveDatabase(address);
    static const QRegularExpression refused(QStringLiteral("[<>:\"/\\\\|?*\\x00-\\x1f]"));
    name.replace(refused, QStringLiteral("_"));
    if (name.trimmed().isEmpty()) name = texts::UnnamedServerDatabase;
    return name + texts::BackupMark;
}

QString partFor(const QString& path) {
    return path + QStringLiteral(".part");
}

// Percent steps: preparing, pg_dump's catalogue reading, its table data, the check.
constexpr int DumpStarted = 2;
constexpr int DataStarts = 10;
constexpr int DataEnds = 90;
constexpr int Checked = 98;

} // namespace

QStringList clientProgramFolders() {
    QStringList folders =
        qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
#ifdef Q_OS_WIN
    folders += versionFolders(qEnvironmentVariable("ProgramFiles") + QStringLiteral("/PostgreSQL"));
#else
    folders += versionFolders(QStringLiteral("/usr/lib/postgresql"));
#endif
    return folders;
}

QString findPgDump(const QStringList& folders) {
    return findProgram(PgDump, folders);
}

QString findPgRestore(const QStringList& folders) {
    return findProgram(PgRestore, folders);
}

QString serverBackupFileName(const store::ServerAddress& address, const QDate& day) {
    return serverBackupPrefix(address) + day.toString(QStringLiteral("yyyy-MM-dd")) +
           texts::ServerBackupEnding;
}

QString dumpServerDatabase(const store::ServerAddress& address, const QString& folder,
                           const QDate& today, const std::function<void(int percent)>& progress,
                           const ServerDumpSettings& settings) {
    const QString name = store::displayName(address);
    int shown = -1;
    auto report = [&](int percent) {
        percent = std::clamp(percent, shown, 100);
        if (percent == shown) return;
        shown = percent;
        if (progress) progress(percent);
    };
    report(0);

    const ServerFacts server = probe(address);
    const QString pgDump = choosePgDump(settings.programFolders, server);
    // The pg_restore beside that pg_dump reads what it writes.
    QString pgRestore = findPgRestore({QFileInfo(pgDump).absolutePath()});
    if (pgRestore.isEmpty()) pgRestore = findPgRestore(settings.programFolders);
    if (pgRestore.isEmpty())
        throw Error(code::NotFound, texts::clientProgramMissing(PgRestore, texts::ChecksTheBackup));

    const QString backup = QDir(folder).filePath(serverBackupFileName(address, today));
    const QString part = partFor(backup);
    if (!QDir().mkpath(folder)) throw Error(code::CantOpen, texts::cannotMakeFolder(folder));
    // What a killed run left of this database's backups, of this day or
    // another; by the whole name, so that the backup under way of a database
    // whose name begins the same ("site" and "sitebackup_2") keeps its file.
    const QRegularExpression leftOver(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(serverBackupPrefix(address)) +
        QStringLiteral("\\d{4}-\\d{2}-\\d{2}") +
        QRegularExpression::escape(partFor(texts::ServerBackupEnding))));
    for (const QString& left : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        if (leftOver.match(left).hasMatch()) QFile::remove(QDir(folder).filePath(left));

    try {
        QProcess dump;
        dump.setProcessEnvironment(clientEnvironment(address));
        dump.setStandardOutputFile(QProcess::nullDevice());
        // No password on the command line: others may read it there.
        dump.start(pgDump,
                   {QStringLiteral("--format=custom"), QStringLiteral("--verbose"),
                    QStringLiteral("--no-password"),
                    // A table locked by a change of layout fails the
                    // backup instead of holding it up for good.
                    QStringLiteral("--lock-wait-timeout=120000"), QStringLiteral("--file=") + part,
                    QStringLiteral("--dbname=") + store::serverUrl(address)});
        if (!dump.waitForStarted(30000))
            throw Error(code::CantOpen, texts::backupNotStarted(pgDump));
        report(DumpStarted);

        qint64 total = 0;
        for (const qint64 bytes : server.tableBytes)
            total += std::max<qint64>(bytes, 8192);
        qint64 done = 0;
        qint64 current = 0;
        FailureLines failure(PgDump);
        static const QRegularExpression dumping(
            QStringLiteral("^pg_dump: dumping contents of table \"(.*)\"$"));
        const Ending ending = runToEnd(
            dump,
            [&](const QString& line) {
                const QRegularExpressionMatch m = dumping.match(line);
                if (!m.hasMatch()) {
                    failure.take(line);
                    return;
                }
                // A table's rows begin: the one before is done.
                done += current;
                current = std::max<qint64>(server.tableBytes.value(m.captured(1), 0), 8192);
                if (total > 0)
                    report(DataStarts +
                           int((DataEnds - DataStarts) * done / std::max(total, done)));
            },
            settings, part);
        stopUnlessFinished(ending, name, settings);
        if (dump.exitStatus() != QProcess::NormalExit || dump.exitCode() != 0) {
            const QString said = failure.text();
            const QString lower = said.toLower();
            static const QRegularExpression mismatch(
                QStringLiteral("server version: (\\S+?);? pg_dump version: (\\S+)"));
            const QRegularExpressionMatch versions = mismatch.match(said);
            if (versions.hasMatch())
                throw Error(code::Misuse,
                            texts::withProgramText(texts::pgDumpTooOld(versions.captured(2),
                                                                       versions.captured(1),
                                                                       majorText(server.major)),
                                                   PgDump, said));
            if (lower.contains(QStringLiteral("no space left")) ||
                lower.contains(QStringLiteral("disk full")) ||
                lower.contains(QStringLiteral("quota exceeded")))
                throw Error(code::Full,
                            texts::withProgramText(
                                texts::backupDiskFull(name, QDir::toNativeSeparators(folder)),
                                PgDump, said));
            if (lower.contains(QStringLiteral("lock timeout")))
                throw Error(code::Busy,
                            texts::withProgramText(texts::backupTableLocked(name), PgDump, said));
            if (lower.contains(QStringLiteral("connection to server")) ||
                lower.contains(QStringLiteral("could not connect")) ||
                lower.contains(QStringLiteral("server closed the connection")))
                throw Error(code::CantOpen, store::connectionFailureText(said, address));
            throw Error(code::Error,
                        texts::withProgramText(texts::serverBackupFailed(name), PgDump, said));
        }
        report(DataEnds);

        // The archive is kept only when pg_restore can read its table of contents.
        QProcess check;
        check.setProcessEnvironment(clientEnvironment(address));
        check.start(pgRestore, {QStringLiteral("--list"), part});
        if (!check.waitForStarted(30000))
            throw Error(code::CantOpen, texts::backupNotStarted(pgRestore));
        FailureLines checkFailure(PgRestore);
        stopUnlessFinished(
            runToEnd(
                check, [&](const QString& line) { checkFailure.take(line); }, settings),
            name, settings);
        const QString contents = QString::fromLocal8Bit(check.readAllStandardOutput());
        if (check.exitStatus() != QProcess::NormalExit || check.exitCode() != 0 ||
            !contents.contains(QStringLiteral("Format: CUSTOM")))
            throw Error(code::Corrupt, texts::withProgramText(texts::serverBackupUnreadable(name),
                                                              PgRestore, checkFailure.text()));
        report(Checked);

        app::replaceFile(part, backup);
    } catch (...) {
        QFile::remove(part);
        throw;
    }
    report(100);
    return backup;
}

QString serverRestoreRefusal(const store::ServerAddress& address) {
    const QString files = QStringLiteral("\"") + serverBackupPrefix(address) +
                          QStringLiteral("yyyy-mm-dd") + texts::ServerBackupEnding +
                          QStringLiteral("\"");
    return texts::serverRestoreRefused(store::effectiveDatabase(address),
                                       store::serverPlace(address), files,
                                       store::serverUrl(address));
}

} // namespace maintenance
