#pragma once

#include <QString>

// Shows a desktop notification through the freedesktop notification service, when a session
// bus is there to carry it. Never waits and never fails: without a bus, or without a service
// on it, nothing happens.
void notifyDesktop(const QString& summary, const QString& body);
