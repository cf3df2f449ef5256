// A Jet file converted whole, and the Jet files that must be refused.
#include "migration/JetTestData.h"

#include "migration/JetFile.h"
#include "migration/Migration.h"
#include "store/Schema.h"
#include "store/SchemaVersion.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace migration;

namespace {

QByteArray digest(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

struct JetDate {
    double days;
    const char* text;
};

class JetDates : public ::testing::TestWithParam<JetDate> {};

TEST_P(JetDates, ReadAsJetCountsThem) {
    EXPECT_EQ(jetDateText(GetParam().days).toStdString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Days, JetDates,
    ::testing::Values(JetDate{0, "1899-12-30 00:00:00"}, JetDate{2, "1900-01-01 00:00:00"},
                      JetDate{41611.85634259259, "2013-12-03 20:33:08"},
                      JetDate{36526.5, "2000-01-01 12:00:00"},
                      // Before day 0 the whole days count back, the time of day forward.
                      JetDate{-1.25, "1899-12-29 06:00:00"}, JetDate{-0.5, "1899-12-30 12:00:00"},
                      JetDate{-657434, "0100-01-01 00:00:00"},
                      JetDate{2958465.999988426, "9999-12-31 23:59:59"},
                      // A second short of midnight rounds into the next day.
                      JetDate{1.9999999999, "1900-01-01 00:00:00"},
                      // Numbers that are no date Jet can hold.
                      JetDate{2958466, ""}, JetDate{-657435, ""}, JetDate{1e300, ""}));

TEST(JetSingles, KeepTheirSevenDigits) {
    EXPECT_EQ(singleToDouble(1.1f), 1.1);
    EXPECT_EQ(singleToDouble(-0.3f), -0.3);
    EXPECT_EQ(singleToDouble(123456.7f), 123456.7);
    EXPECT_EQ(singleToDouble(3.4028235e38f), 3.402823e38);
}

TEST(JetHeader, IsKnownByItsBytesNotItsName) {
    EXPECT_TRUE(hasJetHeader(QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20)));
    EXPECT_TRUE(hasJetHeader(QByteArray("\x00\x01\x00\x00Standard ACE DB\x00", 20)));
    EXPECT_FALSE(hasJetHeader(QByteArray("SQLite format 3\x00\x10\x00\x01\x01", 20)));
    EXPECT_FALSE(hasJetHeader(QByteArray("\x00\x01\x00\x00Standard Jet", 16)));
}

class MigrateTest : public ::testing::Test {
protected:
    QStringList files() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }
    QTemporaryDir dir;
};

TEST_F(MigrateTest, AFileOfOursIsConvertedBesideItAndTheOriginalIsNotWritten) {
    const QString old = testing_support::oursFromNwind(dir.path());
    if (old.isEmpty()) GTEST_SKIP() << "nwind.mdb is absent; run scripts/fetch-test-databases";
    const QByteArray before = digest(old);
    QStringList said;
    const Migration m = migrate(old, {}, [&](const QString& what, qint64 done, qint64 total) {
        if (!what.isEmpty() && !said.contains(what)) said << what;
        EXPECT_LE(done, total);
        return true;
    });
    EXPECT_EQ(digest(old), before);
    EXPECT_EQ(m.converted, dir.filePath(QStringLiteral("TolvaneMPBX-converted.mdb")));
    EXPECT_EQ(m.report, dir.filePath(QStringLiteral("TolvaneMPBX-converted-migration-report.txt")));
    EXPECT_EQ(files(), QStringList({QStringLiteral("TolvaneMPBX-converted-migration-report.txt"),
                                    QStringLiteral("TolvaneMPBX-converted.mdb"),
                                    QStringLiteral("TolvaneMPBX.mdb")}));
    EXPECT_TRUE(said.contains(QStringLiteral("Copying Order Details")));
    EXPECT_TRUE(said.contains(QStringLiteral("Converting Sensors")));

    auto db = store::Database::open(m.converted, true);
    EXPECT_EQ(store::schemaVersion(*db), store::currentSchemaVersion());
    store::Statement sensors = db->prepare(QStringLiteral("SELECT count(*) FROM Sensors"));
    ASSERT_TRUE(sensors.step());
    // Every order's required date once; the orders sharing one are kept aside.
    const qint64 written = sensors.int64(0);
    store::Statement aside = db->prepare(QStringLiteral("SELECT count(*) FROM ConversionSetAside "
                                                        "WHERE Reason LIKE 'sensor number%'"));
    ASSERT_TRUE(aside.step());
    EXPECT_EQ(written + aside.int64(0), 830);
    EXPECT_EQ(m.adopted.dropped, aside.int64(0));

    QFile report(m.report);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(report.readAll());
    EXPECT_EQ(text, m.text);
    EXPECT_TRUE(text.contains(QStringLiteral("  Order Details: 2155\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("  Sensors: 830 read, %1 written\n").arg(written)));
    EXPECT_TRUE(text.contains(QStringLiteral("Sensors, row 2: kept aside")) ||
                text.contains(QStringLiteral("twice; the first kept")));
}

TEST_F(MigrateTest, AnExistingConvertedFileIsNeverOverwritten) {
    const QString old = testing_support::oursFromNwind(dir.path());
    if (old.isEmpty()) GTEST_SKIP() << "nwind.mdb is absent; run scripts/fetch-test-databases";
    QFile existing(convertedPath(old));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("earlier");
    existing.close();
    EXPECT_THROW(migrate(old), store::Error);
    EXPECT_EQ(digest(convertedPath(old)),
              QCryptographicHash::hash("earlier", QCryptographicHash::Sha256));
    EXPECT_EQ(files().size(), 2);
}

TEST_F(MigrateTest, ACancelLeavesNothingBehind) {
    const QString old = testing_support::oursFromNwind(dir.path());
    if (old.isEmpty()) GTEST_SKIP() << "nwind.mdb is absent; run scripts/fetch-test-databases";
    int calls = 0;
    EXPECT_THROW(migrate(old, {}, [&](const QString&, qint64, qint64) { return ++calls < 3; }),
                 store::Error);
    EXPECT_EQ(files(), QStringList{QStringLiteral("TolvaneMPBX.mdb")});
}

// Files that are refused with a clear reason, and nothing written.
struct BadJet {
    const char* name;
    const char* reason;
    // Makes the file in the folder; returns its path (empty: skip, the file it
    // is made from is absent).
    QString (*make)(const QString& folder);
};

QString write(const QString& folder, const QByteArray& bytes) {
    const QString path = QDir(folder).filePath(QStringLiteral("Old.mdb"));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    return path;
}

QByteArray testFile(const char* name) {
    QFile f(testing_support::jetTestFile(QString::fromLatin1(name)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A test file changed by f; empty when the file is absent.
template <class F> QString madeFrom(const QString& folder, const char* name, F f) {
    QByteArray bytes = testFile(name);
    if (bytes.isEmpty()) return {};
    f(bytes);
    return write(folder, bytes);
}

class RefusedJetFiles : public MigrateTest, public ::testing::WithParamInterface<BadJet> {};

TEST_P(RefusedJetFiles, AreNamedAndNothingIsWritten) {
    const QString path = GetParam().make(dir.path());
    if (path.isEmpty())
        GTEST_SKIP() << "the Jet test files are absent; scripts/fetch-test-databases";
    const QStringList before = files();
    try {
        migrate(path);
        FAIL() << "converted";
    } catch (const store::Error& e) {
        EXPECT_TRUE(e.description().startsWith(QString::fromUtf8(GetParam().reason)))
            << e.description().toStdString();
    }
    EXPECT_EQ(files(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedJetFiles,
    ::testing::Values(
        BadJet{"Empty", "The file is empty (0 bytes)",
               [](const QString& f) { return write(f, {}); }},
        BadJet{"Folder", "The path names a folder",
               [](const QString& f) {
                   QDir(f).mkdir(QStringLiteral("Old.mdb"));
                   return QDir(f).filePath(QStringLiteral("Old.mdb"));
               }},
        BadJet{"Missing", "The file does not exist",
               [](const QString& f) { return QDir(f).filePath(QStringLiteral("none.mdb")); }},
        BadJet{"OurOwnSQLiteFile", "The file is not a database of an earlier version",
               [](const QString& f) {
                   const QString path = QDir(f).filePath(QStringLiteral("Old.mdb"));
                   store::createDatabaseFile(path);
                   return path;
               }},
        BadJet{"HeaderAlone", "The file is damaged",
               [](const QString& f) {
                   return write(f, QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20));
               }},
        BadJet{"CutShort", "The file is damaged",
               [](const QString& f) {
                   return madeFrom(f, "nwind.mdb", [](QByteArray& b) { b.truncate(100000); });
               }},
        BadJet{"CutAtAPage", "This file is a database of another program",
               [](const QString& f) {
                   return madeFrom(f, "nwind.mdb", [](QByteArray& b) { b.truncate(488 * 2048); });
               }},
        BadJet{"ZeroedCatalog", "The file is damaged",
               [](const QString& f) {
                   return madeFrom(f, "DateTestDatabase.mdb", [](QByteArray& b) {
                       b.replace(2 * 4096, 4096, QByteArray(4096, '\0'));
                   });
               }},
        BadJet{"Jet3Password", "The file is protected by a password",
               [](const QString& f) {
                   // The header is stored encoded; one changed byte of the
                   // password's place is a password of one letter.
                   return madeFrom(f, "nwind.mdb",
                                   [](QByteArray& b) { b[0x42] = char(b[0x42] ^ 0x41); });
               }},
        BadJet{"Jet4Password", "The file is protected by a password",
               [](const QString& f) {
                   return madeFrom(f, "DateTestDatabase.mdb",
                                   [](QByteArray& b) { b[0x42] = char(b[0x42] ^ 0x41); });
               }},
        BadJet{"AnotherProgramsJet3",
               "This file is a database of another program; nothing was "
               "converted. Tables found: Order Details, Orders,",
               [](const QString& f) { return madeFrom(f, "nwind.mdb", [](QByteArray&) {}); }},
        BadJet{"AnotherProgramsAce",
               "This file is a database of another program; nothing was "
               "converted. Tables found: Asset Items.",
               [](const QString& f) {
                   return madeFrom(f, "ASampleDatabase.accdb", [](QByteArray&) {});
               }}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace
