// The logger import's own texts, character for character: messages, captions,
// titles, the grid's column titles and the lines of Schema.ini.
#pragma once

#include "app/Texts.h"
#include "readings/Texts.h"

#include <QLocale>
#include <QString>
#include <QStringList>

namespace importer::texts {

using app::texts::AppTitle;

// The import command.
inline const QString FileFilter = QStringLiteral("Text (*.txt) | *.txt");
inline const QString FileExtension = QStringLiteral(".txt");
inline const QString MismatchTitle = QStringLiteral("Vornhald's TOLVANE");
inline QString notAMatch(const QString& fileName, const QString& sensorNumber) {
    return QStringLiteral("WARNING:\r\n") + fileName +
           QStringLiteral(" is not a match for the current sensor of ") + sensorNumber +
           QStringLiteral("\r\nAre you sure you want to append this data to the database?\r\n\r\n"
                          "This may cause undesirable results including corruption and loss of "
                          "database");
}
inline const QString NoDataForSensor = QStringLiteral("There was no data found for this sensor.");
inline QString notAText(const QString& fileName) {
    return fileName + QStringLiteral(" is not a text file and was not imported.");
}
inline const QString ImportLabel = QStringLiteral(" imgAddTroveData_Click");

// Logger files as loggers write them, and a folder of them.
inline const QString LoggerFileFilter =
    QStringLiteral("Logger files (*.dat *.txt *.csv *.bak *.DAT *.TXT *.CSV);;All files (*) | *.*");
inline const QString FolderFileFilter =
    QStringLiteral("Any file of the folder to import (*) | *.*");
inline const QString ImportLoggerCaption = QStringLiteral("TOA5/CSV file...");
inline const QString ImportFolderCaption = QStringLiteral("Import a folder...");
inline const QString ArchiveImportedTick = QStringLiteral("Archive imported files");
inline const QString ArchiveImportedTip =
    QStringLiteral("Move each imported file to the folder's imported/<date>/");
inline const QString ImportFolderLabel = QStringLiteral(" imgImportFolder_Click");
inline const QString CalibrationsLabel = QStringLiteral(" imgCalibrations_Click");
inline const QString ImportProgress = QStringLiteral("Importing logger files...");
inline QString importFailed(const QString& why) {
    return QStringLiteral("Nothing of the file was imported:\r\n") + why;
}
inline QString mappedSummary(const QString& file, const QString& sensor, int appended,
                             int duplicates, int suspect, const QStringList& messages) {
    QString text = QStringLiteral("%1: %2 reading(s) appended to sensor %3, %4 already stored, %5 "
                                  "flagged suspect.")
                       .arg(file)
                       .arg(appended)
                       .arg(sensor)
                       .arg(duplicates)
                       .arg(suspect);
    for (const QString& m : messages)
        text += QStringLiteral("\r\n") + m;
    return text;
}
inline QString folderLine(const QString& file, const QString& sensor, const QString& status,
                          int appended, int duplicates, int skipped, const QString& error) {
    QString line = QStringLiteral("%1: %2").arg(file, status);
    if (!sensor.isEmpty())
        line += QStringLiteral(", sensor %1: %2 appended, %3 duplicates, %4 skipped")
                    .arg(sensor)
                    .arg(appended)
                    .arg(duplicates)
                    .arg(skipped);
    if (!error.isEmpty()) line += QStringLiteral(" (") + error + QLatin1Char(')');
    return line;
}
inline QString folderSummary(const QString& folder, const QStringList& lines) {
    if (lines.isEmpty()) return QStringLiteral("No files in %1.").arg(folder);
    // A message box holds a screenful; tolvane-cli import-folder lists all.
    constexpr qsizetype Shown = 40;
    QString text = QStringLiteral("Files of %1:\r\n").arg(folder) +
                   lines.mid(0, Shown).join(QStringLiteral("\r\n"));
    if (lines.size() > Shown) text += QStringLiteral("\r\nand %1 more").arg(lines.size() - Shown);
    return text;
}

// The text driver's files in the data folder.
inline const QString SchemaFileName = QStringLiteral("Schema.ini");
using readings::texts::ImportWorkingFile;
inline QStringList schemaLines() {
    QStringList lines{QStringLiteral("[datafile.txt]"), QStringLiteral("Format=CSVDelimited"),
                      QStringLiteral("DecimalSymbol=."), QStringLiteral("ColNameHeader = false"),
                      QStringLiteral("Col1=TroveDate Text")};
    for (int i = 2; i <= 16; ++i)
        lines << QStringLiteral("Col%1=C%2 Text").arg(i).arg(i - 1);
    return lines;
}

// The review window.
inline const QString ReviewCaption = QStringLiteral("Import DataFiles");
inline QString reviewHeader(const QString& sensorNumber) {
    return QStringLiteral("Click to download textfile data to Sensor ") + sensorNumber;
}
inline const QString NoDataHeader = QStringLiteral("No data found for this sensor");
inline const QString DateFormatCaption = QStringLiteral("Datafile Date Format:");
inline const QStringList DateLayouts{QStringLiteral("YYYY/MM/DD"), QStringLiteral("DD/MM/YYYY"),
                                     QStringLiteral("MM/DD/YYYY")};
inline const QString AppendCaption = QStringLiteral("append");
inline const QStringList ColumnTitles{QStringLiteral("Reading Date & Time"),
                                      QStringLiteral("TROVE ID"),
                                      QStringLiteral("Type ID"),
                                      QStringLiteral("SensorNo"),
                                      QStringLiteral("ChannelT"),
                                      QStringLiteral("Channel1"),
                                      QStringLiteral("Channel2"),
                                      QStringLiteral("Channel3"),
                                      QStringLiteral("Channel4"),
                                      QStringLiteral("Channel5"),
                                      QStringLiteral("Channel6"),
                                      QStringLiteral("Channel7"),
                                      QStringLiteral("Channel8"),
                                      QStringLiteral("Channel9"),
                                      QStringLiteral("Channel10"),
                                      QStringLiteral("Append")};
inline const QString NoReadings = QStringLiteral("No Readings");
// A file too large to hold: what the grid shows of it.
inline QString linesShown(int first, int last, int total, int between) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QString shown = first == last
                              ? QStringLiteral("the first and last %1").arg(english.toString(first))
                              : QStringLiteral("the first %1 and the last %2")
                                    .arg(english.toString(first), english.toString(last));
    return QStringLiteral("Showing %1 of %2 lines; the %3 lines between are appended as proposed.")
        .arg(shown, english.toString(total), english.toString(between));
}
inline const QString ReadingFile = QStringLiteral("Reading the logger file...");
// Column 1 of a line the logger marks as not to be imported (80 seconds).
inline const QString MarkerLine = QStringLiteral("2000/01/01 00:00:80");

