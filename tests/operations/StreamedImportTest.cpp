// The import of a file in the sixteen-column layout too large to hold: read
// in chunks, it stores, counts and reports exactly what the whole file read
// at once does, in one transaction.
#include "support/Support.h"

#include "operations/Operations.h"

#include <QFile>

using namespace testing_support;

namespace {

QByteArray line(int hour, const char* rest = ",TR01,91,005,21.46,1.25,2.5,3") {
    return QDateTime(QDate(2025, 4, 1), QTime(6, 0))
               .addSecs(3600LL * hour)
               .toString("yyyy/MM/dd HH:mm:ss")
               .toLatin1() +
           rest + "\r\n";
}

class StreamedImportTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        db = &openNewDatabase();
        addSensor(*db, Sensor);
    }
    QString loggerFile(const QByteArray& bytes) {
        const QString path = documents.filePath(Sensor + ".txt");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    // Streamed whatever its size, in chunks of chunkRows rows.
    static importer::ReadLimits streamed(int chunkRows, qint64 chunkBytes = 1 << 20) {
        importer::ReadLimits l;
        l.wholeFileBytes = -1;
        l.chunkRows = chunkRows;
        l.chunkBytes = chunkBytes;
        return l;
    }
    operations::ImportOutcome import(const QString& file, const importer::ReadLimits& limits,
                                     int every = 24, bool all = false) {
        operations::ImportRequest r;
        r.file = file;
        r.sensor = Sensor;
        r.everyHours = every;
        r.all = all;
        r.limits = limits;
        return operations::importLoggerFile(*db, dataFolder, r, QDate(2026, 12, 7));
    }
    // What the outcome and the store say, for comparing two imports.
    std::string outcomeOf(const operations::ImportOutcome& o) {
        QStringList s{QString::number(o.lines),
                      QString::number(o.proposed),
                      QString::number(o.appended),
                      QString::number(o.duplicates),
                      QString::number(o.notDates),
                      QString::number(o.notProposed),
                      o.messages.join(QStringLiteral(" / "))};
        store::Statement st = db->prepare(
            QStringLiteral("SELECT group_concat(DateTimeKey || '|' || FullDate || '|' || ChannelT "
                           "|| '|' || Channel1 || '|' || Channel3, ';') FROM `%1`")
                .arg(Sensor));
        st.step();
        s << st.text(0);
        for (const store::AuditRecord& a : auditTrail(*db))
            s << a.entry.target + ' ' + QString::number(a.entry.count.value_or(-1));
        return s.join(QStringLiteral("\n")).toStdString();
    }
    void clearSensor() {
        db->execute(QStringLiteral("DELETE FROM `%1`").arg(Sensor));
        db->execute(QStringLiteral("DELETE FROM AuditTrail"));
    }
    store::Database* db = nullptr;
    const QString Sensor = QStringLiteral("202541001");
};

// Hourly lines with everything the proposal and the append look at: a marker
// line, lines that are no date, a gap, lines repeated in the file, blank lines.
QByteArray mixedFile() {
    QByteArray bytes;
    for (int h = 0; h < 60; ++h) {
        bytes += line(h);
        if (h == 5) bytes += "2000/01/01 00:00:80,TR01\r\n";
        if (h == 9 || h == 31) bytes += "junk line " + QByteArray::number(h) + "\r\n\r\n";
        if (h == 20 || h == 41) bytes += line(h - 1);
    }
    for (int h = 200; h < 260; h += 3)
        bytes += line(h);
    return bytes;
}

TEST_P(StreamedImportTest, StoresCountsAndReportsAsTheWholeFileDoes) {
    const QString file = loggerFile(mixedFile());
    for (const auto& [every, all] :
         {std::pair(24, false), std::pair(1, false), std::pair(8, false), std::pair(0, true)}) {
        SCOPED_TRACE(std::to_string(every) + (all ? " all" : ""));
        clearSensor();
        const std::string whole = outcomeOf(import(file, {}, every, all));
        for (int rows : {1, 2, 7, 1000}) {
            SCOPED_TRACE(rows);
            clearSensor();
            EXPECT_EQ(outcomeOf(import(file, streamed(rows), every, all)), whole);
        }
    }
}

