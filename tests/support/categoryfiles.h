#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Small category lists for tests of the category editor, and the bytes their files hold.

// GBK bytes of a text.
QByteArray gbk(const QString& text);
// The bytes of a list file holding `lines`, each ended with CR LF, in GBK.
QByteArray listFile(const QStringList& lines);

extern const QStringList kIncomeMajors;
extern const QStringList kIncomeMinors;
extern const QStringList kSpendingMajors;
extern const QStringList kSpendingMinors;
