#include "import/xlsxreader.h"

#include "platform/apperror.h"

#include <QDate>
#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

namespace bills {

namespace {

// Cells past this column are not kept one by one: no bill has that many columns. A row that has
// any keeps one cell there, so that the reader sees the row is wider than its table.
constexpr int maxColumns = 256;

QString damagedText(const QString& fileName, const QString& part) {
    return QStringLiteral("'%1' 已损坏：其中的 '%2' 无法读取。").arg(fileName, part);
}

QString cutShortText(const QString& fileName, const QString& part) {
    return QStringLiteral("'%1' 不完整：其中的 '%2' 中途结束，文件可能没有下载完整。")
        .arg(fileName, part);
}

// Throws the error the reader met, if any: an XML part that ends early is a file cut short.
void throwIfBad(const QXmlStreamReader& xml, const QString& fileName, const QString& part) {
    if (!xml.hasError())
        return;
    if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
        throw AppError(cutShortText(fileName, part));
    throw AppError(damagedText(fileName, part));
}

// The text of an <si> or <is> element: its <t> texts, the phonetic runs (<rPh>) left out.
QString richText(QXmlStreamReader& xml) {
    QString text;
    int phonetic = 0;
    const QStringView element = xml.name();
    const QString end = element.toString();
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"rPh")
                ++phonetic;
            else if (xml.name() == u"t" && phonetic == 0)
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml.isEndElement()) {
            if (xml.name() == u"rPh")
                --phonetic;
            else if (xml.name() == end)
                break;
        }
    }
    return text;
}

// The column of a cell reference ("C12" → 2), or -1 when it has none.
int columnOf(const QString& ref) {
    int column = 0;
    int letters = 0;
    for (QChar c : ref) {
        const char16_t u = c.toUpper().unicode();
        if (u < u'A' || u > u'Z')
            break;
        column = column * 26 + (u - u'A' + 1);
        if (++letters > 3)
            return maxColumns;
    }
    return letters == 0 ? -1 : column - 1;
}

// The relationship targets of a part's .rels file, by id, resolved against the part's folder.
QHash<QString, QString> relationships(const BillZip& zip, const QString& relsPart,
                                      const QString& folder) {
    QHash<QString, QString> targets;
    const qint64 index = zip.find(relsPart);
    if (index < 0)
        return targets;
    QXmlStreamReader xml(zip.read(index));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"Relationship") {
            const QString target = xml.attributes().value(QLatin1String("Target")).toString();
            const QString path =
                target.startsWith(u'/') ? target.mid(1) : QDir::cleanPath(folder + u'/' + target);
            targets.insert(xml.attributes().value(QLatin1String("Id")).toString(), path);
        }
    }
    throwIfBad(xml, zip.fileName(), relsPart);
    return targets;
}

QString attributeNamed(const QXmlStreamAttributes& attributes, QStringView localName) {
    for (const QXmlStreamAttribute& a : attributes)
        if (a.name() == localName)
            return a.value().toString();
    return {};
}

} // namespace

bool isXlsx(const BillZip& zip) {
    return zip.find(QStringLiteral("xl/workbook.xml")) >= 0;
}