// Chunks of about 10 bytes end at line ends, never inside a line.
TEST_P(StreamedImportTest, ALineIsNeverCutAtAChunksEnd) {
    const QString file = loggerFile(line(0) + line(1, ",TR01,91,005,20.5,1.5,2.5,3.75"));
    const operations::ImportOutcome o = import(file, streamed(1000, 10), 1);
    EXPECT_EQ(o.appended, 2);
    store::Statement st = db->prepare(
        QStringLiteral("SELECT ChannelT || '|' || Channel3 FROM `%1` WHERE ReadingTime = "
                       "'07:00:00'")
            .arg(Sensor));
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.text(0), "20.5|3.75");
}

TEST_P(StreamedImportTest, ALineRepeatedAcrossAChunksEndIsReportedOnce) {
    // Chunks of two rows: the third line, repeating the second, opens the
    // second chunk.
    const QString file = loggerFile(line(0) + line(1) + line(1) + line(2));
    const operations::ImportOutcome o = import(file, streamed(2), 1, true);
    EXPECT_EQ(o.appended, 3);
    EXPECT_EQ(o.duplicates, 1);
    EXPECT_EQ(o.messages, QStringList{"202541001 2025/04/01 07:00:00 is a duplicate reading "
                                      "and cannot be appended."});
}

TEST_P(StreamedImportTest, AFailureInALaterChunkStoresNothingOfTheFile) {
    QByteArray bytes;
    for (int h = 0; h < 30; ++h)
        bytes += line(h);
    const QString file = loggerFile(bytes);
    refuseWrites(*db, QStringLiteral("refuse"), Sensor, QStringLiteral("INSERT"),
                 QStringLiteral("new.ReadingTime = '08:00:00' AND new.ReadingDate = '2025/04/02'"),
                 QStringLiteral("refused"));
    EXPECT_THROW(import(file, streamed(4), 1), store::Error);
    EXPECT_EQ(rowCount(*db, Sensor), 0);
    EXPECT_TRUE(auditTrail(*db).empty());

    // A dry run counts every line and stores none.
    allowWrites(*db, QStringLiteral("refuse"), Sensor);
    operations::ImportRequest r;
    r.file = file;
    r.sensor = Sensor;
    r.all = true;
    r.dryRun = true;
    r.limits = streamed(4);
    const operations::ImportOutcome o =
        operations::importLoggerFile(*db, dataFolder, r, QDate(2026, 12, 7));
    EXPECT_EQ(o.appended, 30);
    EXPECT_EQ(rowCount(*db, Sensor), 0);
}

// The server goes away in the middle of the file (a restart, a network
// fault): nothing of the file is stored, the failure says so, and the next
// import on the same connection works.
TEST_P(StreamedImportTest, AServerThatGoesAwayMidFileStoresNothingAndTheNextImportWorks) {
    if (!db->isServer()) GTEST_SKIP() << "a file has no connection to lose";
    QByteArray bytes;
    for (int h = 0; h < 30; ++h)
        bytes += line(h);
    const QString file = loggerFile(bytes);
    // The server process ends itself at the 27th line.
    db->execute(QStringLiteral(
        "/*server*/CREATE FUNCTION vanish() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN IF "
        "NEW.\"ReadingTime\" = '08:00:00' AND NEW.\"ReadingDate\" = '2025/04/02' THEN PERFORM "
        "pg_terminate_backend(pg_backend_pid()); PERFORM pg_sleep(5); END IF; RETURN NEW; END $$; "
        "CREATE TRIGGER vanish BEFORE INSERT ON \"202541001\" FOR EACH ROW EXECUTE FUNCTION "
        "vanish()"));
    try {
        import(file, streamed(4), 1);
        ADD_FAILURE() << "the import went through without its connection";
    } catch (const store::Error& e) {
        EXPECT_EQ(e.number(), store::code::IoErr);
        EXPECT_TRUE(e.description().contains(QStringLiteral("Nothing of this change was stored")))
            << e.description().toStdString();
    }
    EXPECT_EQ(rowCount(*db, Sensor), 0);
    EXPECT_TRUE(auditTrail(*db).empty());

    db->execute(QStringLiteral("/*server*/DROP TRIGGER vanish ON \"202541001\""));
    EXPECT_EQ(import(file, streamed(4), 1).appended, 30);
    EXPECT_EQ(rowCount(*db, Sensor), 30);
}

TEST_P(StreamedImportTest, ABinaryFileIsRefusedBeforeAnythingIsStored) {
    const QString file = loggerFile(QByteArray(4096, '\0'));
    EXPECT_THROW(import(file, streamed(1)), store::Error);
    EXPECT_EQ(rowCount(*db, Sensor), 0);
}

TOLVANE_ON_BOTH_ENGINES(StreamedImportTest);

} // namespace
