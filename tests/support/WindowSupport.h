// The real main window on the fixture's documents folder, and ways to drive it.
#pragma once

#include "support/Support.h"

#include "app/ui/MainWindow.h"

#include <QDialog>

#include <functional>

namespace testing_support {

class WindowTest : public TolvaneTest {
protected:
    void TearDown() override;

    // Makes the default database with these sensors (and their reading tables).
    void makeDefaultDatabase(const QStringList& numbers = {});
    // A database file elsewhere in the documents folder, with these sensors.
    QString makeDatabaseAt(const QString& name, const QStringList& numbers);

    // Constructs the window and runs its start-up; shows it when that succeeded.
    // With engine Server and no location file yet, the location file names the
    // server database openNewDatabase made, as a user's would.
    bool startWindow();
    // The default file and the location file gone: the next start of a
    // server run's window goes to the server.
    void leaveTheFile();
    // The unload, the exit and the delete, as main() does them.
    void closeWindow();

    template <class T = QWidget> T* control(const QString& name) const {
        T* found = window->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << "no control " << name.toStdString();
        return found;
    }
    // A left click in the middle of the named control.
    void click(const QString& name) const;

    // The texts of the prompts shown so far.
    QStringList promptTexts() const;

    std::unique_ptr<app::MainWindow> window;
};

// A suite of WindowTest run once per engine (TOLVANE_ON_BOTH_ENGINES): its
// openNewDatabase and makeDefaultDatabase make the database on the server for
// the server run, and the window starts on it. The server run is skipped when
// the run has no cluster (failed when it was meant to have one).
class WindowEngineTest : public WindowTest, public ::testing::WithParamInterface<Engine> {
protected:
    void SetUp() override;
};

// Runs action on the next modal window once it is open (from a zero-delay timer).
void onNextModal(std::function<void(QDialog*)> action);

// Answers the next Change Database Location window (frmDatabaseLocation) with
// "a database file" and OK: the open-file prompt follows.
void chooseFileLocationNext();

// The items of a combo box, in order.
QStringList itemsOf(const QWidget* combo);

} // namespace testing_support
