#include "platform/widgets/look.h"

#include <QApplication>
#include <QStyleFactory>

QFont programFont() {
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(12);
    return f;
}

void applyProgramLook() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // "宋体" is a Song face; on Linux a free Song-style face stands in for it.
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("AR PL UMing CN"));
    QApplication::setFont(programFont());
}
