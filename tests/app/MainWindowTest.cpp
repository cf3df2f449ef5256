// The main window's shell: tabs, command pairs, resize, the manual, the web
// site and the about window.
#include "support/WindowSupport.h"

#include "app/Manual.h"
#include "app/Texts.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>

using namespace testing_support;

namespace {

class MainWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        makeDefaultDatabase({"202421001"});
        ASSERT_TRUE(startWindow());
    }
};

TEST_F(MainWindowTest, WindowAndTabs) {
    EXPECT_EQ(window->objectName(), QStringLiteral("frmTolvane"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tolvane MPBX/ROVA"));
    auto* tabs = control<QTabWidget>(QStringLiteral("SSTab1"));
    ASSERT_EQ(tabs->count(), 7);
    const QStringList captions{"1. Identification", "2. Installation",  "3. Readings",
                               "4. Disp v Time",    "5. Disp v Length", "6. Utilities",
                               "7. Status"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(tabs->tabText(i), captions[i]);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_FALSE(control(QStringLiteral("lblError"))->isVisibleTo(window.get()));
}

// A click on the caption runs the same command as the picture.
TEST_F(MainWindowTest, CommandPairs) {
    const std::vector<std::array<const char*, 2>> pairs{
        {"imgNext", "lblNext"},
        {"imgPrevious", "lblPrevious"},
        {"imgAddSensor", "lblAddSensor"},
        {"imgDelete", "lblDelete"},
        {"imgFirst", "lblFirst"},
        {"imgPrevData", "lblPrevData"},
        {"imgNextData", "lblNextData"},
        {"imgLast", "lblLast"},
        {"imgAddReading", "lblAddReading"},
        {"imgDeleteReading", "lblDeleteReading"},
        {"imgDatasheet", "lblDatasheet"},
        {"imgReport", "Label46"},
        {"imgFilter", "lblFilterState"},
        {"imgBackup", "lblBackup"},
        {"imgRestore", "lblRestore"},
        {"imgHelp", "lblHelp"},
        {"imgInternet", "lblInternet"},
        {"imgAbout", "lblAbout"},
    };
    // The real commands run too: cancel the new sensor's number, keep the sensor.
    prompter.typeIn(std::nullopt);
    prompter.answer(app::Answer::No);
    for (const auto& [picture, label] : pairs) {
        SCOPED_TRACE(picture);
        auto* button = control<QToolButton>(picture);
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->icon().isNull());
        int runs = 0;
        // Stand in for the command, so that only the wiring is tested here.
        const auto connection = QObject::connect(button, &QToolButton::clicked, [&] { ++runs; });
        const std::string_view name(picture);
        if (name == "imgAbout") onNextModal([](QDialog* d) { d->accept(); });
        if (name == "imgReport" || name == "imgDatasheet")
            onNextModal([](QDialog* d) { d->reject(); });
        click(label);
        EXPECT_EQ(runs, 1);
        QObject::disconnect(connection);
    }
    EXPECT_FALSE(control<QToolButton>(QStringLiteral("imgAddTroveData"))->icon().isNull());
    EXPECT_FALSE(control<QToolButton>(QStringLiteral("Image3"))->icon().isNull());
}

TEST_F(MainWindowTest, ManualAndWebSiteGoToTheDesktop) {
    click(QStringLiteral("lblHelp"));
    click(QStringLiteral("imgInternet"));
    EXPECT_EQ(desktop.opened, QStringList({dataFile(app::ManualFileName), app::texts::WebSite}));
    // Without the manual, nothing happens.
    ASSERT_TRUE(QFile::remove(dataFile(app::ManualFileName)));
    desktop.opened.clear();
    click(QStringLiteral("imgHelp"));
    EXPECT_TRUE(desktop.opened.isEmpty());
    // A desktop that opens nothing leaves the program as it was.
    desktop.result = false;
    click(QStringLiteral("lblInternet"));
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(MainWindowTest, AboutShowsTheVersionAndIsReused) {
    QDialog* first = nullptr;
    onNextModal([&](QDialog* d) {
        first = d;
        EXPECT_EQ(d->objectName(), QStringLiteral("frmSplash"));
        QStringList texts;
        for (const QLabel* l : d->findChildren<QLabel*>())
            texts << l->text();
        EXPECT_TRUE(texts.contains(QStringLiteral("Tolvane MPBX")));
        EXPECT_TRUE(texts.contains(QStringLiteral("Version 1.5.0")));
        auto* ok = d->findChild<QPushButton*>(QStringLiteral("cmdOK"));
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->text(), QStringLiteral("OK"));
        ok->click();
    });
    click(QStringLiteral("imgAbout"));
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(first->isVisible());
    QDialog* second = nullptr;
    onNextModal([&](QDialog* d) {
        second = d;
        d->accept();
    });
    click(QStringLiteral("lblAbout"));
    EXPECT_EQ(second, first);
}

TEST_F(MainWindowTest, TabControlKeepsItsSizeAndPlace) {
    auto* tabs = control(QStringLiteral("SSTab1"));
    const QSize designed = tabs->size();
    EXPECT_EQ(tabs->pos(), QPoint(8, 8)); // 120 twips
    window->resize(window->width() + 300, window->height() + 200);
    EXPECT_EQ(tabs->pos(), QPoint(8, 8));
    EXPECT_EQ(tabs->size(), designed);

    window->showMaximized();
    const QSize screen = window->screen()->geometry().size();
    EXPECT_EQ(tabs->pos(), QPoint((screen.width() - designed.width()) / 2,
                                  (screen.height() - designed.height()) / 2));
    EXPECT_EQ(tabs->size(), designed);

    window->showNormal();
    EXPECT_EQ(tabs->pos(), QPoint(8, 8));
    window->showMinimized();
    EXPECT_EQ(tabs->size(), designed);
}

} // namespace
