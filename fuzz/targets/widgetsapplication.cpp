#include "fuzztargets.h"

#include <QApplication>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DORVANE_LEAK_CHECKER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define DORVANE_LEAK_CHECKER 1
#endif
#ifdef DORVANE_LEAK_CHECKER
#include <sanitizer/lsan_interface.h>
#endif

namespace fuzzsupport {

void withoutLeakCheck(void (*f)())
{
#ifdef DORVANE_LEAK_CHECKER
    __lsan_disable();
    f();
    __lsan_enable();
#else
    f();
#endif
}

void ensureWidgetsApplication()
{
    if (QCoreApplication::instance() != nullptr) {
        check(qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr,
              "the client targets need a QApplication");
        return;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    withoutLeakCheck([] {
        static int argc = 1;
        static char name[] = "fuzz";
        static char *argv[] = {name, nullptr};
        static QApplication app(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
    });
}

} // namespace fuzzsupport
