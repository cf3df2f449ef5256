#include "cli/Cli.h"

#include "app/DataFolder.h"
#include "app/DatabaseLock.h"
#include "app/Log.h"
#include "importer/Calibration.h"
#include "importer/Texts.h"
#include "levels/SensorStatus.h"
#include "levels/TriggerLevels.h"
#include "maintenance/ServerBackup.h"
#include "maintenance/Texts.h"
#include "migration/Migration.h"
#include "migration/Texts.h"
#include "operations/Csv.h"
#include "operations/Operations.h"
#include "operations/ServerCopy.h"
#include "outputs/Texts.h"
#include "readings/Quality.h"
#include "readings/ReadingKey.h"
#include "readings/Recovery.h"
#include "readings/ZeroHistory.h"
#include "sensors/Texts.h"
#include "store/ServerAddress.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <functional>
#include <map>
#include <optional>

namespace cli {

namespace {

const QString Program = QStringLiteral("tolvane-cli");
const QString Usage =
    QStringLiteral("usage: tolvane-cli [--documents DIR] [--database PATH|URL] COMMAND [ARGS]");

// A command's arguments once read: flags by name, the rest in order.
struct Arguments {
    std::map<QString, QString> values;
    QStringList switches;
    QStringList positional;
    bool has(const QString& flag) const {
        return switches.contains(flag) || values.count(flag) > 0;
    }
    QString value(const QString& flag, const QString& otherwise = {}) const {
        const auto it = values.find(flag);
        return it == values.end() ? otherwise : it->second;
    }
};

struct UsageError {
    QString text;
    QString usage = Usage; // the usage line shown under it
};

class Run;

struct Command {
    QString name;
    QString synopsis; // after the command name
    QString summary;
    QString details;
    QStringList valueFlags; // each takes a value
    QStringList switchFlags;
    int minPositional = 0;
    int maxPositional = 0;
    QString logLabel; // the window's label for the same operation
    int (Run::*handler)(const Arguments&) = nullptr;
};

const std::vector<Command>& commands();

void print(std::FILE* f, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
}

std::optional<QDate> dayOf(const QString& text, const QString& flag) {
    if (text.isEmpty()) return std::nullopt;
    const QDate d = QDate::fromString(text, QStringLiteral("yyyy/MM/dd"));
    if (!d.isValid())
        throw UsageError{
            QStringLiteral("%1 takes a date as YYYY/MM/DD, not \"%2\"").arg(flag, text)};
    return d;
}

// A server that went away in the middle of a command is told as a connection
// that failed is, in plain words; other failures keep their own words.
QString serverFailure(const std::exception_ptr& failure, const QString& why,
                      const QString& address) {
    try {
        std::rethrow_exception(failure);
    } catch (const store::Error& e) {
        if (e.number() != store::code::IoErr) return why;
        try {
            return store::connectionFailureText(why, store::parseServerAddress(address));
        } catch (const store::Error&) {
            return why;
        }
    } catch (...) {
    }
    return why;
}

// One run of the tool: the data folder and database it was pointed at, and
// the streams it writes to.
class Run {
public:
    Run(const QProcessEnvironment& environment, const app::Clock& clock, const Streams& streams,
        const ReportWriter& report)
        : environment_(environment), clock_(clock), streams_(streams), report_(report) {}

    int main(const QStringList& arguments);

    int sensors(const Arguments& a);
    int addSensor(const Arguments& a);
    int readings(const Arguments& a);
    int import(const Arguments& a);
    int importFolder(const Arguments& a);
    int calibrate(const Arguments& a);
    int listCalibrations(const Arguments& a);
    int exportReadings(const Arguments& a);
    int report(const Arguments& a);
    int backup(const Arguments& a);
    int restore(const Arguments& a);
    int check(const Arguments& a);
    int flag(const Arguments& a);
    int zero(const Arguments& a);
    int zeros(const Arguments& a);
    int recover(const Arguments& a);
    int history(const Arguments& a);
    int levels(const Arguments& a);
    int status(const Arguments& a);
    int mdbTables(const Arguments& a);
    int mdbCopy(const Arguments& a);
    int migrate(const Arguments& a);
    int init(const Arguments& a);
    int copyFrom(const Arguments& a);

private:
    Arguments parse(const Command& command, const QStringList& words) const;
    void help(const Command* command) const;
    const operations::Workspace& workspace();
    store::Database& database(bool readOnly = false);
    operations::Progress progress(const QString& what);
    migration::Progress tableProgress();
    void endProgress();

    const QProcessEnvironment& environment_;
    const app::Clock& clock_;
    Streams streams_;
    const ReportWriter& report_;
    QString documents_, databaseOption_;
    std::optional<operations::Workspace> workspace_;
    std::unique_ptr<store::Database> db_;
    bool progressShown_ = false;
};

const operations::Workspace& Run::workspace() {
    if (!workspace_) {
        workspace_ = operations::openWorkspace(documents_, databaseOption_);
    }
    return *workspace_;
}

store::Database& Run::database(bool readOnly) {
    if (!db_) {
        db_ = operations::connect(
            workspace(), readOnly, clock_.now().date(), [this](const QString& news) {
                print(streams_.err, QStringLiteral("%1: %2\n").arg(Program, news));
            });
        db_->setActor({store::systemUserName(), [this] { return clock_.now(); }});
    }
    return *db_;
}

operations::Progress Run::progress(const QString& what) {
    if (!streams_.errIsTerminal) return {};
    return [this, what](int done, int total) {
        print(streams_.err, QStringLiteral("\r%1: %2 of %3").arg(what).arg(done).arg(total));
        std::fflush(streams_.err);
        progressShown_ = true;
    };
}

migration::Progress Run::tableProgress() {
    if (!streams_.errIsTerminal) return {};
    return [this](const QString& what, qint64 done, qint64 total) {
        print(streams_.err, QStringLiteral("\r%1%2 % ")
                                .arg(what.isEmpty() ? QString() : what + QStringLiteral(": "))
                                .arg(total > 0 ? done * 100 / total : 100, 3));
        std::fflush(streams_.err);
        progressShown_ = true;
        return true;
    };
}

void Run::endProgress() {
    if (progressShown_) print(streams_.err, QStringLiteral("\n"));
    progressShown_ = false;
}

Arguments Run::parse(const Command& command, const QStringList& words) const {
    Arguments a;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& w = words[i];
        if (!w.startsWith(QLatin1String("--")) || w == QLatin1String("--")) {
            a.positional << w;
            continue;
        }
        QString flag = w;
        std::optional<QString> inlineValue;
        if (const qsizetype eq = w.indexOf(QLatin1Char('=')); eq > 0) {
            flag = w.left(eq);
            inlineValue = w.mid(eq + 1);
        }
        if (command.valueFlags.contains(flag)) {
            if (!inlineValue && i + 1 >= words.size())
                throw UsageError{QStringLiteral("%1 needs a value").arg(flag)};
            a.values[flag] = inlineValue ? *inlineValue : words[++i];
        } else if (command.switchFlags.contains(flag) && !inlineValue) {
            a.switches << flag;
        } else {
            throw UsageError{QStringLiteral("%1 does not take %2").arg(command.name, w)};
        }
    }
    if (a.positional.size() < command.minPositional || a.positional.size() > command.maxPositional)
        throw UsageError{a.positional.size() < command.minPositional
                             ? QStringLiteral("%1: too few arguments").arg(command.name)
                             : QStringLiteral("%1: too many arguments").arg(command.name)};
    return a;
}

void Run::help(const Command* command) const {
    if (command) {
        print(streams_.out,
              QStringLiteral("usage: %1 [--documents DIR] [--database PATH|URL] %2 %3\n\n%4\n")
                  .arg(Program, command->name, command->synopsis, command->summary));
        if (!command->details.isEmpty())
            print(streams_.out, QStringLiteral("\n") + command->details);
        return;
    }
    QString text =
        Usage +
        QStringLiteral("\n\nThe operations of Tolvane on its data folder and database, "
                       "for scripts and scheduled jobs.\n\nOptions:\n"
                       "  --documents DIR      the documents folder holding Vornhald/Tolvane "
                       "(else TOLVANE_DOCUMENTS, else your documents folder)\n"
                       "  --database PATH|URL  the database for this run only: a file, "
                       "or a database on a server by its address "
                       "(postgresql://user@host:port/database; the password from "
                       "~/.pgpass or PGPASSWORD)\n"
                       "  --help               this text; COMMAND --help for a command\n"
                       "  --version            the version\n\nCommands:\n");
    for (const Command& c : commands())
        text +=
            QStringLiteral("  %1%2\n")
                .arg(c.name.leftJustified(std::max<qsizetype>(12, c.name.size() + 1)), c.summary);
    text +=
        QStringLiteral("\nExit status: 0 done, 1 failed (the reason on standard error), 2 wrong "
                       "usage.\n");
    print(streams_.out, text);
}

int Run::main(const QStringList& arguments) {
    // The options before the command are the tool's own.
    qsizetype i = 1;
    for (; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            help(nullptr);
            return Done;
        }
        if (a == QLatin1String("--version")) {
            print(streams_.out,
                  QStringLiteral("%1 %2\n").arg(Program, QStringLiteral(TOLVANE_VERSION)));
            return Done;
        }
        auto takeValue = [&](const QString& option, QString& into) {
            if (a == option) {
                if (i + 1 >= arguments.size())
                    throw UsageError{QStringLiteral("%1 needs a value").arg(option)};
                into = arguments[++i];
                return true;
            }
            if (a.startsWith(option + QLatin1Char('='))) {
                into = a.mid(option.size() + 1);
                return true;
            }
            return false;
        };
        if (takeValue(QStringLiteral("--documents"), documents_)) continue;
        if (takeValue(QStringLiteral("--database"), databaseOption_)) continue;
        if (a.startsWith(QLatin1Char('-'))) throw UsageError{QStringLiteral("unknown option ") + a};
        break;
    }
    if (i >= arguments.size()) throw UsageError{QStringLiteral("no command given")};
    const QString name = arguments[i];
    const Command* command = nullptr;
    for (const Command& c : commands())
        if (c.name == name) command = &c;
    if (!command) throw UsageError{QStringLiteral("unknown command ") + name};
    const QStringList words = arguments.mid(i + 1);
    if (words.contains(QStringLiteral("--help"))) {
        help(command);
        return Done;
    }
    if (documents_.isEmpty()) documents_ = app::GetSpecialPath({arguments[0]}, environment_);
    try {
        return (this->*command->handler)(parse(*command, words));
    } catch (UsageError& e) {
        e.usage = QStringLiteral("usage: %1 %2 %3").arg(Program, command->name, command->synopsis);
        throw;
    } catch (...) {
        endProgress();
        const std::exception_ptr failure = std::current_exception();
        QString why = app::describeFailure(failure);
        if (workspace_ && store::isServerAddress(workspace_->database))
            why = serverFailure(failure, why, workspace_->database);
        print(streams_.err,
              QStringLiteral("%1: %2 failed: %3\n")
                  .arg(Program, name,
                       QString(why).replace(QLatin1Char('\n'), QStringLiteral(" / "))));
        // Logged as the window logs the same operation, once there is a
        // data folder to log in.
        if (workspace_) {
            const app::Log log(workspace_->dataFolder, &clock_);
            log.WriteLog(app::errorEntry(failure, command->logLabel));
        }
        return Failed;
    }
}

