// Every user operation that the window and tolvane-cli share, one line each.
// An operation takes explicit values (a sensor number, a path, a choice) and
// the store, reads no widget and asks nothing: the caller asks before or
// after. A failure throws store::Error with its reason, and leaves nothing
// half done.
#pragma once

#include "importer/LoggerDates.h"
#include "importer/TextFile.h"
#include "readings/Recovery.h"
#include "store/Audit.h"
#include "store/Database.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace outputs {
class DatasheetModel;
} // namespace outputs

namespace operations {

// ---------------------------------------------------------------- the data folder

// Where a run works: the data folder and the database in use: a file in it
// (or the one the location file or the caller names), or a server's address.
struct Workspace {
    QString dataFolder;
    QString database; // an absolute path, or a server's address as given
};
// The data folder under documentsFolder, found and, where there is none yet,
// made as the program's first start makes it (the default database included
// when it is the one in use). database, when not empty, replaces the location
// file's path for this run only: a path made absolute, or a server's address
// kept as it is.
Workspace openWorkspace(const QString& documentsFolder, const QString& database = {});
// A connection to the workspace's database, refused (store::Error) when the
// file is missing, no database, or not one of ours, or when the server cannot
// be reached or refuses the user (in plain words, saying how to give a
// password when one is asked for and none was given). One for writing is of
// this program's schema version: an older database is brought up to date
// first (a file after a backup; a server's, whose backups are its
// administrator's, without one; tell hears of it once), a newer one refused.
std::unique_ptr<store::Database> connect(const Workspace& workspace, bool readOnly = false,
                                         const QDate& today = QDate::currentDate(),
                                         const std::function<void(const QString&)>& tell = {});
// A connection to a server's database as it is, without looking at its
// tables: for making them. The password comes the ways libpq's own clients
// take it (the address, PGPASSWORD, ~/.pgpass); nothing is ever asked.
std::unique_ptr<store::Database> connectServer(const QString& address);
// A new database of this program at the workspace's location: a new file
// (refused when one is there), or the tables of a new database in a server's
// database that holds none (refused when it holds any). Returns what it made,
// in a sentence.
QString initDatabase(const Workspace& workspace);

// Runs f as one write transaction that waits for other writers (the engine's
// busy timeout) and never writes to a file that was replaced meanwhile.
void writeTransaction(store::Database& db, const std::function<void()>& f);

// ---------------------------------------------------------------- sensors

struct SensorSummary {
    QString number;
    QString family;
    int anchors = 0; // by the type code; 0 when the code is unknown
    QString level, location;
    QString installDate; // "yyyy/MM/dd" as stored
    bool destroyed = false;
    int readings = 0;
    QString firstReading, lastReading; // "yyyy/MM/dd HH:mm:ss", empty without readings
};
// The register, lowest number first, with what each reading table holds.
std::vector<SensorSummary> listSensors(store::Database& db);

struct NewSensor {
    QString number;
    bool mpbx = true; // the family, where the type code does not decide it
    QString level, location;
    QDate installDate;
};
// Add New: the number's checks, the register row with its defaults and an
// empty reading table, in one transaction.
void addSensor(store::Database& db, const NewSensor& sensor);

// ---------------------------------------------------------------- readings

// One reading as the tool lists it: the displacement of anchor k (1-based,
// index k - 1) is the graphs' own, against the earliest valid reading ticked
// for the time graph or the stored zero reading in force; none when no zero
// reaches it or a channel lacks a value.
struct ReadingLine {
    QString date, time;
    std::optional<double> temperature;
    std::vector<std::optional<double>> channels;      // 1..anchors
    std::vector<std::optional<double>> displacements; // 1..anchors
    QString quality;                                  // readings::qualityName
    QString qualityNote;
};
struct ReadingsOf {
    int anchors = 0;
    bool headAtCollar = true;
};
// The readings of the days from..to (both included; open ends take all), in
// date order, each handed to f as it is read. Invalid readings only when
// withInvalid.
ReadingsOf forEachReading(store::Database& db, const QString& number,
                          const std::optional<QDate>& from, const std::optional<QDate>& to,
                          const std::function<void(const ReadingLine&)>& f,
                          bool withInvalid = false);

// ---------------------------------------------------------------- import

struct ImportRequest {
    QString file;
    QString sensor;
    importer::DateLayout layout = importer::DateLayout::YearFirst;
    int everyHours = 24; // the review window's period
    bool all = false;    // every line ticked instead of the proposal
    bool dryRun = false; // counted, not stored
    // A TOA5 or other headed file: its mapping ("FIELD=target[:unit],..."),
    // saved for the file's logger and the sensor; empty to use the saved one.
    QString map;
    QDateTime now;               // readings after it are refused; invalid: the end of today
    bool archiveTransfer = true; // the transfer copy archived after the import
    // How a file in the sixteen-column layout is read: whole, or in chunks
    // when it is larger than limits.wholeFileBytes.
    importer::ReadLimits limits;
};
struct ImportOutcome {
    int lines = 0;
    int proposed = 0; // ticked lines
    int appended = 0;
    int duplicates = 0;
    int notDates = 0;
    int notProposed = 0; // lines the proposal left out
    // Of a mapped file (TOA5 or headed CSV): every line is read, none proposed.
    bool mapped = false;
    int repeated = 0;        // lines repeating an earlier line's time in the file
    int wrongFieldCount = 0; // lines with too few or too many fields
    int future = 0;          // lines dated after now
    int suspect = 0;         // readings stored flagged suspect
    QStringList messages;    // each kind of line skipped or flagged, with line numbers
};
using Progress = std::function<void(int done, int total)>;
// The import command with the review window's proposal and its Append: one
// transaction, then the transfer copy archived. A file that is not there, not
// text, or names no readings is refused.
ImportOutcome importLoggerFile(store::Database& db, const QString& dataFolder,
                               const ImportRequest& request, const QDate& today,
                               const Progress& progress = {});
// True when the file at path is read by a mapping: a TOA5 file, a file whose
// header line names as many fields as its lines hold, or another headed file
// with map given or a mapping saved for its logger and the sensor.
bool isMappedFile(store::Database& db, const QString& path, const QString& sensor,
                  const QString& map = {});

// Every file of a folder that a saved mapping names (by its logger), or that
// is the one-file-per-sensor layout named TV<number>.txt or <number>.txt,
// imported in name order, each file in one transaction: one that fails
// leaves nothing of itself and the others go on. A file changed in the last
// ten seconds is left for next time. With archive, an imported file moves to
// <folder>/imported/<yyyy-MM-dd>/.
struct FolderRequest {
    QString folder;
    bool archive = false;
    QDateTime now;
};
struct FolderFileOutcome {
    QString file;   // its name in the folder
    QString sensor; // empty when the file fed none
    enum class Status { Imported, Failed, Waiting, NotMapped } status = Status::Imported;
    int appended = 0;
    int duplicates = 0;
    int skipped = 0; // lines skipped for any other reason
    int suspect = 0;
    QString error; // why it failed; what the other statuses mean
    QStringList messages;
};
QString
statusName(FolderFileOutcome::Status status); // "imported", "failed", "waiting", "not mapped"
// One outcome per file and sensor, in name order. progress: files done of all.
std::vector<FolderFileOutcome> importFolder(store::Database& db, const QString& dataFolder,
                                            const FolderRequest& request,
                                            const Progress& progress = {});

// Calibrations of vibrating-wire gauges and thermistors (importer/Calibration.h).
struct CalibrationRequest {
    QString sensor;
    int channel = 1;   // 0: the thermistor
    QString validFrom; // "yyyy-MM-dd HH:mm:ss"
    QString kind;      // "linear", "polynomial", "thermistor"
    std::optional<double> gaugeFactor, polyA, polyB, thermalM, thermalB;
    std::optional<double> zeroDigits, zeroTemperature, minDigits, maxDigits;
    std::optional<double> thermA, thermB, thermC;
};
// Stores it as one write transaction, audited; returns the stored row's id.
qint64 setCalibration(store::Database& db, const CalibrationRequest& request);

// ---------------------------------------------------------------- exports

// The datasheet's workbook of a sensor's readings: the datasheet's sheet,
// named after the sensor, then the sheet "Displacements": per reading, in the
// same order, its moment and each anchor's displacement in mm as
// forEachReading gives it, the anchors' stored depths in the titles.
// Invalid readings are left out of both sheets unless withInvalid; when any
// reading is flagged, each sheet ends in a Quality column.
void exportWorkbook(store::Database& db, const QString& number, const QString& path,
                    const Progress& progress = {}, bool withInvalid = false);
// The same with the datasheet's sheet as the window's grid shows it, edits not
// yet stored included. progress answering false stops it, and it returns false.
bool exportWorkbook(store::Database& db, const QString& number, const QString& path,
                    const outputs::DatasheetModel& grid,
                    const std::function<bool(int done, int total)>& progress,
                    bool withInvalid = false);
// The same rows as CSV: a header line, "." as the decimal point, RFC 4180 quoting.
void exportCsv(store::Database& db, const QString& number, const QString& path,
               const Progress& progress = {}, bool withInvalid = false);

// ---------------------------------------------------------------- maintenance

// Today's backup of the database in the data folder's backup folder; returns
// its path. A server's database is dumped by pg_dump (progress hears how far,
// 0 to 100); a file is copied and checked.
QString backup(const Workspace& workspace, const QDate& today,
               const std::function<void(int percent)>& progress = {});
// The backup file (a name in the backup folder, or a path) in place of the
// database, once it passed the full check, with the restore's audit entry by
// the actor in it. The caller holds the database's lock. Refused for a
// server's database, which its administrator restores.
void restore(const Workspace& workspace, const QString& backupFile, const store::Actor& by = {});

// What the check found; empty when nothing is wrong.
struct CheckFinding {
    QString subject; // the file, a table or a sensor number
    QString problem;
};
// The engine's integrity check, the reading table of every sensor, and each
// reading table's columns against the template.
std::vector<CheckFinding> checkDatabase(store::Database& db);

// ---------------------------------------------------------------- the recycle area

// A sensor's deleted readings in the recycle area, dated on or between two
// days (open ends take all), oldest first. A number that is neither in the
// register nor a deleted sensor, and has none, is refused.
std::vector<readings::RecycledReading> listRecycled(store::Database& db, const QString& number,
                                                    const std::optional<QDate>& from,
                                                    const std::optional<QDate>& to);
// Puts those readings back (a deleted sensor first) as one write transaction;
// keys in use again are skipped and stay in the area.
readings::Recovery recover(store::Database& db, const QString& number,
                           const std::optional<QDate>& from, const std::optional<QDate>& to);
// ---------------------------------------------------------------- history

// The audit trail's entries that match, oldest first, each handed to f as it
// is read (f returning false stops). Reads only; a file without the trail
// has none.
void forEachHistoryEntry(store::Database& db, const store::AuditQuery& query,
                         const std::function<bool(const store::AuditRecord&)>& f);

} // namespace operations
