#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The list files in the folder txt of the program folder: the major and minor categories of
// both directions, the payment methods and the bank names. Every operation opens its file,
// works on raw GBK bytes, closes the file and returns; nothing is cached. Failures throw
// AppError with the text the user sees.
namespace lists {

inline constexpr char kIncomeMajorFile[] = "szsubshou.txt";
inline constexpr char kExpenditureMajorFile[] = "szsubzhi.txt";
inline constexpr char kIncomeMinorFile[] = "szdetailshou.txt";
inline constexpr char kExpenditureMinorFile[] = "szdetailzhi.txt";
inline constexpr char kPaymentMethodFile[] = "cardname.txt";
inline constexpr char kBankNameFile[] = "bankname.txt";

// The direction of an entry; it selects a pair of category files.
enum class Direction { Income, Expenditure };

// The ledger's rule: income only when the text is exactly "收入", expenditure otherwise.
Direction directionOf(const QString& text);
QString majorFile(Direction direction);
QString minorFile(Direction direction);

// Full path of `fileName` in <programFolder>/txt. The name is matched against the folder's
// entries without regard to the case of ASCII letters; with no match (or no folder) the path
// ends in the name with its ASCII letters in lower case, the name a created file takes.
QString listPath(const QString& programFolder, const QString& fileName);

// The file's entries in order: a line break is CR LF, a lone CR or a lone LF; a NUL byte ends
// the text. Throws "Cannot open file <path>" when the file cannot be opened.
QList<QByteArray> readList(const QString& programFolder, const QString& fileName);

// Makes the file hold exactly `entries`, each followed by CR LF; creates it when missing (never
// the folder). The new contents replace the old file in one step, so a failure leaves the old
// file whole. Throws "Cannot create file <path>" when the file cannot be created.
void writeList(const QString& programFolder, const QString& fileName,
               const QList<QByteArray>& entries);

// The minor parts, in file order and with duplicates, of the direction's detail lines whose
// major part (the text before the first "-") equals `major` byte for byte. Lines end at LF;
// CR bytes belong to no line. An empty `major` collects the lines without "-", the rest of the
// lines starting with "-" and an empty entry for each empty line.
QList<QByteArray> minorCategories(const QString& programFolder, Direction direction,
                                  const QByteArray& major);

// Adds `text` and CR LF at the end of the direction's minor-category file, which must exist.
// Nothing is written in front of the text.
void appendDetail(const QString& programFolder, Direction direction, const QByteArray& text);

// Removes every line of the direction's minor-category file that equals `line` byte for byte;
// the other lines are written back in order, each with CR LF, in one atomic replacement.
void removeDetail(const QString& programFolder, Direction direction, const QByteArray& line);

// As removeDetail with `oldLine`, then `newLine` becomes the file's last line.
void replaceDetail(const QString& programFolder, Direction direction, const QByteArray& oldLine,
                   const QByteArray& newLine);

// The operations that read and write the minor-category files line by line (minorCategories,
// appendDetail, removeDetail, replaceDetail) fail with:
//   "Invalid filename"    the folder txt does not exist;
//   "File not found"      the file does not exist (it is never created);
//   "File access denied"  the system refuses access;
//   "I/O error <errno>"   any other system error.

} // namespace lists