// ---------------------------------------------------------------- commands

int Run::sensors(const Arguments& a) {
    const std::vector<operations::SensorSummary> list = operations::listSensors(database(true));
    if (a.has(QStringLiteral("--json"))) {
        QJsonArray array;
        for (const operations::SensorSummary& s : list)
            array.append(QJsonObject{{QStringLiteral("number"), s.number},
                                     {QStringLiteral("family"), s.family},
                                     {QStringLiteral("anchors"), s.anchors},
                                     {QStringLiteral("level"), s.level},
                                     {QStringLiteral("location"), s.location},
                                     {QStringLiteral("installDate"), s.installDate},
                                     {QStringLiteral("destroyed"), s.destroyed},
                                     {QStringLiteral("readings"), s.readings},
                                     {QStringLiteral("firstReading"), s.firstReading},
                                     {QStringLiteral("lastReading"), s.lastReading}});
        print(streams_.out,
              QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)));
        return Done;
    }
    // Columns as wide as their widest entry, separated by two blanks.
    std::vector<QStringList> rows{
        {QStringLiteral("Number"), QStringLiteral("Family"), QStringLiteral("Anchors"),
         QStringLiteral("Level"), QStringLiteral("Location"), QStringLiteral("Installed"),
         QStringLiteral("Destroyed"), QStringLiteral("Readings"), QStringLiteral("First reading"),
         QStringLiteral("Last reading")}};
    for (const operations::SensorSummary& s : list)
        rows.push_back({s.number, s.family, QString::number(s.anchors), s.level, s.location,
                        s.installDate, s.destroyed ? QStringLiteral("Yes") : QStringLiteral("No"),
                        QString::number(s.readings), s.firstReading, s.lastReading});
    std::vector<qsizetype> widths(rows[0].size(), 0);
    for (const QStringList& r : rows)
        for (qsizetype c = 0; c < r.size(); ++c)
            widths[size_t(c)] = std::max(widths[size_t(c)], r[c].size());
    QString text;
    for (const QStringList& r : rows) {
        QString line;
        for (qsizetype c = 0; c < r.size(); ++c)
            line += (c ? QStringLiteral("  ") : QString()) + r[c].leftJustified(widths[size_t(c)]);
        text += line.trimmed() + QLatin1Char('\n');
    }
    print(streams_.out, text);
    return Done;
}

int Run::addSensor(const Arguments& a) {
    operations::NewSensor s;
    s.number = a.positional[0];
    const QString family = a.value(QStringLiteral("--family"), QStringLiteral("mpbx")).toLower();
    if (family != QLatin1String("mpbx") && family != QLatin1String("rova"))
        throw UsageError{QStringLiteral("--family is mpbx or rova, not ") + family};
    s.mpbx = family == QLatin1String("mpbx");
    s.level = a.value(QStringLiteral("--level"));
    s.location = a.value(QStringLiteral("--location"));
    s.installDate =
        dayOf(a.value(QStringLiteral("--install-date")), QStringLiteral("--install-date"))
            .value_or(clock_.now().date());
    operations::addSensor(database(), s);
    print(streams_.out, QStringLiteral("Sensor %1 added\n").arg(s.number));
    return Done;
}

int Run::readings(const Arguments& a) {
    const QString format = a.value(QStringLiteral("--format"), QStringLiteral("csv"));
    if (format != QLatin1String("csv") && format != QLatin1String("json"))
        throw UsageError{QStringLiteral("--format is csv or json, not ") + format};
    const auto from = dayOf(a.value(QStringLiteral("--from")), QStringLiteral("--from"));
    const auto to = dayOf(a.value(QStringLiteral("--to")), QStringLiteral("--to"));
    const QString number = a.positional[0];
    const bool json = format == QLatin1String("json");
    const bool withInvalid = a.has(QStringLiteral("--with-invalid"));
    std::string out;
    out.reserve(1 << 16);
    auto flush = [&] {
        std::fwrite(out.data(), 1, out.size(), streams_.out);
        out.clear();
    };
    bool headerDone = false;
    bool first = true;
    bool quality = false;
    auto header = [&](int n) {
        headerDone = true;
        if (json) {
            out += "[";
            return;
        }
        out += "date,time,temperature";
        for (int k = 1; k <= n; ++k)
            out += ",channel" + std::to_string(k);
        for (int k = 1; k <= n; ++k)
            out += ",displacement" + std::to_string(k);
        if (quality) out += ",quality";
        out += "\r\n";
    };
    // The anchors are known once the sensor is read; the header waits for them.
    store::Database& db = database(true);
    // Flagged readings leave with their flag; a sensor without flags lists as
    // it always did.
    quality = readings::hasDoubtfulReadings(db, number);
    const operations::ReadingsOf of = operations::forEachReading(
        db, number, from, to,
        [&](const operations::ReadingLine& line) {
            if (!headerDone) header(int(line.channels.size()));
            if (json) {
                out += first ? "\n  {" : ",\n  {";
                first = false;
                out += "\"date\": \"" + line.date.toStdString() + "\", \"time\": \"" +
                       line.time.toStdString() + "\", \"temperature\": ";
                operations::csv::appendJson(out, line.temperature);
                out += ", \"channels\": [";
                for (size_t k = 0; k < line.channels.size(); ++k) {
                    if (k) out += ", ";
                    operations::csv::appendJson(out, line.channels[k]);
                }
                out += "], \"displacements\": [";
                for (size_t k = 0; k < line.displacements.size(); ++k) {
                    if (k) out += ", ";
                    operations::csv::appendJson(out,
                                                operations::csv::rounded(line.displacements[k]));
                }
                out += "]";
                if (quality) out += ", \"quality\": \"" + line.quality.toStdString() + "\"";
                out += "}";
            } else {
                operations::csv::appendField(out, line.date);
                out += ',';
                operations::csv::appendField(out, line.time);
                out += ',';
                operations::csv::appendNumber(out, line.temperature);
                for (const auto& v : line.channels) {
                    out += ',';
                    operations::csv::appendNumber(out, v);
                }
                for (const auto& v : line.displacements) {
                    out += ',';
                    operations::csv::appendNumber(out, operations::csv::rounded(v));
                }
                if (quality) {
                    out += ',';
                    operations::csv::appendField(out, line.quality);
                }
                out += "\r\n";
            }
            if (out.size() > (1 << 16) - 512) flush();
        },
        withInvalid);
    if (!headerDone) header(of.anchors);
    if (json) out += first ? "]\n" : "\n]\n";
    flush();
    return Done;
}

int Run::import(const Arguments& a) {
    operations::ImportRequest r;
    r.file = a.positional[0];
    r.sensor = a.value(QStringLiteral("--sensor"));
    if (r.sensor.isEmpty()) throw UsageError{QStringLiteral("import needs --sensor NUMBER")};
    const QString order = a.value(QStringLiteral("--date-order"), QStringLiteral("ymd"));
    if (order == QLatin1String("ymd"))
        r.layout = importer::DateLayout::YearFirst;
    else if (order == QLatin1String("dmy"))
        r.layout = importer::DateLayout::DayFirst;
    else if (order == QLatin1String("mdy"))
        r.layout = importer::DateLayout::MonthFirst;
    else
        throw UsageError{QStringLiteral("--date-order is ymd, dmy or mdy, not ") + order};
    if (a.has(QStringLiteral("--every"))) {
        bool ok = false;
        r.everyHours = a.value(QStringLiteral("--every")).toInt(&ok);
        if (!ok || r.everyHours < 0)
            throw UsageError{QStringLiteral("--every takes a whole number of hours")};
    }
    r.all = a.has(QStringLiteral("--all"));
    r.dryRun = a.has(QStringLiteral("--dry-run"));
    r.map = a.value(QStringLiteral("--map"));
    if (a.has(QStringLiteral("--map")) && r.map.trimmed().isEmpty())
        throw UsageError{QStringLiteral("--map needs FIELD=target pairs")};
    r.now = clock_.now();
    const QString file = QFileInfo(r.file).absoluteFilePath();
    r.file = file;
    const operations::ImportOutcome o =
        operations::importLoggerFile(database(), workspace().dataFolder, r, clock_.now().date(),
                                     progress(QStringLiteral("Appending to %1").arg(r.sensor)));
    endProgress();
    if (a.has(QStringLiteral("--json"))) {
        QJsonObject counts{{QStringLiteral("file"), file},
                           {QStringLiteral("sensor"), r.sensor},
                           {QStringLiteral("dryRun"), r.dryRun},
                           {QStringLiteral("lines"), o.lines},
                           {QStringLiteral("appended"), o.appended},
                           {QStringLiteral("duplicates"), o.duplicates},
                           {QStringLiteral("notDates"), o.notDates},
                           {QStringLiteral("notProposed"), o.notProposed}};
        if (o.mapped) {
            counts.insert(QStringLiteral("repeated"), o.repeated);
            counts.insert(QStringLiteral("wrongFieldCount"), o.wrongFieldCount);
            counts.insert(QStringLiteral("future"), o.future);
            counts.insert(QStringLiteral("suspect"), o.suspect);
            counts.insert(QStringLiteral("messages"), QJsonArray::fromStringList(o.messages));
        }
        print(streams_.out,
              QString::fromUtf8(QJsonDocument(counts).toJson(QJsonDocument::Indented)));
        return Done;
    }
    if (o.mapped) {
        print(streams_.out,
              QStringLiteral("%1\nLines read: %2\n%3: %4\nSkipped, already stored: %5\n"
                             "Skipped, repeating an earlier line's time: %6\nSkipped, too few or "
                             "too many fields: %7\nSkipped, no date and time: %8\nSkipped, dated "
                             "in the future: %9\n")
                      .arg(file)
                      .arg(o.lines)
                      .arg(r.dryRun ? QStringLiteral("Would be appended")
                                    : QStringLiteral("Appended"))
                      .arg(o.appended)
                      .arg(o.duplicates)
                      .arg(o.repeated)
                      .arg(o.wrongFieldCount)
                      .arg(o.notDates)
                      .arg(o.future) +
                  QStringLiteral("Flagged suspect: %1\n").arg(o.suspect));
        for (const QString& m : o.messages)
            print(streams_.err, QStringLiteral("%1: %2\n").arg(Program, m));
        return Done;
    }
    print(
        streams_.out,
        QStringLiteral("%1\nLines read: %2\n%3: %4\nSkipped, already stored: %5\nSkipped, no date "
                       "and time in the layout: %6\nSkipped, not proposed: %7\n")
            .arg(file)
            .arg(o.lines)
            .arg(r.dryRun ? QStringLiteral("Would be appended") : QStringLiteral("Appended"))
            .arg(o.appended)
            .arg(o.duplicates)
            .arg(o.notDates)
            .arg(o.notProposed));
    return Done;
}

