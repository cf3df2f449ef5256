// Start-up of the real main window: the instance lock, the data folder, the
// location file, the connection and the register.
#include "support/WindowSupport.h"

#include "app/Manual.h"
#include "app/shell/StartUp.h"
#include "app/Texts.h"
#include "store/Schema.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QSysInfo>

#include <memory>

using namespace testing_support;
namespace texts = app::texts;

namespace {

class StartUpTest : public WindowTest {
protected:
    void writeLocationFile(const QByteArray& content) {
        QFile file(dataFile(texts::LocationFileName));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
};

TEST(GetSpecialPath, CommandLineThenEnvironmentThenDocuments) {
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("TOLVANE_DOCUMENTS"), QStringLiteral(" /env/docs "));
    EXPECT_EQ(app::GetSpecialPath({"tolvane", "--documents", " /cli/docs"}, environment),
              QStringLiteral("/cli/docs"));
    EXPECT_EQ(app::GetSpecialPath({"tolvane", "--documents=/cli/eq"}, environment),
              QStringLiteral("/cli/eq"));
    EXPECT_EQ(app::GetSpecialPath({"tolvane"}, environment), QStringLiteral("/env/docs"));
    EXPECT_FALSE(app::GetSpecialPath({"tolvane"}, QProcessEnvironment()).isEmpty());
}

TEST_F(StartUpTest, RegisterIsLoadedHighestNumberFirst) {
    makeDefaultDatabase({"202421001", "202431007", "202421003"});
    ASSERT_TRUE(startWindow());
    EXPECT_TRUE(prompter.prompts.empty()) << promptTexts().join('|').toStdString();
    auto* list = control<QComboBox>(QStringLiteral("cboSensors"));
    EXPECT_EQ(itemsOf(list), QStringList({"202431007", "202421003", "202421001"}));
    EXPECT_EQ(list->currentText(), QStringLiteral("202431007"));
    EXPECT_EQ(control<QLineEdit>(QStringLiteral("txtSCount"))->text(), QStringLiteral("3"));
}

TEST_F(StartUpTest, EmptyRegisterIsReported) {
    makeDefaultDatabase();
    ASSERT_TRUE(startWindow());
    ASSERT_EQ(prompter.prompts.size(), 1u);
    const app::Prompt& p = prompter.prompts[0];
    EXPECT_EQ(p.text, QStringLiteral("There are no sensors in the database, \r\nclick the ADD NEW "
                                     "button to begin using Tolvane"));
    EXPECT_EQ(p.title, QStringLiteral("Vornhald's Tolvane"));
    EXPECT_EQ(p.icon, app::Icon::Warning);
    EXPECT_EQ(p.buttons, app::Buttons::Ok);
    EXPECT_EQ(control<QComboBox>(QStringLiteral("cboSensors"))->count(), 0);
    EXPECT_EQ(control<QLineEdit>(QStringLiteral("txtSCount"))->text(), QStringLiteral("0"));
}

TEST_F(StartUpTest, FirstStartMakesDataFolderDatabaseLogoAndManual) {
    ASSERT_TRUE(QDir(documents.filePath(QStringLiteral("Vornhald"))).removeRecursively());
    ASSERT_TRUE(startWindow());
    EXPECT_EQ(promptTexts(), QStringList({texts::NoSensors}));
    EXPECT_TRUE(store::Database::open(dataFile(texts::DefaultDatabaseName))->hasTable("Sensors"));
    EXPECT_FALSE(QImage(dataFile(texts::LogoFileName)).isNull());
    EXPECT_TRUE(fileBytes(dataFile(app::ManualFileName)).startsWith("%PDF"));
}

TEST_F(StartUpTest, ExistingLogoAndManualAreKept) {
    makeDefaultDatabase({"202421001"});
    for (const QString& name : {texts::LogoFileName, app::ManualFileName}) {
        QFile file(dataFile(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("ours");
    }
    ASSERT_TRUE(startWindow());
    EXPECT_EQ(fileBytes(dataFile(texts::LogoFileName)), QByteArray("ours"));
    EXPECT_EQ(fileBytes(dataFile(app::ManualFileName)), QByteArray("ours"));
}

TEST_F(StartUpTest, LocationFileNamesTheDatabase) {
    makeDefaultDatabase({"202421001"});
    const QString other = makeDatabaseAt(QStringLiteral("other.mdb"), {"202451009"});
    writeLocationFile(other.toLocal8Bit() + "\r\nsecond line ignored\r\n");
    ASSERT_TRUE(startWindow());
    EXPECT_EQ(itemsOf(control(QStringLiteral("cboSensors"))), QStringList({"202451009"}));
}

// The connection opened while the window is built is used only when it still
// answers for what start-up finds.
TEST_F(StartUpTest, ChangesBetweenBuildingAndStartUpAreSeen) {
    makeDefaultDatabase({"202421001"});
    window = std::make_unique<app::MainWindow>(env);
    addSensor(*store::Database::open(dataFile(texts::DefaultDatabaseName)), "202421002");
    ASSERT_TRUE(window->startUp());
    EXPECT_EQ(itemsOf(control(QStringLiteral("cboSensors"))),
              QStringList({"202421002", "202421001"}));
    closeWindow();

    const QString other = makeDatabaseAt(QStringLiteral("other.mdb"), {"202451009"});
    window = std::make_unique<app::MainWindow>(env);
    writeLocationFile(other.toLocal8Bit());
    ASSERT_TRUE(window->startUp());
    EXPECT_EQ(itemsOf(control(QStringLiteral("cboSensors"))), QStringList({"202451009"}));
}

TEST_F(StartUpTest, EmptyLocationLineUsesDefaultWithMessage) {
    makeDefaultDatabase({"202421001"});
    for (const QByteArray& content : {QByteArray("\r\nC:/elsewhere.mdb\r\n"), QByteArray()}) {
        SCOPED_TRACE(content.toStdString());
        writeLocationFile(content);
        prompter.prompts.clear();
        ASSERT_TRUE(startWindow());
        ASSERT_EQ(prompter.prompts.size(), 1u);
        EXPECT_EQ(prompter.prompts[0].text,
                  QStringLiteral("The alternate database file path location could not be "
                                 "found\r\nThe default path will be used\r\nYou can edit the "
                                 "location on the '6. Utilities' tab"));
        EXPECT_EQ(prompter.prompts[0].title, QStringLiteral("Tolvane"));
        EXPECT_EQ(prompter.prompts[0].icon, app::Icon::None);
        EXPECT_EQ(itemsOf(control(QStringLiteral("cboSensors"))), QStringList({"202421001"}));
        closeWindow();
    }
}

// Files that cannot be the database. Each is refused at start-up with its path
// and the reason under the connection message, logged, and never written.
struct UnusableDatabase {
    const char* name;
    // Makes what the location file names at path; what it returns is held
    // through start-up (a connection holding a lock, say).
    std::shared_ptr<void> (*make)(const QString& path);
    QString reason;
    friend void PrintTo(const UnusableDatabase& u, std::ostream* os) { *os << u.name; }
};

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A database of ours with enough rows to spread over several pages.
QByteArray soundDatabase(const QString& path) {
    store::createDatabaseFile(path);
    {
        auto db = store::Database::open(path);
        addSensor(*db, QStringLiteral("202421001"));
        addReadings(*db, QStringLiteral("202421001"), 500);
    }
    return fileBytes(path);
}

class UnusableDatabaseTest : public StartUpTest,
                             public ::testing::WithParamInterface<UnusableDatabase> {};

TEST_P(UnusableDatabaseTest, IsNamedRefusedAndLeftAsItWas) {
    makeDefaultDatabase({"202421001"});
    const QString path = documents.filePath(QStringLiteral("mine/shared.mdb"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    const std::shared_ptr<void> held = GetParam().make(path);
    const bool existed = QFileInfo::exists(path);
    const QByteArray before = fileBytes(path);
    writeLocationFile(path.toLocal8Bit());
    expectLog(QStringLiteral(" Form_Load"));
    EXPECT_FALSE(startWindow());
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0].text,
              QStringLiteral("ERROR: could not connect to database\r\nProgram must exit\r\n") +
                  path + QStringLiteral("\r\n") + GetParam().reason);
    EXPECT_EQ(prompter.prompts[0].title, QStringLiteral("Database connection error"));
    EXPECT_EQ(prompter.prompts[0].icon, app::Icon::Critical);
    checkLog();
    const QStringList log = logMessages(dataFile(app::LogFileName));
    ASSERT_FALSE(log.isEmpty());
    EXPECT_TRUE(log.last().contains(GetParam().reason + QStringLiteral(": ") + path))
        << log.last().toStdString();
    // The program ends there: nothing is compacted, nothing more is shown.
    closeWindow();
    EXPECT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(QFileInfo::exists(path), existed);
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_FALSE(QFileInfo::exists(documents.filePath(QStringLiteral("mine/Copy_shared.mdb"))));
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".lock")));
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnusableDatabaseTest,
    ::testing::Values(
        UnusableDatabase{"Missing", [](const QString&) { return std::shared_ptr<void>(); },
                         QStringLiteral("The file does not exist")},
        UnusableDatabase{"Folder",
                         [](const QString& path) {
                             QDir().mkpath(path);
                             return std::shared_ptr<void>();
                         },
                         QStringLiteral("The path names a folder, not a database file")},
        UnusableDatabase{"Empty",
                         [](const QString& path) {
                             writeBytes(path, {});
                             return std::shared_ptr<void>();
                         },
                         QStringLiteral("The file is empty (0 bytes)")},
        UnusableDatabase{"Text",
                         [](const QString& path) {
                             writeBytes(path, QByteArray(4096, 'x'));
                             return std::shared_ptr<void>();
                         },
                         QStringLiteral("The file is not a database")},
        UnusableDatabase{"CutShort",
                         [](const QString& path) {
                             const QByteArray whole = soundDatabase(path);
                             writeBytes(path, whole.left(whole.size() / 2));
                             return std::shared_ptr<void>();
                         },
                         QStringLiteral("The file is damaged or cut short")},
        UnusableDatabase{"Foreign",
                         [](const QString& path) {
                             store::Database::create(path)->execute(
                                 QStringLiteral("CREATE TABLE Customers (Name)"));
                             return std::shared_ptr<void>();
                         },
                         QStringLiteral("The file is a database, but not a Tolvane database (it "
                                        "has no Sensors table)")},
        UnusableDatabase{"LockedByAnotherProgram",
                         [](const QString& path) {
                             soundDatabase(path);
                             std::shared_ptr<store::Database> other = store::Database::open(path);
                             other->execute(QStringLiteral("BEGIN EXCLUSIVE"));
                             return std::shared_ptr<void>(other);
                         },
                         QStringLiteral("Another program holds a lock on the file")}),
    [](const ::testing::TestParamInfo<UnusableDatabase>& p) { return std::string(p.param.name); });

