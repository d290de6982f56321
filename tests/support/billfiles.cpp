#include "billfiles.h"

#include <QTest>
#include <zip.h>

QByteArray makeZip(const QList<ZipEntry>& entries) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* zip = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
    zip_error_fini(&error);
    if (!zip) {
        QTest::qFail("libzip cannot create an archive", __FILE__, __LINE__);
        return {};
    }
    // Keep the buffer after the archive is closed: it holds the archive written.
    zip_source_keep(buffer);
    for (const ZipEntry& entry : entries) {
        // The source copies nothing: the entry's bytes live until zip_close below.
        zip_source_t* data =
            zip_source_buffer(zip, entry.bytes.constData(), zip_uint64_t(entry.bytes.size()), 0);
        const zip_int64_t index =
            data ? zip_file_add(zip, entry.name.toUtf8().constData(), data, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0 ||
            (entry.encryption != 0 &&
             zip_file_set_encryption(zip, zip_uint64_t(index), zip_uint16_t(entry.encryption),
                                     entry.password.constData()) != 0)) {
            QTest::qFail(zip_strerror(zip), __FILE__, __LINE__);
            zip_discard(zip);
            zip_source_free(buffer);
            return {};
        }
    }
    if (zip_close(zip) != 0) {
        QTest::qFail(zip_strerror(zip), __FILE__, __LINE__);
        zip_discard(zip);
        zip_source_free(buffer);
        return {};
    }
    QByteArray bytes;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(buffer, &stat) == 0 && zip_source_open(buffer) == 0) {
        bytes.resize(qsizetype(stat.size));
        const zip_int64_t n = zip_source_read(buffer, bytes.data(), stat.size);
        bytes.resize(n < 0 ? 0 : qsizetype(n));
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    return bytes;
}

namespace {

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

} // namespace

QString inlineRow(int row, const QStringList& cells) {
    QString xml = QStringLiteral("<row r=\"%1\">").arg(row);
    for (int c = 0; c < cells.size(); ++c) {
        if (cells.at(c).isEmpty())
            continue;
        xml += QStringLiteral("<c r=\"%1%2\" t=\"inlineStr\"><is><t xml:space=\"preserve\">%3"
                              "</t></is></c>")
                   .arg(QChar(u'A' + c))
                   .arg(row)
                   .arg(escaped(cells.at(c)));
    }
    return xml + QStringLiteral("</row>");
}

QByteArray makeXlsx(const QList<XlsxSheet>& sheets, const QStringList& sharedStrings,
                    const QString& numFmts, const QString& cellXfs, int activeTab, bool date1904) {
    const QString ns = QStringLiteral(
        "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"");
    QString workbook = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook %1>"
                                      "<workbookPr%2/><bookViews><workbookView activeTab=\"%3\"/>"
                                      "</bookViews><sheets>")
                           .arg(ns, date1904 ? QStringLiteral(" date1904=\"1\"") : QString())
                           .arg(activeTab);
    QString rels =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
                       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">");
    QList<ZipEntry> entries;
    entries << ZipEntry{QStringLiteral("[Content_Types].xml"),
                        QByteArray("<?xml version=\"1.0\"?><Types xmlns=\"http://schemas."
                                   "openxmlformats.org/package/2006/content-types\"/>")};
    for (int i = 0; i < sheets.size(); ++i) {
        workbook += QStringLiteral("<sheet name=\"%1\" sheetId=\"%2\" r:id=\"rId%2\"/>")
                        .arg(escaped(sheets.at(i).name))
                        .arg(i + 1);
        rels += QStringLiteral("<Relationship Id=\"rId%1\" Type=\"http://schemas.openxmlformats."
                               "org/officeDocument/2006/relationships/worksheet\" "
                               "Target=\"worksheets/sheet%1.xml\"/>")
                    .arg(i + 1);
        const QString part =
            sheets.at(i).whole
                ? sheets.at(i).rowsXml
                : QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                 "<worksheet %1><sheetData>%2</sheetData></worksheet>")
                      .arg(ns, sheets.at(i).rowsXml);
        entries << ZipEntry{QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1), part.toUtf8()};
    }
    workbook += QStringLiteral("</sheets></workbook>");
    rels += QStringLiteral("</Relationships>");
    entries << ZipEntry{QStringLiteral("xl/workbook.xml"), workbook.toUtf8()}
            << ZipEntry{QStringLiteral("xl/_rels/workbook.xml.rels"), rels.toUtf8()};
    if (!sharedStrings.isEmpty()) {
        QString sst = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst %1>").arg(ns);
        for (const QString& s : sharedStrings)
            sst += QStringLiteral("<si><t xml:space=\"preserve\">%1</t></si>").arg(escaped(s));
        entries << ZipEntry{QStringLiteral("xl/sharedStrings.xml"),
                            (sst + QStringLiteral("</sst>")).toUtf8()};
    }
    if (!cellXfs.isEmpty())
        entries << ZipEntry{QStringLiteral("xl/styles.xml"),
                            QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                           "<styleSheet %1><numFmts>%2</numFmts><cellXfs>%3"
                                           "</cellXfs></styleSheet>")
                                .arg(ns, numFmts, cellXfs)
                                .toUtf8()};
    return makeZip(entries);
}