// The append.
inline QString appendQuestion(const QString& sensorNumber) {
    return QStringLiteral("All the checked data will be added to sensor:  ") + sensorNumber +
           QStringLiteral(" ?");
}
inline QString duplicate(const QString& key) {
    return key + QStringLiteral(" is a duplicate reading and cannot be appended.");
}
inline const QString NothingAppended = QStringLiteral(" No data was found to append");
// The count with a blank where a plus sign would stand.
inline QString appended(int count, const QString& sensorNumber) {
    return QLatin1Char(' ') + QString::number(count) + QStringLiteral(" records appended to ") +
           sensorNumber;
}
// A field of a file quoted in a message: at most this many characters of it,
// then "...". A line may be megabytes long.
inline constexpr qsizetype QuotedLength = 200;
inline QString quoted(QString text) {
    if (text.size() > QuotedLength) {
        text.truncate(text[QuotedLength - 1].isHighSurrogate() ? QuotedLength - 1 : QuotedLength);
        text += QStringLiteral("...");
    }
    return text;
}
inline QString notADate(int line, const QString& text) {
    return QStringLiteral("Line %1 was not appended: \"%2\" is not a date and time in the "
                          "chosen date format.")
        .arg(line)
        .arg(quoted(text));
}
// Lines refused alike, when there are more than one, are told in one message
// that lists the first ten.
inline constexpr int ListedLines = 10;
inline QString listed(int count, const QStringList& first) {
    QString text = QStringLiteral("\r\n") + first.join(QStringLiteral("\r\n"));
    if (count > first.size()) text += QStringLiteral("\r\nand %1 more").arg(count - first.size());
    return text;
}
inline QString notDates(int count, const QStringList& firstLines) {
    return QStringLiteral("%1 lines were not appended: they do not begin with a date and time in "
                          "the chosen date format:")
               .arg(count) +
           listed(count, firstLines);
}
inline QString notADateListed(int line, const QString& text) {
    return QStringLiteral("Line %1: \"%2\"").arg(line).arg(quoted(text));
}
inline QString duplicates(int count, const QStringList& firstDatesAndTimes) {
    return QStringLiteral("%1 lines were already in the database and were skipped:").arg(count) +
           listed(count, firstDatesAndTimes);
}
inline QString appendFailed(const QString& description) {
    return QStringLiteral("No readings were appended: ") + description;
}
inline QString appending(const QString& sensorNumber) {
    return QStringLiteral("Appending readings to sensor ") + sensorNumber + QStringLiteral("...");
}
inline const QString AppendLabel = QStringLiteral(" frmTroveData.cmdAppend_Click");

// The logger's transfer copies: <data folder>/Transfer/TV<number>.txt, archived
// as Transfer/backup/TV<number>_<yyyy-MM-dd>.txt.
inline const QString TransferFolder = QStringLiteral("Transfer");
inline const QString TransferBackupFolder = QStringLiteral("backup");
inline QString transferFile(const QString& sensorNumber) {
    return QStringLiteral("TV") + sensorNumber + QStringLiteral(".txt");
}
inline QString archivedTransferFile(const QString& sensorNumber, const QString& day) {
    return QStringLiteral("TV") + sensorNumber + QLatin1Char('_') + day + QStringLiteral(".txt");
}

} // namespace importer::texts
