#include "fuzzcheck.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

void propertyFailed(const char* property, const QByteArray& detail) {
    std::fprintf(stderr, "property violated: %s\n%s\n", property, detail.constData());
    std::abort();
}

void ensureApplication() {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app =
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}