QString momentOf(const QString& text, const QString& flag);
QString required(const Arguments& a, const QString& flag, const QString& command);

int Run::importFolder(const Arguments& a) {
    operations::FolderRequest r;
    r.folder = QFileInfo(a.positional[0]).absoluteFilePath();
    r.archive = a.has(QStringLiteral("--archive"));
    r.now = clock_.now();
    const std::vector<operations::FolderFileOutcome> list = operations::importFolder(
        database(), workspace().dataFolder, r, progress(QStringLiteral("Importing files")));
    endProgress();
    int failed = 0;
    for (const operations::FolderFileOutcome& f : list)
        if (f.status == operations::FolderFileOutcome::Status::Failed) ++failed;
    if (a.has(QStringLiteral("--json"))) {
        QJsonArray array;
        for (const operations::FolderFileOutcome& f : list)
            array.append(
                QJsonObject{{QStringLiteral("file"), f.file},
                            {QStringLiteral("sensor"), f.sensor},
                            {QStringLiteral("status"), operations::statusName(f.status)},
                            {QStringLiteral("appended"), f.appended},
                            {QStringLiteral("duplicates"), f.duplicates},
                            {QStringLiteral("skipped"), f.skipped},
                            {QStringLiteral("suspect"), f.suspect},
                            {QStringLiteral("error"), f.error},
                            {QStringLiteral("messages"), QJsonArray::fromStringList(f.messages)}});
        print(streams_.out,
              QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)));
    } else {
        std::string out = "file,sensor,status,appended,duplicates,skipped,suspect,errors\r\n";
        for (const operations::FolderFileOutcome& f : list) {
            for (const QString* text : {&f.file, &f.sensor}) {
                operations::csv::appendField(out, *text);
                out += ',';
            }
            operations::csv::appendField(out, operations::statusName(f.status));
            out += ',' + std::to_string(f.appended) + ',' + std::to_string(f.duplicates) + ',' +
                   std::to_string(f.skipped) + ',' + std::to_string(f.suspect) + ',';
            QStringList errors = f.messages;
            if (!f.error.isEmpty()) errors.prepend(f.error);
            operations::csv::appendField(out, errors.join(QStringLiteral(" / ")));
            out += "\r\n";
        }
        std::fwrite(out.data(), 1, out.size(), streams_.out);
    }
    for (const operations::FolderFileOutcome& f : list)
        if (f.status == operations::FolderFileOutcome::Status::Failed)
            print(streams_.err,
                  QStringLiteral("%1: %2 failed: %3\n").arg(Program, f.file, f.error));
    if (failed > 0) {
        const app::Log log(workspace().dataFolder, &clock_);
        log.WriteLog(QStringLiteral("Err #1: %1 of %2 file(s) of %3 failed to import tolvane-cli "
                                    "import-folder")
                         .arg(failed)
                         .arg(list.size())
                         .arg(r.folder));
        return Failed;
    }
    return Done;
}

namespace {

// "A,B,C" as numbers; exactly count of them.
std::vector<double> numbersOf(const QString& text, const QString& flag, int least, int most) {
    std::vector<double> list;
    for (const QString& part : text.split(QLatin1Char(','))) {
        bool ok = false;
        const double v = part.trimmed().toDouble(&ok);
        // "inf" and "nan" read as numbers, but no reading converts by them.
        if (!ok || !std::isfinite(v))
            throw UsageError{
                QStringLiteral("%1 takes numbers separated by commas, not \"%2\"").arg(flag, text)};
        list.push_back(v);
    }
    if (int(list.size()) < least || int(list.size()) > most)
        throw UsageError{
            least == most
                ? QStringLiteral("%1 takes %2 number(s)").arg(flag).arg(least)
                : QStringLiteral("%1 takes %2 to %3 numbers").arg(flag).arg(least).arg(most)};
    return list;
}

} // namespace

int Run::calibrate(const Arguments& a) {
    operations::CalibrationRequest r;
    r.sensor = a.positional[0];
    const QString channel = required(a, QStringLiteral("--channel"), QStringLiteral("calibrate"));
    if (channel == QLatin1String("thermistor")) {
        r.channel = 0;
    } else {
        bool ok = false;
        r.channel = channel.toInt(&ok);
        if (!ok || r.channel < 1 || r.channel > 10)
            throw UsageError{QStringLiteral("--channel is 1 to 10 or thermistor, not ") + channel};
    }
    r.validFrom = momentOf(required(a, QStringLiteral("--from"), QStringLiteral("calibrate")),
                           QStringLiteral("--from"));
    const int kinds = int(a.has(QStringLiteral("--gauge"))) + int(a.has(QStringLiteral("--poly"))) +
                      int(a.has(QStringLiteral("--steinhart")));
    if (r.channel == 0) {
        if (a.has(QStringLiteral("--gauge")) || a.has(QStringLiteral("--poly")))
            throw UsageError{QStringLiteral("the thermistor takes --steinhart A,B,C or nothing")};
        r.kind = QStringLiteral("thermistor");
        if (a.has(QStringLiteral("--steinhart"))) {
            const auto v = numbersOf(a.value(QStringLiteral("--steinhart")),
                                     QStringLiteral("--steinhart"), 3, 3);
            r.thermA = v[0];
            r.thermB = v[1];
            r.thermC = v[2];
        }
    } else {
        if (kinds != 1 || a.has(QStringLiteral("--steinhart")))
            throw UsageError{QStringLiteral("a channel takes one of --gauge G and --poly A,B")};
        if (a.has(QStringLiteral("--gauge"))) {
            r.kind = QStringLiteral("linear");
            r.gaugeFactor =
                numbersOf(a.value(QStringLiteral("--gauge")), QStringLiteral("--gauge"), 1, 1)[0];
        } else {
            r.kind = QStringLiteral("polynomial");
            const auto v =
                numbersOf(a.value(QStringLiteral("--poly")), QStringLiteral("--poly"), 2, 2);
            r.polyA = v[0];
            r.polyB = v[1];
        }
        if (a.has(QStringLiteral("--thermal"))) {
            const auto v =
                numbersOf(a.value(QStringLiteral("--thermal")), QStringLiteral("--thermal"), 2, 2);
            r.thermalM = v[0];
            r.thermalB = v[1];
        }
        if (a.has(QStringLiteral("--zero"))) {
            const auto v =
                numbersOf(a.value(QStringLiteral("--zero")), QStringLiteral("--zero"), 1, 2);
            r.zeroDigits = v[0];
            if (v.size() > 1) r.zeroTemperature = v[1];
        }
        if (a.has(QStringLiteral("--range"))) {
            const auto v =
                numbersOf(a.value(QStringLiteral("--range")), QStringLiteral("--range"), 2, 2);
            r.minDigits = v[0];
            r.maxDigits = v[1];
        }
    }
    operations::setCalibration(database(), r);
    print(streams_.out, QStringLiteral("Calibration of %1 of sensor %2 from %3 stored\n")
                            .arg(r.channel == 0 ? QStringLiteral("the thermistor")
                                                : QStringLiteral("channel %1").arg(r.channel),
                                 r.sensor, readings::momentText(r.validFrom)));
    return Done;
}

