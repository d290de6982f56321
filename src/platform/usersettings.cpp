#include "platform/usersettings.h"

#include <QSettings>

bool writeShortDateFormat() {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Teloq"),
                QStringLiteral("Teloq"));
    s.setValue(QStringLiteral("Regional/ShortDate"), QString::fromLatin1(kShortDateFormat));
    s.sync();
    return s.status() == QSettings::NoError;
}
