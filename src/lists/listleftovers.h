#pragma once

#include <QDateTime>
#include <QString>

// Temporary copies that a rewrite of a list file leaves in txt/ when it is killed before it
// could put the copy in place.
namespace lists {

// How old such a copy must be before it is taken for left over: a rewrite takes milliseconds.
inline constexpr qint64 kStaleRewriteSeconds = 60;

// Removes from <programFolder>/txt the temporary copies "<list>.new-XXXXXX" (six letters or
// digits after the name of one of the list files, in any case of its ASCII letters), and the
// "<list>.XXXXXX" of earlier versions whose six characters mix cases or letters and digits, last
// changed more than kStaleRewriteSeconds before `now`. Only plain files of that exact pattern go;
// returns how many were removed.
int removeStaleRewrites(const QString& programFolder, const QDateTime& now);

} // namespace lists
