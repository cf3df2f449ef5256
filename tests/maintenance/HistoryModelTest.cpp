// The audit trail's grid: any note stored exactly and shown on one safe line,
// the entries read page by page in trail order, and the filters.
#include "maintenance/HistoryModel.h"
#include "support/Support.h"

#include <QAbstractItemModelTester>
#include <QProcess>
#include <QStandardPaths>

using namespace testing_support;
using maintenance::HistoryModel;

namespace {

class HistoryModelTest : public TolvaneTest {
protected:
    void SetUp() override {
        TolvaneTest::SetUp();
        db = &openNewDatabase();
        db->setActor({QStringLiteral("mira"), [this] { return clock.now(); }});
    }
    void entry(const QString& sensor, const QString& target, const QString& note = {}) {
        store::AuditEntry e;
        e.operation = store::operation::ReadingAdded;
        e.sensor = sensor;
        e.target = target;
        e.note = note;
        store::audit(*db, e);
    }
    QString cell(const HistoryModel& m, int row, int column, int role = Qt::DisplayRole) {
        return m.data(m.index(row, column), role).toString();
    }
    // A long note with every hard case: control characters, line ends of
    // each kind, right-to-left text, and a character outside the first plane.
    static QString hardNote() {
        QString note = QStringLiteral("שלום עולם abc\u202Eevil\u202C\t") + QChar(0) +
                       QStringLiteral("\x01\x1b[2J\r\n\u2028") + QString::fromUcs4(U"\U0001F600");
        while (note.size() < 10000)
            note += QStringLiteral("مرحبا ") + QChar(char16_t(0x7F)) + QChar(char16_t(0x85));
        return note.left(10000);
    }

    store::Database* db = nullptr;
};

TEST_F(HistoryModelTest, ANoteIsStoredExactlyAndShownOnOneSafeLine) {
    const QString note = hardNote();
    entry(QStringLiteral("202541001"), QStringLiteral("key"), note);
    const auto trail = auditTrail(*db);
    ASSERT_EQ(trail.size(), 1u);
    EXPECT_EQ(trail[0].entry.note, note);

    HistoryModel model(*db);
    model.setQuery({});
    ASSERT_EQ(model.rowCount(), 1);
    const QString shown = cell(model, 0, HistoryModel::Note);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("שלום עולם abc\u202Eevil\u202C ␀␁␛[2J ↵  ↵ ")))
        << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("…")));
    EXPECT_LE(shown.size(), 81);
    for (const QChar c : shown)
        EXPECT_FALSE(c.category() == QChar::Other_Control || c == QChar::LineSeparator)
            << "U+" << std::hex << int(c.unicode());
    // The tool tip holds all of it, as text, never as markup.
    const QString tip = cell(model, 0, HistoryModel::Note, Qt::ToolTipRole);
    EXPECT_TRUE(tip.contains(maintenance::visibleText(note).toHtmlEscaped()));
    EXPECT_EQ(maintenance::visibleText(note).size(), note.size() - 1); // CR LF as one line end
    EXPECT_EQ(model.fullText(model.index(0, HistoryModel::Note)), note);
    // A short plain cell needs none.
    EXPECT_EQ(model.data(model.index(0, HistoryModel::Sensor), Qt::ToolTipRole), QVariant());
}

// What another program reads from the file: the same characters.
TEST_F(HistoryModelTest, AnotherProgramReadsTheNoteAsTyped) {
    const QString sqlite = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (sqlite.isEmpty()) GTEST_SKIP() << "sqlite3 (the engine's shell) is not installed";
    const QString note = hardNote();
    entry(QStringLiteral("202541001"), QStringLiteral("key"), note);
    QProcess shell;
    shell.start(sqlite,
                {QStringLiteral("-readonly"), state->DBPath,
                 QStringLiteral("SELECT length(CAST(Note AS BLOB)), hex(Note) FROM AuditTrail")});
    ASSERT_TRUE(shell.waitForFinished(60000));
    const QStringList out = QString::fromLatin1(shell.readAllStandardOutput()).trimmed().split('|');
    ASSERT_EQ(out.size(), 2);
    EXPECT_EQ(out[0].toInt(), note.toUtf8().size()); // all of it, past the NUL
    EXPECT_EQ(QByteArray::fromHex(out[1].toLatin1()), note.toUtf8());
}

TEST_F(HistoryModelTest, PagesInTrailOrderAndFilters) {
    for (int k = 0; k < 700; ++k) {
        clock.time = QDateTime(QDate(2026, 1, 1), QTime(0, 0)).addSecs(3600LL * k);
        entry(k % 2 ? QStringLiteral("202541001") : QStringLiteral("202541002"),
              QString::number(k));
    }
    HistoryModel model(*db);
    model.setQuery({});
    ASSERT_EQ(model.rowCount(), 700);
    // Across the pages, back and forth.
    for (int row : {699, 0, 300, 256, 255, 511, 699})
        EXPECT_EQ(cell(model, row, HistoryModel::Target), QString::number(row)) << row;
    EXPECT_EQ(cell(model, 0, HistoryModel::When), "2026-01-01 00:00:00");
    EXPECT_EQ(cell(model, 0, HistoryModel::Who), "mira");

    store::AuditQuery q;
    q.sensor = QStringLiteral("202541001");
    q.from = QDate(2026, 1, 2);
    q.to = QDate(2026, 1, 3);
    model.setQuery(q);
    ASSERT_EQ(model.rowCount(), 24); // 48 hours, every other one
    EXPECT_EQ(cell(model, 0, HistoryModel::Target), "25");
    EXPECT_EQ(cell(model, 23, HistoryModel::Target), "71");
}

TEST_F(HistoryModelTest, PassesTheModelTester) {
    QStringList complaints;
    static QStringList* sink = nullptr;
    sink = &complaints;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& message) { *sink << message; });
    {
        for (int k = 0; k < 300; ++k)
            entry(QString::number(202541001 + k % 3), QString::number(k), hardNote().left(k));
        HistoryModel model(*db);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::Warning);
        model.setQuery({});
        model.data(model.index(299, HistoryModel::Note), Qt::ToolTipRole);
        store::AuditQuery q;
        q.sensor = QStringLiteral("202541002");
        model.setQuery(q);
        q.from = QDate(2030, 1, 1);
        model.setQuery(q);
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(complaints, QStringList());
}

} // namespace
