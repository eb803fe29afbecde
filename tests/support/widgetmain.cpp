// Test entry point for units with windows (run with QT_QPA_PLATFORM=offscreen).
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // A test never looks for a real router or announces on a real local network: the port
    // mapper gets a closed loopback port and the avahi clients a bus that does not exist,
    // unless a test names its own.
    if (qEnvironmentVariableIsEmpty("DORVANE_UPNP_ROOT_URL"))
        qputenv("DORVANE_UPNP_ROOT_URL", "http://127.0.0.1:1/rootDesc.xml");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/dorvane-test-bus");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