int Run::listCalibrations(const Arguments& a) {
    const std::vector<importer::Calibration> list =
        importer::calibrations(database(true), a.positional[0]);
    auto num = [](const std::optional<double>& v) { return v ? QJsonValue(*v) : QJsonValue(); };
    QJsonArray array;
    std::string out =
        "channel,from,kind,gauge,polyA,polyB,thermalM,thermalB,zeroDigits,zeroTemperature,"
        "minDigits,maxDigits,steinhartA,steinhartB,steinhartC\r\n";
    for (const importer::Calibration& c : list) {
        const bool linear = !c.thermistor && c.kind == importer::GaugeKind::Linear;
        const bool poly = !c.thermistor && c.kind == importer::GaugeKind::Polynomial;
        const QString kind = c.thermistor ? QStringLiteral("thermistor")
                             : linear     ? QStringLiteral("linear")
                                          : QStringLiteral("polynomial");
        const std::vector<std::optional<double>> values{
            linear ? std::optional(c.gaugeFactor) : std::nullopt,
            poly ? std::optional(c.polyA) : std::nullopt,
            poly ? std::optional(c.polyB) : std::nullopt,
            c.thermistor ? std::nullopt : std::optional(c.thermalM),
            c.thermistor ? std::nullopt : std::optional(c.thermalB),
            c.zeroDigits,
            c.zeroTemperature,
            c.minDigits,
            c.maxDigits,
            c.thermistor ? std::optional(c.steinhart.a) : std::nullopt,
            c.thermistor ? std::optional(c.steinhart.b) : std::nullopt,
            c.thermistor ? std::optional(c.steinhart.c) : std::nullopt};
        const QString channel =
            c.thermistor ? QStringLiteral("thermistor") : QString::number(c.channel);
        QJsonObject o{{QStringLiteral("channel"), channel},
                      {QStringLiteral("from"), readings::momentText(c.validFrom)},
                      {QStringLiteral("kind"), kind}};
        const QStringList names{QStringLiteral("gauge"),           QStringLiteral("polyA"),
                                QStringLiteral("polyB"),           QStringLiteral("thermalM"),
                                QStringLiteral("thermalB"),        QStringLiteral("zeroDigits"),
                                QStringLiteral("zeroTemperature"), QStringLiteral("minDigits"),
                                QStringLiteral("maxDigits"),       QStringLiteral("steinhartA"),
                                QStringLiteral("steinhartB"),      QStringLiteral("steinhartC")};
        operations::csv::appendField(out, channel);
        out += ',';
        operations::csv::appendField(out, readings::momentText(c.validFrom));
        out += ',';
        operations::csv::appendField(out, kind);
        for (size_t k = 0; k < values.size(); ++k) {
            o.insert(names[qsizetype(k)], num(values[k]));
            out += ',';
            operations::csv::appendNumber(out, values[k]);
        }
        out += "\r\n";
        array.append(o);
    }
    if (a.has(QStringLiteral("--json")))
        print(streams_.out,
              QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)));
    else
        std::fwrite(out.data(), 1, out.size(), streams_.out);
    return Done;
}

int Run::exportReadings(const Arguments& a) {
    const bool xlsx = a.has(QStringLiteral("--xlsx"));
    if (xlsx == a.has(QStringLiteral("--csv")))
        throw UsageError{QStringLiteral("export takes one of --xlsx FILE and --csv FILE")};
    const QString path =
        QFileInfo(a.value(xlsx ? QStringLiteral("--xlsx") : QStringLiteral("--csv")))
            .absoluteFilePath();
    const QString number = a.positional[0];
    store::Database& db = database(true);
    const operations::Progress shown = progress(QStringLiteral("Exporting %1").arg(number));
    const bool withInvalid = a.has(QStringLiteral("--with-invalid"));
    if (xlsx)
        operations::exportWorkbook(db, number, path, shown, withInvalid);
    else
        operations::exportCsv(db, number, path, shown, withInvalid);
    endProgress();
    print(streams_.out, path + QLatin1Char('\n'));
    return Done;
}

int Run::report(const Arguments& a) {
    if (!report_)
        throw store::Error(store::code::Misuse, QStringLiteral("this build cannot draw graphs"));
    ReportRequest r;
    r.sensor = a.positional[0];
    r.pdf = a.has(QStringLiteral("--pdf"));
    if (r.pdf == a.has(QStringLiteral("--docx")))
        throw UsageError{QStringLiteral("report takes one of --docx FILE and --pdf FILE")};
    const QString file = a.value(r.pdf ? QStringLiteral("--pdf") : QStringLiteral("--docx"));
    if (file.isEmpty())
        throw UsageError{QStringLiteral("report needs a file name after %1")
                             .arg(r.pdf ? QStringLiteral("--pdf") : QStringLiteral("--docx"))};
    r.path = QFileInfo(file).absoluteFilePath();
    if (a.has(QStringLiteral("--graphs"))) {
        r.graphsNamed = true;
        r.timeGraph = r.lengthGraph = false;
        const QString list = a.value(QStringLiteral("--graphs"));
        for (const QString& g : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            if (g.trimmed() == QLatin1String("time"))
                r.timeGraph = true;
            else if (g.trimmed() == QLatin1String("length"))
                r.lengthGraph = true;
            else if (g.trimmed() != QLatin1String("none"))
                throw UsageError{QStringLiteral("--graphs takes time, length or both, not ") + g};
        }
    }
    r.dataFolder = workspace().dataFolder;
    database(); // refused here when it is no database of ours, brought up to date
    // The writer opens its own connection: to the file, or to the server by
    // the address as given (a server's path() holds no password).
    r.database = db_->isServer() ? workspace().database : db_->path();
    db_.reset();
    r.progress = progress(QStringLiteral("Writing the report of %1").arg(r.sensor));
    const QStringList notes = report_(r, clock_);
    endProgress();
    for (const QString& note : notes)
        print(streams_.err, QStringLiteral("%1: %2\n").arg(Program, note));
    print(streams_.out, r.path + QLatin1Char('\n'));
    return Done;
}

int Run::backup(const Arguments&) {
    database(true); // refused here when it is no database of ours
    const bool server = db_->isServer();
    const QString name = db_->path();
    db_.reset();
    if (server) {
        // The server's own client program dumps it; it tells how far it is.
        std::function<void(int)> percent;
        if (streams_.errIsTerminal)
            percent = [this, name](int p) {
                print(streams_.err, QStringLiteral("\rBacking up %1: %2 % ").arg(name).arg(p, 3));
                std::fflush(streams_.err);
                progressShown_ = true;
            };
        const QString made = operations::backup(workspace(), clock_.now().date(), percent);
        endProgress();
        print(streams_.out, made + QLatin1Char('\n'));
        return Done;
    }
    // The copy and its check are one step each: a line says it has begun.
    if (streams_.errIsTerminal) {
        print(streams_.err, QStringLiteral("Backing up %1 (%2 MB)...")
                                .arg(workspace().database)
                                .arg(QFileInfo(workspace().database).size() / 1e6, 0, 'f', 1));
        std::fflush(streams_.err);
        progressShown_ = true;
    }
    const QString made = operations::backup(workspace(), clock_.now().date());
    endProgress();
    print(streams_.out, made + QLatin1Char('\n'));
    return Done;
}

int Run::restore(const Arguments& a) {
    const operations::Workspace& w = workspace();
    // Refused before any lock: a server's database is restored by its
    // administrator.
    if (store::isServerAddress(w.database))
        throw store::Error(store::code::Perm, maintenance::serverRestoreRefusal(
                                                  store::parseServerAddress(w.database)));
    // Only with the database's lock: the window must not be writing to the
    // file that is replaced under it.
    app::DatabaseLock lock(w.database);
    if (lock.state() == app::DatabaseLock::State::HeldElsewhere)
        throw store::Error(
            store::code::Busy,
            QStringLiteral("the database is in use%1; close Tolvane first: %2")
                .arg(lock.ownerUser().isEmpty()
                         ? QString()
                         : QStringLiteral(" by %1 on %2").arg(lock.ownerUser(), lock.ownerHost()),
                     w.database));
    operations::restore(w, a.positional[0],
                        {store::systemUserName(), [this] { return clock_.now(); }});
    print(streams_.out, QStringLiteral("Restored %1\n").arg(w.database));
    return Done;
}

int Run::check(const Arguments&) {
    store::Database& db = database(true);
    const std::vector<operations::CheckFinding> found = operations::checkDatabase(db);
    if (found.empty()) {
        print(streams_.out, QStringLiteral("%1: no problems found\n").arg(db.path()));
        return Done;
    }
    for (const operations::CheckFinding& f : found)
        print(streams_.out, QStringLiteral("%1: %2\n").arg(f.subject, f.problem));
    throw store::Error(
        store::code::Corrupt,
        QStringLiteral("%1 problem(s) found in %2").arg(found.size()).arg(db.path()));
}

