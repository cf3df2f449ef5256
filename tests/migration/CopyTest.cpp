// The copy step on Jet files others wrote, against what mdbtools' own
// programs print for the same files.
#include "migration/JetTestData.h"

#include "migration/Copy.h"
#include "migration/JetFile.h"
#include "store/Database.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cmath>

using namespace migration;

namespace {

// What a program prints, or nothing when it is not installed.
std::optional<QString> programOutput(const QString& program, const QStringList& arguments) {
    if (QStandardPaths::findExecutable(program).isEmpty()) return std::nullopt;
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput());
}

#define REQUIRE_PROGRAM_OUTPUT(var, program, ...)                                                  \
    const auto var = programOutput(QStringLiteral(program), __VA_ARGS__);                          \
    if (!var) GTEST_SKIP() << program " (Debian's mdbtools) is not installed"

// RFC 4180 rows, quoted fields spanning lines included.
std::vector<QStringList> csvRows(const QString& text) {
    std::vector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false, wasQuoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = wasQuoted = true;
        } else if (c == QLatin1Char(',')) {
            row << field;
            field.clear();
        } else if (c == QLatin1Char('\n')) {
            row << field;
            rows.push_back(row);
            row.clear();
            field.clear();
        } else if (c != QLatin1Char('\r')) {
            field += c;
        }
    }
    if (!field.isEmpty() || !row.isEmpty()) rows.push_back(row << field);
    (void)wasQuoted;
    return rows;
}

// mdb-export is asked to print a null as this.
const QString Null = QStringLiteral("\x01");

std::string shown(store::Statement& st, int c) {
    return sqlite3_column_type(st.get(), c) == SQLITE_NULL ? std::string("\x01")
                                                           : st.text(c).toStdString();
}

class CopyFromMdbtoolsFiles : public ::testing::TestWithParam<const char*> {
protected:
    QTemporaryDir dir;
};

// Table list and row counts as mdb-tables and mdb-count give them.
TEST_P(CopyFromMdbtoolsFiles, ListsTheTablesAndCountsTheRowsAsMdbtoolsDoes) {
    const QString file = testing_support::jetTestFile(QString::fromLatin1(GetParam()));
    if (file.isEmpty()) GTEST_SKIP() << GetParam() << " is absent; scripts/fetch-test-databases";
    REQUIRE_PROGRAM_OUTPUT(listed, "mdb-tables", {QStringLiteral("-1"), file});
    auto jet = JetFile::open(file);
    EXPECT_EQ(jet->tableNames(), listed->split(QLatin1Char('\n'), Qt::SkipEmptyParts));
    const QString out = dir.filePath(QStringLiteral("copy.sqlite"));
    const std::vector<CopiedTable> copied = copyJetFile(*jet, out);
    ASSERT_EQ(copied.size(), size_t(jet->tableNames().size()));
    auto db = store::Database::open(out, true);
    for (const CopiedTable& t : copied) {
        const auto counted = programOutput(QStringLiteral("mdb-count"), {file, t.name});
        ASSERT_TRUE(counted);
        EXPECT_EQ(t.rows, counted->trimmed().toLongLong()) << t.name.toStdString();
        store::Statement st =
            db->prepare(QStringLiteral("SELECT count(*) FROM ") + store::quoteName(t.name));
        ASSERT_TRUE(st.step());
        EXPECT_EQ(st.int64(0), t.rows) << t.name.toStdString();
    }
}

// Every value of every table against mdb-export's CSV (dates asked for with
// four-digit years; mdbtools prints no date before 1899-12-30 nor after 2700).
TEST_P(CopyFromMdbtoolsFiles, EveryValueIsTheOneMdbExportPrints) {
    const QString file = testing_support::jetTestFile(QString::fromLatin1(GetParam()));
    if (file.isEmpty()) GTEST_SKIP() << GetParam() << " is absent; scripts/fetch-test-databases";
    if (QStandardPaths::findExecutable(QStringLiteral("mdb-export")).isEmpty())
        GTEST_SKIP() << "mdb-export (Debian's mdbtools) is not installed";
    auto jet = JetFile::open(file);
    const QString out = dir.filePath(QStringLiteral("copy.sqlite"));
    copyJetFile(*jet, out);
    auto db = store::Database::open(out, true);
    int compared = 0;
    for (const QString& name : jet->tableNames()) {
        const JetTable table = jet->table(name);
        const auto exported = programOutput(
            QStringLiteral("mdb-export"),
            {QStringLiteral("-T"), QStringLiteral("%Y-%m-%d %H:%M:%S"), QStringLiteral("-D"),
             QStringLiteral("%Y-%m-%d %H:%M:%S"), QStringLiteral("-0"), QStringLiteral("\x01"),
             QStringLiteral("-b"), QStringLiteral("strip"), file, name});
        ASSERT_TRUE(exported) << name.toStdString();
        const std::vector<QStringList> rows = csvRows(*exported);
        store::Statement st =
            db->prepare(QStringLiteral("SELECT * FROM ") + store::quoteName(name));
        for (size_t r = 1; r < rows.size(); ++r) {
            ASSERT_TRUE(st.step()) << name.toStdString() << " row " << r;
            for (size_t c = 0; c < table.columns.size(); ++c) {
                const JetColumn& col = table.columns[c];
                const QString expected = rows[r].value(qsizetype(c));
                const int type = sqlite3_column_type(st.get(), int(c));
                const std::string where =
                    name.toStdString() + "." + col.name.toStdString() + " row " + std::to_string(r);
                switch (JetType(col.type)) {
                case JetType::Ole:
                case JetType::Binary:
                    continue;
                case JetType::DateTime:
                    // mdbtools gives no date outside its years.
                    if (expected.startsWith(QLatin1String("1900-01-00"))) continue;
                    EXPECT_EQ(shown(st, int(c)), expected.toStdString()) << where;
                    break;
                case JetType::Single:
                case JetType::Double:
                case JetType::Money:
                    if (expected == Null) {
                        EXPECT_EQ(type, SQLITE_NULL) << where;
                    } else {
                        const double want = expected.toDouble();
                        const double got = sqlite3_column_double(st.get(), int(c));
                        EXPECT_NEAR(got, want, std::fabs(want) * 1e-7) << where;
                    }
                    break;
                default:
                    EXPECT_EQ(shown(st, int(c)), expected.toStdString()) << where;
                }
                ++compared;
            }
        }
        EXPECT_FALSE(st.step()) << name.toStdString() << ": more rows than mdb-export printed";
    }
    EXPECT_GT(compared, 0);
}

INSTANTIATE_TEST_SUITE_P(MdbtoolsTestData, CopyFromMdbtoolsFiles,
                         ::testing::Values("nwind.mdb", "DateTestDatabase.mdb",
                                           "ASampleDatabase.accdb"));

} // namespace
