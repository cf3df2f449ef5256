#include "support/WindowSupport.h"

#include "app/DataFolder.h"
#include "app/Texts.h"
#include "app/shell/StartUp.h"
#include "store/Schema.h"
#include "store/ServerAddress.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace testing_support {

void WindowTest::TearDown() {
    closeWindow();
    TolvaneTest::TearDown();
}

void WindowTest::makeDefaultDatabase(const QStringList& numbers) {
    store::Database& db = openNewDatabase();
    for (const QString& n : numbers)
        addSensor(db, n);
    state->releaseDatabase();
}

QString WindowTest::makeDatabaseAt(const QString& name, const QStringList& numbers) {
    const QString path = documents.filePath(name);
    store::createDatabaseFile(path);
    auto db = store::Database::open(path);
    for (const QString& n : numbers)
        addSensor(*db, n);
    return path;
}

bool WindowTest::startWindow() {
    const bool onServer = engine == Engine::Server && serverDatabase;
    if (onServer && !QFileInfo::exists(dataFile(app::texts::LocationFileName)))
        app::writeLocationFile(dataFolder, serverDatabase->url());
    window = std::make_unique<app::MainWindow>(env);
    const bool started = window->startUp();
    if (started) window->show();
    // A server run that quietly fell back to a file would prove nothing.
    if (started && onServer) {
        EXPECT_EQ(window->windowTitle(), app::texts::serverCaption(store::displayName(
                                             store::parseServerAddress(serverDatabase->url()))));
    }
    return started;
}

void WindowTest::leaveTheFile() {
    QFile::remove(dataFile(app::texts::DefaultDatabaseName));
    QFile::remove(dataFile(app::texts::LocationFileName));
}

void WindowTest::closeWindow() {
    if (!window) return;
    window->close();
    window->shutDown();
    window.reset();
}

void WindowTest::click(const QString& name) const {
    if (QWidget* w = control(name)) QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

QStringList WindowTest::promptTexts() const {
    QStringList texts;
    for (const app::Prompt& p : prompter.prompts)
        texts << p.text;
    return texts;
}

void WindowEngineTest::SetUp() {
    engine = GetParam();
    WindowTest::SetUp();
    if (engine == Engine::Server) TOLVANE_REQUIRE_POSTGRES();
}

void onNextModal(std::function<void(QDialog*)> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        EXPECT_NE(dialog, nullptr) << "no modal window is open";
        if (dialog) action(dialog);
    });
}

void chooseFileLocationNext() {
    onNextModal([](QDialog* d) {
        EXPECT_EQ(d->objectName(), QStringLiteral("frmDatabaseLocation"));
        auto* file = d->findChild<QRadioButton*>(QStringLiteral("optFile"));
        auto* ok = d->findChild<QPushButton*>(QStringLiteral("cmdOK"));
        EXPECT_NE(file, nullptr);
        EXPECT_NE(ok, nullptr);
        if (!file || !ok) {
            d->reject();
            return;
        }
        QTest::mouseClick(file, Qt::LeftButton, {}, QPoint(8, file->height() / 2));
        QTest::mouseClick(ok, Qt::LeftButton);
    });
}

QStringList itemsOf(const QWidget* combo) {
    QStringList items;
    if (const auto* c = qobject_cast<const QComboBox*>(combo))
        for (int i = 0; i < c->count(); ++i)
            items << c->itemText(i);
    return items;
}

} // namespace testing_support