// "YYYY/MM/DD HH:MM:SS" as the reading tables' FullDate.
QString momentOf(const QString& text, const QString& flag) {
    const QDateTime t =
        QDateTime::fromString(text.trimmed(), QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    if (!t.isValid())
        throw UsageError{QStringLiteral("%1 takes a moment as \"YYYY/MM/DD HH:MM:SS\", not \"%2\"")
                             .arg(flag, text)};
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString required(const Arguments& a, const QString& flag, const QString& command) {
    if (!a.has(flag)) throw UsageError{QStringLiteral("%1 needs %2").arg(command, flag)};
    return a.value(flag);
}

int Run::flag(const Arguments& a) {
    const QString number = a.positional[0];
    const QString at = momentOf(required(a, QStringLiteral("--at"), QStringLiteral("flag")),
                                QStringLiteral("--at"));
    const QString to = a.has(QStringLiteral("--to"))
                           ? momentOf(a.value(QStringLiteral("--to")), QStringLiteral("--to"))
                           : at;
    const QString name = required(a, QStringLiteral("--quality"), QStringLiteral("flag"));
    const std::optional<readings::Quality> quality = readings::qualityFromName(name);
    if (!quality)
        throw UsageError{
            QStringLiteral("--quality is valid, suspect or invalid, not \"%1\"").arg(name)};
    store::Database& db = database();
    if (!db.hasTable(number))
        throw store::Error(store::code::NotFound,
                           QStringLiteral("sensor %1 has no reading table").arg(number));
    QStringList keys;
    if (to == at) {
        const QDateTime when = QDateTime::fromString(at, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        keys << readings::readingKey(number, when.date(), when.time());
    } else {
        keys = readings::keysBetween(db, number, at, to);
        if (keys.isEmpty())
            throw store::Error(
                store::code::NotFound,
                QStringLiteral("sensor %1 has no reading from %2 to %3")
                    .arg(number, readings::momentText(at), readings::momentText(to)));
    }
    int changed = 0;
    operations::writeTransaction(db, [&] {
        changed =
            readings::setQuality(db, number, keys, *quality, a.value(QStringLiteral("--note")));
    });
    print(streams_.out, QStringLiteral("%1 of %2 reading(s) of sensor %3 now %4\n")
                            .arg(changed)
                            .arg(keys.size())
                            .arg(number, readings::qualityName(*quality)));
    return Done;
}

int Run::zero(const Arguments& a) {
    const QString number = a.positional[0];
    const QString at = momentOf(required(a, QStringLiteral("--at"), QStringLiteral("zero")),
                                QStringLiteral("--at"));
    const QString reason = required(a, QStringLiteral("--reason"), QStringLiteral("zero"));
    if (reason.trimmed().isEmpty()) throw UsageError{QStringLiteral("zero needs a --reason")};
    const bool retire = a.has(QStringLiteral("--retire"));
    if (retire && a.has(QStringLiteral("--carry-over")))
        throw UsageError{QStringLiteral("zero takes --carry-over or --retire, not both")};
    store::Database& db = database();
    operations::writeTransaction(db, [&] {
        if (!retire) {
            readings::setZero(db, number, at, reason, a.has(QStringLiteral("--carry-over")));
            return;
        }
        for (const readings::ZeroReading& z : readings::zeroReadings(db, number))
            if (!z.retired() && z.at == at) return readings::retireZero(db, number, z.id, reason);
        throw store::Error(store::code::NotFound,
                           QStringLiteral("sensor %1 has no zero reading in force at %2")
                               .arg(number, readings::momentText(at)));
    });
    print(streams_.out, QStringLiteral("%1 zero reading of sensor %2 at %3\n")
                            .arg(retire ? QStringLiteral("retired the") : QStringLiteral("set a"),
                                 number, readings::momentText(at)));
    return Done;
}

int Run::zeros(const Arguments& a) {
    const QString number = a.positional[0];
    store::Database& db = database(true);
    if (!db.hasTable(number))
        throw store::Error(store::code::NotFound,
                           QStringLiteral("sensor %1 has no reading table").arg(number));
    const std::vector<readings::ZeroReading> list = readings::zeroReadings(db, number);
    if (a.has(QStringLiteral("--json"))) {
        QJsonArray all;
        for (const readings::ZeroReading& z : list)
            all.append(QJsonObject{{QStringLiteral("at"), readings::momentText(z.at)},
                                   {QStringLiteral("reason"), z.reason},
                                   {QStringLiteral("carryOver"), z.carryOver},
                                   {QStringLiteral("setBy"), z.setBy},
                                   {QStringLiteral("setAt"), readings::momentText(z.setAt)},
                                   {QStringLiteral("retired"), z.retired()},
                                   {QStringLiteral("retiredBy"), z.retiredBy},
                                   {QStringLiteral("retiredAt"), readings::momentText(z.retiredAt)},
                                   {QStringLiteral("retiredReason"), z.retiredReason}});
        print(streams_.out, QString::fromUtf8(QJsonDocument(all).toJson()));
        return Done;
    }
    std::string out = "at,reason,carry_over,set_by,set_at,retired_at,retired_by,retired_reason\r\n";
    for (const readings::ZeroReading& z : list) {
        for (const QString& field :
             {readings::momentText(z.at), z.reason,
              z.carryOver ? QStringLiteral("yes") : QStringLiteral("no"), z.setBy,
              readings::momentText(z.setAt), readings::momentText(z.retiredAt), z.retiredBy,
              z.retiredReason}) {
            if (out.back() != '\n') out += ',';
            operations::csv::appendField(out, field);
        }
        out += "\r\n";
    }
    std::fwrite(out.data(), 1, out.size(), streams_.out);
    return Done;
}

int Run::recover(const Arguments& a) {
    const QString number = a.positional[0];
    const auto from = dayOf(a.value(QStringLiteral("--from")), QStringLiteral("--from"));
    const auto to = dayOf(a.value(QStringLiteral("--to")), QStringLiteral("--to"));
    const bool json = a.has(QStringLiteral("--json"));
    if (a.has(QStringLiteral("--list"))) {
        const std::vector<readings::RecycledReading> list =
            operations::listRecycled(database(true), number, from, to);
        if (json) {
            QJsonArray array;
            for (const readings::RecycledReading& r : list)
                array.append(QJsonObject{{QStringLiteral("key"), r.key},
                                         {QStringLiteral("date"), r.date},
                                         {QStringLiteral("time"), r.time},
                                         {QStringLiteral("deletedAt"), r.deletedAt},
                                         {QStringLiteral("deletedBy"), r.deletedBy},
                                         {QStringLiteral("quality"), r.quality}});
            print(streams_.out,
                  QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)));
            return Done;
        }
        std::string out = "date,time,deletedAt,deletedBy,quality\r\n";
        for (const readings::RecycledReading& r : list) {
            for (const QString* field : {&r.date, &r.time, &r.deletedAt, &r.deletedBy}) {
                operations::csv::appendField(out, *field);
                out += ',';
            }
            operations::csv::appendField(out, r.quality);
            out += "\r\n";
        }
        std::fwrite(out.data(), 1, out.size(), streams_.out);
        return Done;
    }
    const readings::Recovery r = operations::recover(database(), number, from, to);
    for (const QString& key : r.skipped)
        print(streams_.err,
              QStringLiteral("%1: skipped %2: its key is in use again\n").arg(Program, key));
    if (json) {
        QJsonArray skipped;
        for (const QString& key : r.skipped)
            skipped.append(key);
        const QJsonObject counts{{QStringLiteral("sensor"), number},
                                 {QStringLiteral("sensorRecovered"), r.sensorRecovered},
                                 {QStringLiteral("recovered"), r.recovered},
                                 {QStringLiteral("skipped"), skipped}};
        print(streams_.out,
              QString::fromUtf8(QJsonDocument(counts).toJson(QJsonDocument::Indented)));
        return Done;
    }
    QString line = r.sensorRecovered ? QStringLiteral("Sensor %1 recovered; ").arg(number)
                                     : QStringLiteral("Sensor %1: ").arg(number);
    if (r.recovered == 0 && !r.skipped.isEmpty())
        line += QStringLiteral("nothing recovered, every key is in use again; %1 skipped")
                    .arg(r.skipped.size());
    else if (r.recovered == 0 && !r.sensorRecovered)
        line += QStringLiteral("no deleted readings to recover");
    else
        line += QStringLiteral("%1 reading(s) recovered, %2 skipped")
                    .arg(r.recovered)
                    .arg(r.skipped.size());
    print(streams_.out, line + QLatin1Char('\n'));
    return Done;
}

int Run::history(const Arguments& a) {
    store::AuditQuery query;
    if (!a.positional.isEmpty()) query.sensor = a.positional[0];
    query.from = dayOf(a.value(QStringLiteral("--from")), QStringLiteral("--from"));
    query.to = dayOf(a.value(QStringLiteral("--to")), QStringLiteral("--to"));
    const bool json = a.has(QStringLiteral("--json"));
    std::string out;
    out.reserve(1 << 16);
    auto flush = [&] {
        std::fwrite(out.data(), 1, out.size(), streams_.out);
        out.clear();
    };
    out += json ? "[" : "at,user,operation,sensor,target,old,new,count,note\r\n";
    bool first = true;
    // Read-only: a file of an older version is read as it is, never upgraded.
    operations::forEachHistoryEntry(database(true), query, [&](const store::AuditRecord& r) {
        const store::AuditEntry& e = r.entry;
        if (json) {
            QJsonObject o{
                {QStringLiteral("at"), r.at},
                {QStringLiteral("user"), r.user},
                {QStringLiteral("operation"), e.operation},
                {QStringLiteral("sensor"), e.sensor},
                {QStringLiteral("target"), e.target},
                {QStringLiteral("old"), e.oldValue},
                {QStringLiteral("new"), e.newValue},
                {QStringLiteral("count"), e.count ? QJsonValue(double(*e.count)) : QJsonValue()},
                {QStringLiteral("note"), e.note}};
            out += first ? "\n  " : ",\n  ";
            out += QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
        } else {
            for (const QString* text :
                 {&r.at, &r.user, &e.operation, &e.sensor, &e.target, &e.oldValue, &e.newValue}) {
                operations::csv::appendField(out, *text);
                out += ',';
            }
            if (e.count) out += std::to_string(*e.count);
            out += ',';
            operations::csv::appendField(out, e.note);
            out += "\r\n";
        }
        first = false;
        if (out.size() > (1 << 16)) flush();
        return true;
    });
    if (json) out += first ? "]\n" : "\n]\n";
    flush();
    return Done;
}

namespace {

QString decimal(std::optional<double> v, int places) {
    return v ? QString::number(*v, 'f', places) : QString();
}

QJsonValue jsonNumber(std::optional<double> v) {
    return v ? QJsonValue(*v) : QJsonValue();
}

QJsonObject thresholdsJson(const levels::Thresholds& t,
                           const std::vector<levels::TriggerLevel>& site) {
    QJsonObject o;
    for (const auto& [position, value] : t)
        if (position <= int(site.size())) o.insert(site[size_t(position - 1)].name, value);
    return o;
}

} // namespace

int Run::levels(const Arguments& a) {
    const QString number = a.positional[0];
    const bool writes = a.has(QStringLiteral("--set")) || a.has(QStringLiteral("--rate")) ||
                        a.has(QStringLiteral("--window")) ||
                        a.has(QStringLiteral("--stale-after")) || a.has(QStringLiteral("--clear"));
    int anchor = 0;
    if (a.has(QStringLiteral("--anchor"))) {
        bool ok = false;
        anchor = a.value(QStringLiteral("--anchor")).toInt(&ok);
        if (!ok || anchor < 1 || anchor > levels::MaxAnchors)
            throw UsageError{QStringLiteral("--anchor takes an anchor from 1 to 8, not \"%1\"")
                                 .arg(a.value(QStringLiteral("--anchor")))};
        if (!writes)
            throw UsageError{QStringLiteral("--anchor goes with --set, --rate or --clear")};
    }
    if (anchor > 0 && (a.has(QStringLiteral("--window")) || a.has(QStringLiteral("--stale-after"))))
        throw UsageError{
            QStringLiteral("--window and --stale-after are the sensor's, not an anchor's")};
    store::Database& db = database(!writes);
    int anchors = -1;
    for (const operations::SensorSummary& s : operations::listSensors(db))
        if (s.number == number) anchors = s.anchors;
    if (anchors < 0)
        throw store::Error(store::code::NotFound,
                           QStringLiteral("no sensor %1 in the register").arg(number));
    if (anchor > anchors)
        throw UsageError{
            QStringLiteral("--anchor: sensor %1 has %2 anchor(s)").arg(number).arg(anchors)};
    const std::vector<levels::TriggerLevel> site = levels::siteLevels(db);
    levels::SensorTriggers t = levels::sensorTriggers(db, number);
    if (writes) {
        const auto thresholds = [&](const QString& flag) {
            try {
                return levels::parseThresholds(a.value(flag), site, flag);
            } catch (const store::Error& e) {
                throw UsageError{e.description()};
            }
        };
        const auto hours = [&](const QString& flag) {
            bool ok = false;
            const double h = a.value(flag).toDouble(&ok);
            if (!ok || !(h > 0) || !std::isfinite(h))
                throw UsageError{QStringLiteral("%1 takes a number of hours above 0, not \"%2\"")
                                     .arg(flag, a.value(flag))};
            return h;
        };
        const size_t k = size_t(anchor);
        if (a.has(QStringLiteral("--clear"))) {
            t.displacement[k].clear();
            t.rate[k].clear();
        }
        if (a.has(QStringLiteral("--set"))) t.displacement[k] = thresholds(QStringLiteral("--set"));
        if (a.has(QStringLiteral("--rate"))) t.rate[k] = thresholds(QStringLiteral("--rate"));
        if (a.has(QStringLiteral("--window"))) t.windowHours = hours(QStringLiteral("--window"));
        if (a.has(QStringLiteral("--stale-after"))) {
            if (a.value(QStringLiteral("--stale-after"))
                    .compare(QStringLiteral("off"), Qt::CaseInsensitive) == 0)
                t.staleAfterHours.reset();
            else
                t.staleAfterHours = hours(QStringLiteral("--stale-after"));
        }
        operations::writeTransaction(db, [&] { levels::setSensorTriggers(db, number, t); });
        t = levels::sensorTriggers(db, number);
    }
    if (a.has(QStringLiteral("--json"))) {
        QJsonArray names;
        for (const levels::TriggerLevel& l : site)
            names.append(QJsonObject{{QStringLiteral("name"), l.name},
                                     {QStringLiteral("colour"), levels::colourText(l.colour)}});
        QJsonObject own;
        for (int k = 1; k <= levels::MaxAnchors; ++k)
            if (!t.displacement[size_t(k)].empty() || !t.rate[size_t(k)].empty())
                own.insert(
                    QString::number(k),
                    QJsonObject{{QStringLiteral("displacement"),
                                 thresholdsJson(t.displacement[size_t(k)], site)},
                                {QStringLiteral("rate"), thresholdsJson(t.rate[size_t(k)], site)}});
        const QJsonObject o{
            {QStringLiteral("sensor"), number},
            {QStringLiteral("levels"), names},
            {QStringLiteral("windowHours"), t.windowHours},
            {QStringLiteral("staleAfterHours"), jsonNumber(t.staleAfterHours)},
            {QStringLiteral("allAnchors"),
             QJsonObject{{QStringLiteral("displacement"), thresholdsJson(t.displacement[0], site)},
                         {QStringLiteral("rate"), thresholdsJson(t.rate[0], site)}}},
            {QStringLiteral("anchors"), own}};
        print(streams_.out, QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented)));
        return Done;
    }
    QStringList names;
    for (const levels::TriggerLevel& l : site)
        names << l.name;
    QString out =
        QStringLiteral("Sensor %1, %2 anchor(s)\nLevels: %3\nRate window: %4 h\n"
                       "No new data after: %5\n")
            .arg(number)
            .arg(anchors)
            .arg(names.join(QStringLiteral(", ")))
            .arg(t.windowHours)
            .arg(t.staleAfterHours ? QString::number(*t.staleAfterHours) + QStringLiteral(" h")
                                   : QStringLiteral("off"));
    const auto line = [&](const QString& scope, size_t k) {
        const QString d = levels::thresholdsText(t.displacement[k], site);
        const QString r = levels::thresholdsText(t.rate[k], site);
        out += QStringLiteral("%1: displacement (mm) %2; rate (mm/day) %3\n")
                   .arg(scope, d.isEmpty() ? QStringLiteral("none") : d,
                        r.isEmpty() ? QStringLiteral("none") : r);
    };
    line(QStringLiteral("All anchors"), 0);
    for (int k = 1; k <= levels::MaxAnchors; ++k)
        if (!t.displacement[size_t(k)].empty() || !t.rate[size_t(k)].empty())
            line(QStringLiteral("Anchor %1").arg(k), size_t(k));
    print(streams_.out, out);
    return Done;
}

