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
    bool startWindow();
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

// Runs action on the next modal window once it is open (from a zero-delay timer).
void onNextModal(std::function<void(QDialog*)> action);

// Answers the next Change Database Location window (frmDatabaseLocation) with
// "a database file" and OK: the open-file prompt follows.
void chooseFileLocationNext();

// The items of a combo box, in order.
QStringList itemsOf(const QWidget* combo);

} // namespace testing_support
