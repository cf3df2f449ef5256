// The window meets an earlier version's Jet file: at start-up through the
// location file, and through Change Database Location.
#include "support/WindowSupport.h"

#include "migration/JetTestData.h"

#include "app/DataFolder.h"
#include "app/Texts.h"
#include "migration/Migration.h"
#include "migration/Texts.h"

#include <QComboBox>
#include <QDir>
#include <QFile>

using namespace testing_support;

namespace {

class ConvertWindowTest : public WindowTest {
protected:
    // An earlier version's file named by the location file; empty when the
    // Jet test files are absent.
    QString locateOld() {
        const QString old = oursFromNwind(documents.path());
        if (!old.isEmpty()) app::writeLocationFile(dataFolder, old);
        return old;
    }
    QString located() { return app::databasePathFromLocationFile(dataFolder, nullptr); }
};

TEST_F(ConvertWindowTest, YesConvertsTheFileBesideItAndOpensTheCopy) {
    const QString old = locateOld();
    if (old.isEmpty()) GTEST_SKIP() << "nwind.mdb is absent; run scripts/fetch-test-databases";
    const QByteArray before = fileBytes(old);
    prompter.answer(app::Answer::Yes);
    prompter.answer(app::Answer::Ok); // the report's whereabouts
    ASSERT_TRUE(startWindow());
    ASSERT_GE(prompter.prompts.size(), 2u);
    EXPECT_EQ(prompter.prompts[0].text, migration::texts::OfferConversion);
    EXPECT_EQ(prompter.prompts[0].buttons, app::Buttons::YesNo);
    const QString converted = migration::convertedPath(old);
    EXPECT_EQ(
        prompter.prompts[1].text,
        migration::texts::converted(QDir::toNativeSeparators(converted),
                                    QDir::toNativeSeparators(migration::reportPath(converted))));
    EXPECT_EQ(located(), converted);
    EXPECT_EQ(fileBytes(old), before);
    // Stamped by the program's clock, as every "now" is.
    EXPECT_TRUE(
        fileBytes(migration::reportPath(converted)).contains("Written: 2026-12-07 15:04:05"));
    EXPECT_GT(itemsOf(control<QComboBox>(QStringLiteral("cboSensors"))).size(), 100);
    closeWindow();
}

TEST_F(ConvertWindowTest, NoLeavesEverythingAsItWasAndTheProgramEnds) {
    const QString old = locateOld();
    if (old.isEmpty()) GTEST_SKIP() << "nwind.mdb is absent; run scripts/fetch-test-databases";
    const QStringList filesBefore = QDir(documents.path()).entryList(QDir::Files);
    prompter.answer(app::Answer::No);
    expectLog(QStringLiteral(" Form_Load"));
    EXPECT_FALSE(startWindow());
    ASSERT_EQ(prompter.prompts.size(), 2u);
    EXPECT_TRUE(prompter.prompts[1].text.contains(migration::texts::NotConverted));
    closeWindow();
    EXPECT_EQ(QDir(documents.path()).entryList(QDir::Files), filesBefore);
    EXPECT_EQ(located(), old);
}

TEST_F(ConvertWindowTest, AnotherProgramsFileIsNotOfferedAndTheDatabaseInUseStays) {
    const QString nwind = jetTestFile(QStringLiteral("nwind.mdb"));
    if (nwind.isEmpty()) GTEST_SKIP() << "nwind.mdb is absent; run scripts/fetch-test-databases";
    makeDefaultDatabase({QStringLiteral("202421001")});
    ASSERT_TRUE(startWindow());
    const size_t shown = prompter.prompts.size();
    const QString foreign = documents.filePath(QStringLiteral("Northwind.mdb"));
    ASSERT_TRUE(QFile::copy(nwind, foreign));
    prompter.chooseFile(foreign);
    prompter.answer(app::Answer::Ok);
    expectLog(migration::texts::ConvertLabel);
    chooseFileLocationNext();
    click(QStringLiteral("Image3"));
    ASSERT_EQ(prompter.prompts.size(), shown + 1);
    EXPECT_TRUE(prompter.prompts.back().text.startsWith(migration::texts::Foreign))
        << prompter.prompts.back().text.toStdString();
    EXPECT_EQ(prompter.prompts.back().icon, app::Icon::Critical);
    EXPECT_EQ(located(), app::defaultDatabasePath(dataFolder));
    EXPECT_EQ(itemsOf(control<QComboBox>(QStringLiteral("cboSensors"))),
              QStringList{QStringLiteral("202421001")});
    EXPECT_FALSE(QFile::exists(migration::convertedPath(foreign)));
    closeWindow();
}

} // namespace