int Run::status(const Arguments& a) {
    std::optional<QString> at;
    QDateTime now = clock_.now();
    if (a.has(QStringLiteral("--at"))) {
        at = momentOf(a.value(QStringLiteral("--at")), QStringLiteral("--at"));
        now = QDateTime::fromString(*at, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    store::Database& db = database(true);
    const std::vector<levels::TriggerLevel> site = levels::siteLevels(db);
    int atLeast = 1;
    if (a.has(QStringLiteral("--level"))) {
        const QString name = a.value(QStringLiteral("--level"));
        atLeast = 0;
        for (const levels::TriggerLevel& l : site)
            if (l.name.compare(name, Qt::CaseInsensitive) == 0) atLeast = l.position;
        if (atLeast == 0) {
            QStringList names;
            for (const levels::TriggerLevel& l : site)
                names << l.name;
            throw UsageError{QStringLiteral("--level: there is no level \"%1\" (the levels are %2)")
                                 .arg(name, names.join(QStringLiteral(", ")))};
        }
    }
    std::vector<levels::SensorStatus> all = levels::siteStatus(db, at);
    levels::sortWorstFirst(all, now);
    // What a scheduled job is told of: a level at or above the one asked
    // for, or no new data.
    const auto counts = [&](const levels::SensorStatus& s) {
        return s.level >= atLeast || levels::noNewData(s, now);
    };
    bool attention = false;
    for (const levels::SensorStatus& s : all)
        attention = attention || counts(s);
    const auto stamp = [](const QString& fullDate) {
        return fullDate.isEmpty() ? QString() : readings::momentText(fullDate);
    };
    if (a.has(QStringLiteral("--json"))) {
        QJsonArray array;
        for (const levels::SensorStatus& s : all) {
            if (a.has(QStringLiteral("--level")) && !counts(s)) continue;
            const std::optional<double> age = levels::ageHours(s, now);
            array.append(QJsonObject{
                {QStringLiteral("sensor"), s.number},
                {QStringLiteral("status"), levels::statusText(s, site, now)},
                {QStringLiteral("level"), s.level > 0 && s.level <= int(site.size())
                                              ? QJsonValue(site[size_t(s.level - 1)].name)
                                              : QJsonValue()},
                {QStringLiteral("noNewData"), levels::noNewData(s, now)},
                {QStringLiteral("anchor"), s.anchor > 0 ? QJsonValue(s.anchor) : QJsonValue()},
                {QStringLiteral("displacement"), jsonNumber(s.displacement)},
                {QStringLiteral("rate"), jsonNumber(s.rate)},
                {QStringLiteral("decidedBy"),
                 s.level > 0 ? QJsonValue(levels::kindName(s.decidedBy)) : QJsonValue()},
                {QStringLiteral("suspect"), s.suspect},
                {QStringLiteral("latest"),
                 s.noReadings ? QJsonValue() : QJsonValue(stamp(s.latestAt))},
                {QStringLiteral("ageHours"), jsonNumber(age)},
                {QStringLiteral("mineLevel"), s.mineLevel},
                {QStringLiteral("location"), s.location}});
        }
        print(streams_.out,
              QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)));
        return attention ? Attention : Done;
    }
    QString out;
    for (const levels::SensorStatus& s : all) {
        if (levels::condition(s, now) == levels::Condition::Normal) continue;
        if (a.has(QStringLiteral("--level")) && !counts(s)) continue;
        QString line = QStringLiteral("%1 %2").arg(s.number, levels::statusText(s, site, now));
        if (s.level > 0)
            line +=
                QStringLiteral(": anchor %1 at %2 mm%3 (by %4)")
                    .arg(s.anchor)
                    .arg(decimal(s.displacement, 2),
                         s.rate ? QStringLiteral(", %1 mm/day").arg(decimal(s.rate, 2)) : QString(),
                         levels::kindName(s.decidedBy));
        if (!s.noReadings) {
            const std::optional<double> age = levels::ageHours(s, now);
            line += QStringLiteral("; latest reading %1, %2 h ago")
                        .arg(stamp(s.latestAt), decimal(age, 1));
            if (levels::noNewData(s, now) && s.level > 0) line += QStringLiteral(", no new data");
            if (s.staleAfterHours && levels::noNewData(s, now))
                line += QStringLiteral(" (limit %1 h)").arg(*s.staleAfterHours);
        }
        if (s.suspect) line += QStringLiteral("; the reading is flagged suspect");
        QStringList where;
        if (!s.mineLevel.isEmpty()) where << s.mineLevel;
        if (!s.location.isEmpty()) where << s.location;
        if (!where.isEmpty()) line += QStringLiteral("; ") + where.join(QStringLiteral(", "));
        out += line + QLatin1Char('\n');
    }
    print(streams_.out, out);
    return attention ? Attention : Done;
}

// ---------------------------------------------------------------- earlier versions' files

int Run::mdbTables(const Arguments& a) {
    auto jet = migration::JetFile::open(a.positional[0]);
    for (const QString& name : jet->tableNames())
        print(streams_.out, QStringLiteral("%1\t%2\n").arg(name).arg(jet->table(name).rows));
    return Done;
}

int Run::mdbCopy(const Arguments& a) {
    auto jet = migration::JetFile::open(a.positional[0]);
    const std::vector<migration::CopiedTable> copied =
        migration::copyJetFile(*jet, a.positional[1], tableProgress());
    endProgress();
    for (const migration::CopiedTable& t : copied)
        print(streams_.out, QStringLiteral("%1\t%2\n").arg(t.name).arg(t.rows));
    return Done;
}

