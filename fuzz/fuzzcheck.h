#pragma once

#include <QByteArray>
#include <QString>

// Stops the fuzzer with a message when a property does not hold: the input is then saved as a
// crash file that replays the failure.
[[noreturn]] void propertyFailed(const char* property, const QByteArray& detail = {});

inline void check(bool holds, const char* property, const QByteArray& detail = {}) {
    if (!holds)
        propertyFailed(property, detail);
}

// Creates the QCoreApplication that Qt's text codecs and file engines expect, once.
void ensureApplication();
