#pragma once

#include <QString>

class QWidget;

// Types `text` into `w` key by key, as a keyboard with an input method delivers it (QTest's
// own key clicks take Latin-1 only).
void typeText(QWidget* w, const QString& text);