int Run::migrate(const Arguments& a) {
    const QString jetPath = QFileInfo(a.positional[0]).absoluteFilePath();
    const migration::Migration m =
        migration::migrate(jetPath, a.value(QStringLiteral("--to")), tableProgress(),
                           {store::systemUserName(), [this] { return clock_.now(); }});
    endProgress();
    print(streams_.out, m.text);
    // The data folder that names the old file goes on with the converted one,
    // as the window's Yes does; another file's conversion leaves it alone.
    // --database names a file for one run only: the location file decides.
    const operations::Workspace& w = workspace();
    const QString located = app::databasePathFromLocationFile(w.dataFolder, nullptr);
    if (QFileInfo(located).absoluteFilePath() == jetPath) {
        app::writeLocationFile(w.dataFolder, m.converted);
        print(streams_.err, QStringLiteral("%1: the data folder now uses %2\n")
                                .arg(Program, QDir::toNativeSeparators(m.converted)));
    }
    return Done;
}

// ---------------------------------------------------------------- new databases

int Run::init(const Arguments&) {
    print(streams_.out, operations::initDatabase(workspace()) + QLatin1Char('\n'));
    return Done;
}

int Run::copyFrom(const Arguments& a) {
    const operations::Workspace& w = workspace();
    if (!store::isServerAddress(w.database))
        throw store::Error(store::code::Misuse,
                           QStringLiteral("copy-from copies into a database on a server: give its "
                                          "address with --database postgresql://..."));
    std::unique_ptr<store::Database> target = operations::connectServer(w.database);
    target->setActor({store::systemUserName(), [this] { return clock_.now(); }});
    const operations::ServerCopy copied =
        operations::copyIntoServer(*target, a.positional[0], tableProgress());
    endProgress();
    if (copied.initialised)
        print(streams_.err, QStringLiteral("%1: the tables of a new database were made in %2\n")
                                .arg(Program, target->path()));
    for (const QString& table : copied.notCopied)
        print(streams_.err,
              QStringLiteral("%1: not copied, not a table of Tolvane: %2\n").arg(Program, table));
    QString text;
    for (const operations::CopiedTable& t : copied.tables)
        text += QStringLiteral("%1\t%2\n").arg(t.table).arg(t.rows);
    text += QStringLiteral("Copied %1 rows in %2 tables from %3 into %4\n")
                .arg(copied.rows)
                .arg(copied.tables.size())
                .arg(QDir::toNativeSeparators(QFileInfo(copied.source).absoluteFilePath()),
                     target->path());
    print(streams_.out, text);
    return Done;
}