XlsxWorkbook::XlsxWorkbook(const BillZip& zip) : m_zip(zip) {
    const QString fileName = zip.fileName();
    const QString workbookPart = QStringLiteral("xl/workbook.xml");
    const qint64 workbookIndex = zip.find(workbookPart);
    if (workbookIndex < 0)
        throw AppError(damagedText(fileName, workbookPart));
    const QHash<QString, QString> targets =
        relationships(zip, QStringLiteral("xl/_rels/workbook.xml.rels"), QStringLiteral("xl"));

    // The sheets, the one the workbook opens on, and its date system.
    QList<SheetRef> sheets;
    int active = 0;
    {
        QXmlStreamReader xml(zip.read(workbookIndex));
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            if (xml.name() == u"sheet") {
                const QString id = attributeNamed(xml.attributes(), u"id");
                const QString part = targets.value(id);
                if (!part.isEmpty())
                    sheets << SheetRef{xml.attributes().value(QLatin1String("name")).toString(),
                                       part};
            } else if (xml.name() == u"workbookView") {
                active = xml.attributes().value(QLatin1String("activeTab")).toInt();
            } else if (xml.name() == u"workbookPr") {
                const QStringView v = xml.attributes().value(QLatin1String("date1904"));
                m_date1904 = v == u"1" || v == u"true";
            }
        }
        throwIfBad(xml, fileName, workbookPart);
    }
    if (active > 0 && active < sheets.size())
        sheets.move(active, 0);
    m_sheets = sheets;

    // Shared strings.
    const QString stringsPart = QStringLiteral("xl/sharedStrings.xml");
    if (const qint64 index = zip.find(stringsPart); index >= 0) {
        QXmlStreamReader xml(zip.read(index));
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == u"si")
                m_sharedStrings << richText(xml);
        }
        throwIfBad(xml, fileName, stringsPart);
    }

    // Cell styles whose number format shows a date.
    const QString stylesPart = QStringLiteral("xl/styles.xml");
    if (const qint64 index = zip.find(stylesPart); index >= 0) {
        QHash<int, QString> codes;
        QXmlStreamReader xml(zip.read(index));
        bool inCellXfs = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement()) {
                if (xml.name() == u"numFmt") {
                    codes.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt(),
                                 xml.attributes().value(QLatin1String("formatCode")).toString());
                } else if (xml.name() == u"cellXfs") {
                    inCellXfs = true;
                } else if (inCellXfs && xml.name() == u"xf") {
                    const int id = xml.attributes().value(QLatin1String("numFmtId")).toInt();
                    const bool custom = codes.contains(id);
                    m_dateStyles << (custom ? isDateFormat(codes.value(id))
                                            : builtinFormatShowsDate(id));
                    m_timeStyles << (custom ? isTimeFormat(codes.value(id))
                                            : builtinFormatShowsTime(id));
                }
            } else if (xml.isEndElement() && xml.name() == u"cellXfs") {
                inCellXfs = false;
            }
        }
        throwIfBad(xml, fileName, stylesPart);
    }
}

QString XlsxWorkbook::cellText(const QString& type, const QString& style,
                               const QString& value) const {
    if (type == u"s") {
        bool ok = false;
        const int i = value.trimmed().toInt(&ok);
        return ok && i >= 0 && i < m_sharedStrings.size() ? m_sharedStrings.at(i) : QString();
    }
    if (type == u"b")
        return value.trimmed() == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (type.isEmpty() || type == u"n") {
        bool ok = false;
        const int s = style.toInt(&ok);
        if (ok && s >= 0 && s < m_dateStyles.size() && m_dateStyles.at(s)) {
            if (const auto date = spreadsheetDateText(value, m_date1904, m_timeStyles.at(s)))
                return *date;
        }
        if (const auto number = spreadsheetNumberText(value))
            return *number;
    }
    // Formula strings, ISO dates, errors, and numbers that cannot be written out: as written.
    return value;
}

QList<TableLine> XlsxWorkbook::sheetLines(int i) const {
    const SheetRef& sheet = m_sheets.at(i);
    const qint64 index = m_zip.find(sheet.part);
    if (index < 0)
        throw AppError(damagedText(m_zip.fileName(), sheet.part));
    QList<TableLine> lines;
    QXmlStreamReader xml(m_zip.read(index));
    int rowNumber = 0;
    TableLine* row = nullptr;
    int column = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == u"row") {
            if (row)
                row->text = row->cells.join(u',');
            row = nullptr;
            continue;
        }
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"row") {
            const int r = xml.attributes().value(QLatin1String("r")).toInt();
            rowNumber = r > rowNumber ? r : rowNumber + 1;
            lines << TableLine{rowNumber, {}, {}, true, false, true};
            row = &lines.last();
            column = 0;
        } else if (xml.name() == u"c" && row) {
            const QXmlStreamAttributes a = xml.attributes();
            const int ref = columnOf(a.value(QLatin1String("r")).toString());
            column = std::min(ref >= 0 ? ref : column, maxColumns);
            const QString type = a.value(QLatin1String("t")).toString();
            const QString style = a.value(QLatin1String("s")).toString();
            QString value;
            bool inlineText = false;
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isStartElement()) {
                    if (xml.name() == u"v") {
                        value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                    } else if (xml.name() == u"is") {
                        value = richText(xml);
                        inlineText = true;
                    } else {
                        xml.skipCurrentElement();
                    }
                } else if (xml.isEndElement() && xml.name() == u"c") {
                    break;
                }
            }
            const QString text = inlineText ? value : cellText(type, style, value);
            if (row->cells.size() <= column) {
                if (text.isEmpty()) {
                    ++column;
                    continue;
                }
                while (row->cells.size() < column)
                    row->cells << QString();
                row->cells << text;
            } else {
                row->cells[column] = text;
            }
            ++column;
        }
    }
    throwIfBad(xml, m_zip.fileName(), sheet.part);
    return lines;
}

} // namespace bills