TEST_F(StartUpTest, SecondInstanceEndsWithoutTouchingAnything) {
    makeDefaultDatabase({"202421001"});
    ASSERT_TRUE(startWindow());
    const QByteArray before = fileBytes(dataFile(texts::DefaultDatabaseName));

    app::MainWindow second(env);
    EXPECT_FALSE(second.startUp());
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0].text,
              QStringLiteral("Tolvane is already running\r\nCannot load program again"));
    EXPECT_EQ(prompter.prompts[0].title, QStringLiteral("Vornhald's Tolvane"));
    EXPECT_EQ(prompter.prompts[0].icon, app::Icon::Warning);
    second.close();
    second.shutDown();
    EXPECT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(fileBytes(dataFile(texts::DefaultDatabaseName)), before);
    EXPECT_FALSE(QFileInfo::exists(dataFile(QStringLiteral("Copy_TolvaneMPBX.mdb"))));
    EXPECT_EQ(itemsOf(second.findChild<QWidget*>(QStringLiteral("cboSensors"))), QStringList());

    // Once the first has ended, the next start runs.
    closeWindow();
    EXPECT_TRUE(startWindow());
}

TEST_F(StartUpTest, LockOfAProcessThatIsGoneDoesNotBlock) {
    makeDefaultDatabase({"202421001"});
    QFile lock(dataFile(texts::LockFileName));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    // The lock file's own layout: process id, program name, host name.
    lock.write("2147483646\ntolvane\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    EXPECT_TRUE(startWindow());
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(StartUpTest, MissingConfigurationAbandonsStartUp) {
    makeDefaultDatabase({"202421001"});
    store::Database::open(dataFile(texts::DefaultDatabaseName))
        ->execute(QStringLiteral("DELETE FROM Configuration"));
    expectLog(QStringLiteral(" Form_Load"));
    EXPECT_TRUE(startWindow());
    EXPECT_EQ(control<QComboBox>(QStringLiteral("cboSensors"))->count(), 0);
    EXPECT_TRUE(control<QLineEdit>(QStringLiteral("txtSCount"))->text().isEmpty());
}

TEST_F(StartUpTest, MissingPrefsIsLoggedAndStartUpGoesOn) {
    makeDefaultDatabase({"202421001"});
    store::Database::open(dataFile(texts::DefaultDatabaseName))
        ->execute(QStringLiteral("DROP TABLE Prefs"));
    expectLog(QStringLiteral(" Module1_GetPrefs"));
    EXPECT_TRUE(startWindow());
    EXPECT_EQ(itemsOf(control(QStringLiteral("cboSensors"))), QStringList({"202421001"}));
}

} // namespace
