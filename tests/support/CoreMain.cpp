// Test programs of the logic run under a QCoreApplication: linking them
// without the toolkit's widgets, and running them without a GUI application,
// shows that the logic needs no window.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