const std::vector<Command>& commands() {
    static const std::vector<Command> list{
        {QStringLiteral("sensors"),
         QStringLiteral("[--json]"),
         QStringLiteral("the sensor register, lowest number first"),
         QStringLiteral("Number, family, anchors, level, location, install date, destroyed, "
                        "readings, first and last reading.\n"),
         {},
         {QStringLiteral("--json")},
         0,
         0,
         QStringLiteral(" tolvane-cli sensors"),
         &Run::sensors},
        {QStringLiteral("add-sensor"),
         QStringLiteral("NUMBER [--family mpbx|rova] [--level TEXT] [--location TEXT] "
                        "[--install-date YYYY/MM/DD]"),
         QStringLiteral("adds a sensor and its empty reading table"),
         QStringLiteral("The number's checks are the window's. The family is MPBX unless --family "
                        "rova; the install date is today unless given.\n"),
         {QStringLiteral("--family"), QStringLiteral("--level"), QStringLiteral("--location"),
          QStringLiteral("--install-date")},
         {},
         1,
         1,
         sensors::texts::AddTypedSensorLabel,
         &Run::addSensor},
        {QStringLiteral("readings"),
         QStringLiteral("NUMBER [--from YYYY/MM/DD] [--to YYYY/MM/DD] [--format csv|json] "
                        "[--with-invalid]"),
         QStringLiteral("a sensor's readings and displacements to standard output"),
         QStringLiteral("Whole days, both ends included. Each anchor's displacement is the "
                        "graphs' own, against the earliest reading ticked for the time graph, or "
                        "the zero reading in force. Invalid readings are left out unless "
                        "--with-invalid; when any reading is flagged, a last column gives each "
                        "reading's quality.\n"),
         {QStringLiteral("--from"), QStringLiteral("--to"), QStringLiteral("--format")},
         {QStringLiteral("--with-invalid")},
         1,
         1,
         QStringLiteral(" tolvane-cli readings"),
         &Run::readings},
        {QStringLiteral("import"),
         QStringLiteral("FILE --sensor NUMBER [--map MAPPING] [--date-order ymd|dmy|mdy] [--every "
                        "HOURS] [--all] [--dry-run] [--json]"),
         QStringLiteral("appends a logger file's readings to a sensor"),
         QStringLiteral(
             "One reading per period of --every clock hours (24 unless given) is "
             "appended, as the review window proposes; --all appends every line. Lines "
             "whose reading is stored already are skipped. All or nothing: a failure "
             "stores none. --dry-run counts without storing.\n\nA TOA5 file, or any "
             "CSV with a header line, is read by its mapping: every line is appended, "
             "converted. --map \"TIMESTAMP=time,Temp=temperature:ohm,Freq(1)=channel1:Hz,"
             "Disp(2)=channel2:mm\" gives it (units: mm, m, in, Hz, digits, ohm, degC, "
             "degF; the header's unit when none is given; time:dmy or time:mdy for a "
             "day-first or month-first date) and saves it for the file's logger and the "
             "sensor; without --map the saved one is used. Lines with too few or too "
             "many fields, no date, a date in the future or a time repeated in the file "
             "are skipped and named on standard error; a fault marker (NAN, -9999999) "
             "or a raw value outside the gauge's range is stored as no value and the "
             "reading flagged suspect.\n"),
         {QStringLiteral("--sensor"), QStringLiteral("--date-order"), QStringLiteral("--every"),
          QStringLiteral("--map")},
         {QStringLiteral("--all"), QStringLiteral("--dry-run"), QStringLiteral("--json")},
         1,
         1,
         importer::texts::AppendLabel,
         &Run::import},
        {QStringLiteral("import-folder"),
         QStringLiteral("DIR [--archive] [--json]"),
         QStringLiteral("imports every logger file of a folder into its sensors"),
         QStringLiteral(
             "Each file with a saved mapping (see import --map), or named TV<number>.txt "
             "or <number>.txt in the sixteen-column layout, is imported in name order, "
             "every line, each file in one transaction: a file that fails leaves "
             "nothing behind and the others go on. A file changed in the last 10 "
             "seconds is left for next time. --archive moves each imported file to "
             "DIR/imported/YYYY-MM-DD/. One line per file and sensor: file, sensor, "
             "status (imported, failed, waiting, not mapped), appended, duplicates, "
             "skipped, suspect, errors. Exit status 1 when any file failed.\n"),
         {},
         {QStringLiteral("--archive"), QStringLiteral("--json")},
         1,
         1,
         QStringLiteral(" tolvane-cli import-folder"),
         &Run::importFolder},
        {QStringLiteral("calibrate"),
         QStringLiteral("NUMBER --channel K|thermistor --from \"YYYY/MM/DD HH:MM:SS\" (--gauge G | "
                        "--poly A,B | --steinhart A,B,C) [--thermal M,B] [--zero R0[,T0]] "
                        "[--range MIN,MAX]"),
         QStringLiteral("stores the calibration of a vibrating-wire gauge or a thermistor"),
         QStringLiteral("A channel read in Hz or digits (digits = Hz² / 1000) is converted by its "
                        "calibration in force at the reading: linear, G × (R1 − R0) + K × (T1 − "
                        "T0) mm with K = (R1 × M + B) × G (--thermal M,B; 0 without); or "
                        "polynomial, A × R² + B × R + C with C such that R0 gives 0. R0 and T0 "
                        "are the digits and °C of the zero reading (--zero); without them the "
                        "first reading imported under the calibration gives them. --range is the "
                        "gauge's range in digits. The thermistor's resistance gives °C by "
                        "Steinhart–Hart, 1 / (A + B ln R + C (ln R)³) − 273.15 (without "
                        "--steinhart: 1.4051e-3, 2.369e-4, 1.019e-7). A replaced gauge gets a new "
                        "calibration from its day; older readings keep theirs.\n"),
         {QStringLiteral("--channel"), QStringLiteral("--from"), QStringLiteral("--gauge"),
          QStringLiteral("--poly"), QStringLiteral("--steinhart"), QStringLiteral("--thermal"),
          QStringLiteral("--zero"), QStringLiteral("--range")},
         {},
         1,
         1,
         QStringLiteral(" tolvane-cli calibrate"),
         &Run::calibrate},
        {QStringLiteral("calibrations"),
         QStringLiteral("NUMBER [--json]"),
         QStringLiteral("the calibrations of a sensor's gauges and thermistor"),
         {},
         {},
         {QStringLiteral("--json")},
         1,
         1,
         QStringLiteral(" tolvane-cli calibrations"),
         &Run::listCalibrations},
        {QStringLiteral("export"),
         QStringLiteral("NUMBER (--xlsx FILE | --csv FILE) [--with-invalid]"),
         QStringLiteral("writes a sensor's datasheet as a workbook or as CSV"),
         QStringLiteral("Invalid readings are left out unless --with-invalid; when any reading "
                        "is flagged, a last column gives each reading's quality.\n"),
         {QStringLiteral("--xlsx"), QStringLiteral("--csv")},
         {QStringLiteral("--with-invalid")},
         1,
         1,
         outputs::texts::ExportLabel,
         &Run::exportReadings},
        {QStringLiteral("report"),
         QStringLiteral("NUMBER (--docx FILE | --pdf FILE) [--graphs time,length]"),
         QStringLiteral("writes a sensor's report with its graphs, as .docx or PDF"),
         QStringLiteral("The sensor's details, a table of its anchors (depths, latest "
                        "displacement and its zero reading) and both graphs unless --graphs "
                        "names which (\"none\" for neither), one graph a page. The time graph "
                        "has the temperature on its own axis when the graphs are set so.\n"),
         {QStringLiteral("--docx"), QStringLiteral("--pdf"), QStringLiteral("--graphs")},
         {},
         1,
         1,
         outputs::texts::ReportLabel,
         &Run::report},
        {QStringLiteral("backup"),
         {},
         QStringLiteral("makes today's backup of the database"),
         QStringLiteral("Into the data folder's backup folder, checked before it takes its "
                        "place. A database on a server is dumped there with pg_dump, as "
                        "<database>backup_yyyy-mm-dd.dump.\n"),
         {},
         {},
         0,
         0,
         maintenance::texts::BackupLabel,
         &Run::backup},
        {QStringLiteral("restore"),
         QStringLiteral("FILE"),
         QStringLiteral("puts a backup in place of the database"),
         QStringLiteral("FILE is a name in the backup folder or a path. A foreign or damaged "
                        "file is refused and nothing changes. Not while Tolvane has the database "
                        "open. Refused for a database on a server: its administrator restores it "
                        "with pg_restore.\n"),
         {},
         {},
         1,
         1,
         maintenance::texts::RestoreLabel,
         &Run::restore},
        {QStringLiteral("check"),
         {},
         QStringLiteral("checks the database, its tables and every sensor's reading table"),
         {},
         {},
         {},
         0,
         0,
         QStringLiteral(" tolvane-cli check"),
         &Run::check},
        {QStringLiteral("flag"),
         QStringLiteral("NUMBER --at \"YYYY/MM/DD HH:MM:SS\" [--to \"YYYY/MM/DD HH:MM:SS\"] "
                        "--quality valid|suspect|invalid [--note TEXT]"),
         QStringLiteral("sets the quality of a reading, or of the readings from --at to --to"),
         QStringLiteral("Invalid readings stay stored but are never the zero, never drawn and "
                        "not exported unless asked for; suspect ones are drawn hollow. A zero "
                        "reading cannot be made invalid while it is in force.\n"),
         {QStringLiteral("--at"), QStringLiteral("--to"), QStringLiteral("--quality"),
          QStringLiteral("--note")},
         {},
         1,
         1,
         QStringLiteral(" tolvane-cli flag"),
         &Run::flag},
        {QStringLiteral("zero"),
         QStringLiteral("NUMBER --at \"YYYY/MM/DD HH:MM:SS\" --reason TEXT [--carry-over | "
                        "--retire]"),
         QStringLiteral("makes a reading a zero reading of the sensor, or retires one"),
         QStringLiteral("Later readings are measured from it. With --carry-over the "
                        "displacement of the reading before it is added to every later one, so "
                        "the record runs on across a replaced anchor or head. --retire retires "
                        "the zero in force at that moment; it stays listed.\n"),
         {QStringLiteral("--at"), QStringLiteral("--reason")},
         {QStringLiteral("--carry-over"), QStringLiteral("--retire")},
         1,
         1,
         QStringLiteral(" tolvane-cli zero"),
         &Run::zero},
        {QStringLiteral("zeros"),
         QStringLiteral("NUMBER [--json]"),
         QStringLiteral("the zero readings of a sensor, retired ones included"),
         QStringLiteral("Moment, reason, carry-over, who set it and when, and when, by whom and "
                        "why it was retired.\n"),
         {},
         {QStringLiteral("--json")},
         1,
         1,
         QStringLiteral(" tolvane-cli zeros"),
         &Run::zeros},
        {QStringLiteral("recover"),
         QStringLiteral("NUMBER [--list] [--from YYYY/MM/DD] [--to YYYY/MM/DD] [--json]"),
         QStringLiteral("puts a sensor's deleted readings back from the recycle area"),
         QStringLiteral("Deleted readings (and deleted sensors) are kept in the database's "
                        "recycle area for the days the window's \"Keep deleted readings\" sets "
                        "(365 unless changed). --list prints them (date, time, deletedAt, "
                        "deletedBy, quality) and changes nothing. Otherwise the readings of the "
                        "days --from..--to (both included; all without them) are put back with "
                        "their quality flags; a deleted sensor's register row comes back first. "
                        "A reading whose key is in use again is skipped, named on standard error, "
                        "and stays in the area.\n"),
         {QStringLiteral("--from"), QStringLiteral("--to")},
         {QStringLiteral("--list"), QStringLiteral("--json")},
         1,
         1,
         QStringLiteral(" tolvane-cli recover"),
         &Run::recover},
        {QStringLiteral("history"),
         QStringLiteral("[NUMBER] [--from YYYY/MM/DD] [--to YYYY/MM/DD] [--json]"),
         QStringLiteral("the audit trail: who changed what, and when"),
         QStringLiteral("Oldest first; NUMBER keeps one sensor's entries. Whole days, both ends "
                        "included. CSV with a header line (at, user, operation, sensor, target, "
                        "old, new, count, note), or with --json one array of objects. Reads "
                        "only: an older file without the trail gives the header alone.\n"),
         {QStringLiteral("--from"), QStringLiteral("--to")},
         {QStringLiteral("--json")},
         0,
         1,
         QStringLiteral(" tolvane-cli history"),
         &Run::history},
        {QStringLiteral("levels"),
         QStringLiteral("NUMBER [--anchor K] [--set \"Alert=5,Alarm=10,Action=20\"] [--rate "
                        "\"Alert=0.5,Alarm=1\"] [--window HOURS] [--stale-after HOURS|off] "
                        "[--clear] [--json]"),
         QStringLiteral("a sensor's trigger levels: show them, or set them"),
         QStringLiteral(
             "Without a setting, shows the sensor's thresholds. --set gives the displacement "
             "thresholds (mm, on the absolute displacement of each anchor) and --rate the rate "
             "thresholds (mm/day over the trailing window) by level name, each replacing the "
             "list it names, for every anchor or, with --anchor K, for anchor K alone (its own "
             "list replaces the sensor's for that anchor; --clear removes it). --window sets the "
             "rate window (24 hours by default), --stale-after the age after which a sensor "
             "without a new reading has \"no new data\" (off by default). Values must be "
             "numbers, not negative, and increase from one level to the next. Every change is "
             "written in the audit trail.\n"),
         {QStringLiteral("--anchor"), QStringLiteral("--set"), QStringLiteral("--rate"),
          QStringLiteral("--window"), QStringLiteral("--stale-after")},
         {QStringLiteral("--clear"), QStringLiteral("--json")},
         1,
         1,
         QStringLiteral(" tolvane-cli levels"),
         &Run::levels},
        {QStringLiteral("status"),
         QStringLiteral("[--json] [--level LEVEL] [--at \"YYYY/MM/DD HH:MM:SS\"]"),
         QStringLiteral("every sensor's status against its trigger levels"),
         QStringLiteral(
             "One line per sensor not at normal, worst first: the level reached by its latest "
             "valid reading (the anchor, its displacement and rate), \"no new data\" when that "
             "reading is older than the sensor's limit, or \"no readings\". --json gives every "
             "sensor. --level keeps the sensors at that level or above (and those with no new "
             "data); --at gives the status at an earlier moment. Exit status 3 when a sensor "
             "has reached a level or has no new data, 0 otherwise.\n"),
         {QStringLiteral("--level"), QStringLiteral("--at")},
         {QStringLiteral("--json")},
         0,
         0,
         QStringLiteral(" tolvane-cli status"),
         &Run::status},
        {QStringLiteral("mdb-tables"),
         QStringLiteral("FILE"),
         QStringLiteral("lists the tables of an earlier version's Jet file with their rows"),
         QStringLiteral("One line per user table: its name, a tab, the rows its definition "
                        "records. The file is only read.\n"),
         {},
         {},
         1,
         1,
         QStringLiteral(" tolvane-cli mdb-tables"),
         &Run::mdbTables},
        {QStringLiteral("mdb-copy"),
         QStringLiteral("FILE OUT.sqlite"),
         QStringLiteral("copies every table of a Jet file into a new SQLite file"),
         QStringLiteral(
             "Columns are typed as the Jet columns are (DATETIME as \"YYYY-MM-DD "
             "HH:MM:SS\" text, BOOLEAN 0 or 1, CURRENCY exact); rows as they are, in one "
             "transaction. OUT must not exist. Prints each table and the rows "
             "copied.\n"),
         {},
         {},
         2,
         2,
         QStringLiteral(" tolvane-cli mdb-copy"),
         &Run::mdbCopy},
        {QStringLiteral("migrate"),
         QStringLiteral("OLD.mdb [--to NEW]"),
         QStringLiteral("converts an earlier version's Jet database into a Tolvane database"),
         QStringLiteral("Writes NEW (by default OLD-converted.mdb beside OLD) and the migration "
                        "report beside it, checks it, and prints the report. When the data "
                        "folder uses OLD, it uses NEW from then on. OLD is never written to; a "
                        "failure leaves nothing behind.\n"),
         {QStringLiteral("--to")},
         {},
         1,
         1,
         migration::texts::ConvertLabel,
         &Run::migrate},
        {QStringLiteral("init"),
         {},
         QStringLiteral("makes a new, empty database where --database points"),
         QStringLiteral("A new database file (refused when the file is there), or the tables of "
                        "a new database in a database on a server that holds no tables "
                        "(refused when it holds any). Prints what it made.\n"),
         {},
         {},
         0,
         0,
         QStringLiteral(" tolvane-cli init"),
         &Run::init},
        {QStringLiteral("copy-from"),
         QStringLiteral("FILE"),
         QStringLiteral("copies a whole database file into a database on a server"),
         QStringLiteral(
             "FILE is a Tolvane database, or an earlier version's Jet file (converted on the "
             "way; FILE itself is only read). The server's database (--database URL) must be "
             "empty, when it gets the tables of a new database first, or hold no more than init "
             "made. Every table is copied with its values as stored, in one transaction, and "
             "every table's rows are counted on both sides: on any failure nothing is copied. "
             "Tables that are not Tolvane's are named on standard error and left out. Prints "
             "each table and its rows, then the totals.\n"),
         {},
         {},
         1,
         1,
         QStringLiteral(" tolvane-cli copy-from"),
         &Run::copyFrom},
    };
    return list;
}

} // namespace

int run(const QStringList& arguments, const QProcessEnvironment& environment,
        const app::Clock& clock, const Streams& streams, const ReportWriter& report) {
    Run r(environment, clock, streams, report);
    try {
        return r.main(arguments);
    } catch (const UsageError& e) {
        print(streams.err, QStringLiteral("%1: %2\n%3\n").arg(Program, e.text, e.usage));
        return WrongUsage;
    }
}

} // namespace cli
