// tolvane-cli's commands for the earlier versions' Jet files, run as a process.
#include "cli/CliRun.h"
#include "migration/JetTestData.h"
#include "support/Support.h"

#include "app/DataFolder.h"
#include "migration/Migration.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class MigrateCliTest : public ::testing::Test {
protected:
    QTemporaryDir documents;
    QString dataFolder() const { return app::dataFolderOf(documents.path()); }
};

TEST_F(MigrateCliTest, MigrateConvertsPrintsTheReportAndMovesTheDataFolderOn) {
    const QString old = oursFromNwind(documents.path());
    if (old.isEmpty()) GTEST_SKIP() << "nwind.mdb is absent; run scripts/fetch-test-databases";
    ASSERT_TRUE(QDir().mkpath(dataFolder()));
    app::writeLocationFile(dataFolder(), old);
    const CliResult r = runCli(documents.path(), {QStringLiteral("migrate"), old});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Migration report\n")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("  Order Details: 2155\n")));
    const QString converted = migration::convertedPath(old);
    EXPECT_EQ(app::databasePathFromLocationFile(dataFolder(), nullptr), converted);
    EXPECT_TRUE(QFile::exists(migration::reportPath(converted)));
    // The converted file is a database of ours: the tool works on it.
    const CliResult check = runCli(documents.path(), {QStringLiteral("check")});
    EXPECT_EQ(check.status, 0) << check.err.toStdString();
}

TEST_F(MigrateCliTest, AJetFileAsTheDatabaseIsRefusedNamingMigrate) {
    const QString old = oursFromNwind(documents.path());
    if (old.isEmpty()) GTEST_SKIP() << "nwind.mdb is absent; run scripts/fetch-test-databases";
    const QByteArray before = fileBytes(old);
    const CliResult r =
        runCli(documents.path(), {QStringLiteral("--database"), old, QStringLiteral("sensors")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("convert it first with: tolvane-cli migrate \"") +
                               old + QStringLiteral("\"")))
        << r.err.toStdString();
    EXPECT_EQ(fileBytes(old), before);
    EXPECT_FALSE(QFile::exists(migration::convertedPath(old)));
}

TEST_F(MigrateCliTest, MdbTablesAndMdbCopyWorkOnAnyJetFile) {
    const QString nwind = jetTestFile(QStringLiteral("nwind.mdb"));
    if (nwind.isEmpty()) GTEST_SKIP() << "nwind.mdb is absent; run scripts/fetch-test-databases";
    const CliResult tables = runCli(documents.path(), {QStringLiteral("mdb-tables"), nwind});
    ASSERT_EQ(tables.status, 0) << tables.err.toStdString();
    EXPECT_TRUE(tables.out.startsWith(QStringLiteral("Order Details\t2155\nOrders\t830\n")));
    const QString out = documents.filePath(QStringLiteral("copy.sqlite"));
    const CliResult copy = runCli(documents.path(), {QStringLiteral("mdb-copy"), nwind, out});
    ASSERT_EQ(copy.status, 0) << copy.err.toStdString();
    EXPECT_EQ(copy.out, tables.out);
    // A second copy onto the first is refused, and the first stays.
    const QByteArray first = fileBytes(out);
    const CliResult again = runCli(documents.path(), {QStringLiteral("mdb-copy"), nwind, out});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(fileBytes(out), first);
    const CliResult foreign = runCli(documents.path(), {QStringLiteral("migrate"), nwind});
    EXPECT_EQ(foreign.status, 1);
    EXPECT_TRUE(foreign.err.contains(QStringLiteral("another program; nothing was converted")));
}

} // namespace
