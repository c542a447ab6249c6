#include "kuguidepdf.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHash>
#include <QImageReader>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>

#include <memory>

namespace {

// Lengths inside the document (pictures, margins, borders) are pixels at this density;
// the layout scales them to the PDF's resolution.
constexpr qreal documentDpi = 96;
constexpr qreal millimetresPerInch = 25.4;
const QMarginsF pageMargins(20, 15, 18, 12); // mm: left, top, right, bottom (the page number sits above it)
constexpr qreal footerHeightMm = 8;
const QString contentsTitle = QStringLiteral("Содержание");
// Stands where the contents list goes.
const QString contentsMark = QStringLiteral("@@velmoran-contents@@");
// Each pass adds one page break; a guide needing more than this is laid out as it stands.
constexpr int maxLayoutPasses = 200;

bool onlyPicture(const QTextBlock& block)
{
    return block.text().trimmed() == QString(QChar::ObjectReplacementCharacter);
}

// The contents heading and its mark go before the first chapter ("## " outside code).
QString withContents(const QString& markdown)
{
    QStringList lines = markdown.split(QLatin1Char('\n'));
    bool inCode = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString trimmed = lines.at(i).trimmed();
        if (trimmed.startsWith(QLatin1String("```")) || trimmed.startsWith(QLatin1String("~~~")))
            inCode = !inCode;
        if (!inCode && lines.at(i).startsWith(QLatin1String("## "))) {
            lines.insert(i, QStringLiteral("## %1\n\n%2\n").arg(contentsTitle, contentsMark));
            break;
        }
    }
    return lines.join(QLatin1Char('\n'));
}

// Code in the monospaced face of the body's family; headings with room above them; the
// line under a picture is its caption, centred.
void styleText(QTextDocument& doc)
{
    const QString mono = QString::fromLatin1(kuGuidePdf::fontFamily()) + QLatin1String(" Mono");
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QTextCursor cursor(block);
        QTextBlockFormat format = block.blockFormat();
        const int level = format.headingLevel();
        if (level > 0) {
            format.setTopMargin(level <= 2 ? 14 : 9);
            format.setBottomMargin(5);
            cursor.setBlockFormat(format);
        } else if (block.previous().isValid() && onlyPicture(block.previous()) && !onlyPicture(block)) {
            format.setAlignment(Qt::AlignHCenter);
            format.setBottomMargin(10);
            cursor.setBlockFormat(format);
        }
        QVector<QPair<int, int>> code;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            // The Markdown reader names a family only for code, and the one it takes (the
            // platform's fixed font) is no monospaced face under the offscreen platform.
            if (fragment.isValid() && fragment.charFormat().hasProperty(QTextFormat::FontFamily))
                code.append({fragment.position(), fragment.length()});
        }
        QTextCharFormat monospaced;
        monospaced.setFontFamily(mono);
        for (const auto& range : qAsConst(code)) {
            QTextCursor span(&doc);
            span.setPosition(range.first);
            span.setPosition(range.first + range.second, QTextCursor::KeepAnchor);
            span.mergeCharFormat(monospaced);
        }
    }
}

void styleTables(QTextFrame* frame)
{
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) {
            QTextTableFormat format = table->format();
            format.setBorder(0.75);
            format.setBorderBrush(QColor(0x9a, 0x9f, 0xa6));
            format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            format.setCellSpacing(0);
            format.setCellPadding(4);
            format.setHeaderRowCount(1); // repeated on the next page
            format.setTopMargin(4);
            format.setBottomMargin(8);
            table->setFormat(format);
            for (int column = 0; column < table->columns(); ++column) {
                QTextTableCell cell = table->cellAt(0, column);
                QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
                cellFormat.setBackground(QColor(0xe6, 0xea, 0xef));
                cell.setFormat(cellFormat);
            }
        }
        styleTables(child);
    }
}

int pageOf(const QTextDocument& doc, const QTextBlock& block)
{
    return int(doc.documentLayout()->blockBoundingRect(block).top() / doc.pageSize().height());
}

// A heading, or a line that leads into what follows ("Столбцы:"), belongs on the page of
// its next line.
bool keptWithNext(const QTextBlock& block)
{
    if (block.blockFormat().headingLevel() > 0)
        return true;
    // A table row is kept whole by the layout already.
    return block.text().trimmed().endsWith(QLatin1Char(':')) && !QTextCursor(block).currentTable();
}

// What differs between two layouts of the guide: the blocks kept with their next line
// that open a page, and the page numbers written in the contents.
struct Plan
{
    QSet<int> pageBreaks; // ordinals among the blocks kept with their next line
    QStringList chapterPages;
};

// Makes the whole document anew for a plan. Qt's layout loses blocks when a laid-out
// document is edited, so a document is never changed after its layout has begun.
class Builder
{
public:
    Builder(const QString& markdown, const QDir& folder, QPdfWriter* writer, const QSizeF& body)
        : m_markdown(withContents(markdown)), m_folder(folder), m_writer(writer), m_body(body),
          m_textWidth(body.width() * documentDpi / writer->resolution())
    {}

    QString error;
    QStringList pictures;         // every picture read, in order of first use
    QVector<QTextBlock> chapters; // of the last document built
    QVector<QTextBlock> keepers;  // of the last document built: the blocks kept with their next line

    std::unique_ptr<QTextDocument> build(const Plan& plan)
    {
        auto doc = std::make_unique<QTextDocument>();
        QFont font(QString::fromLatin1(kuGuidePdf::fontFamily()));
        font.setPointSizeF(kuGuidePdf::bodyPointSize);
        doc->setDefaultFont(font); // before the Markdown: paragraph spacing follows it
        doc->setDocumentMargin(0);
        doc->setMarkdown(m_markdown, QTextDocument::MarkdownDialectGitHub);
        if (!placePictures(*doc))
            return nullptr;
        styleText(*doc);
        styleTables(doc->rootFrame());
        insertContents(*doc, plan.chapterPages);
        keepers.clear();
        for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
            if (keptWithNext(block))
                keepers.append(block);
        }
        for (int ordinal : plan.pageBreaks)
            breakBefore(keepers.value(ordinal));
        doc->documentLayout()->setPaintDevice(m_writer);
        doc->setPageSize(m_body);
        return doc;
    }

private:
    // Every picture the text shows must be a readable image file beside the source; each
    // is fitted to the text width and a paragraph holding only a picture is centred.
    bool placePictures(QTextDocument& doc)
    {
        struct Use
        {
            int position;
            int length;
            QTextImageFormat format;
        };
        QVector<Use> uses;
        for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                if (fragment.isValid() && fragment.charFormat().isImageFormat())
                    uses.append({fragment.position(), fragment.length(), fragment.charFormat().toImageFormat()});
            }
        }
        for (Use& use : uses) {
            const QString name = use.format.name();
            const QImage image = picture(name);
            if (image.isNull())
                return false;
            doc.addResource(QTextDocument::ImageResource, QUrl(name), image);
            const qreal scale = qMin<qreal>(1, m_textWidth / image.width());
            use.format.setWidth(image.width() * scale);
            use.format.setHeight(image.height() * scale);
            QTextCursor cursor(&doc);
            cursor.setPosition(use.position);
            cursor.setPosition(use.position + use.length, QTextCursor::KeepAnchor);
            cursor.setCharFormat(use.format);
            if (onlyPicture(cursor.block())) {
                QTextBlockFormat centred = cursor.blockFormat();
                centred.setAlignment(Qt::AlignHCenter);
                cursor.setBlockFormat(centred);
            }
        }
        return true;
    }

    QImage picture(const QString& name)
    {
        const auto known = m_images.constFind(name);
        if (known != m_images.constEnd())
            return *known;
        const QUrl url(name);
        if (name.isEmpty() || !url.isRelative() || QDir::isAbsolutePath(name)) {
            error = QStringLiteral("picture \"%1\": only files beside the guide can be shown").arg(name);
            return QImage();
        }
        const QString path = m_folder.filePath(url.path());
        if (!QFileInfo(path).isFile()) {
            error = QStringLiteral("picture not found: %1").arg(QDir::toNativeSeparators(path));
            return QImage();
        }
        QImageReader reader(path);
        const QImage image = reader.read();
        if (image.isNull()) {
            error = QStringLiteral("picture %1 cannot be read: %2")
                            .arg(QDir::toNativeSeparators(path), reader.errorString());
            return QImage();
        }
        pictures.append(path);
        m_images.insert(name, image);
        return image;
    }

    // One paragraph per chapter, its page after a right tab; the first chapter opens a page.
    void insertContents(QTextDocument& doc, const QStringList& pages)
    {
        chapters.clear();
        QTextBlock mark;
        for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
            if (!mark.isValid() && block.text() == contentsMark)
                mark = block;
            else if (mark.isValid() && block.blockFormat().headingLevel() == 2)
                chapters.append(block);
        }
        if (!mark.isValid())
            return;
        QTextBlockFormat entry;
        entry.setTabPositions({QTextOption::Tab(m_textWidth, QTextOption::RightTab)});
        entry.setBottomMargin(2);
        QTextCursor cursor(mark);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        for (int i = 0; i < chapters.size(); ++i) {
            if (i > 0)
                cursor.insertBlock();
            cursor.setBlockFormat(entry);
            cursor.insertText(chapters.at(i).text().simplified() + QLatin1Char('\t') + pages.value(i));
        }
        if (!chapters.isEmpty())
            breakBefore(chapters.first());
    }

    static void breakBefore(const QTextBlock& block)
    {
        if (!block.isValid())
            return;
        QTextCursor cursor(block);
        QTextBlockFormat format = cursor.blockFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        cursor.setBlockFormat(format);
    }

    QString m_markdown;
    QDir m_folder;
    QPdfWriter* m_writer;
    QSizeF m_body;
    qreal m_textWidth;
    QHash<QString, QImage> m_images;
};

// The first block kept with its next line that the next line would leave alone at a
// page's foot, or -1.
int leftAlone(const QTextDocument& doc, const QVector<QTextBlock>& keepers, const QSet<int>& breaks)
{
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    const qreal pageHeight = doc.pageSize().height();
    for (int ordinal = 0; ordinal < keepers.size(); ++ordinal) {
        const QTextBlock block = keepers.at(ordinal);
        const QTextBlock next = block.next();
        if (breaks.contains(ordinal) || !next.isValid())
            continue;
        const QRectF kept = layout->blockBoundingRect(block);
        const QRectF following = layout->blockBoundingRect(next);
        qreal firstLineBottom = following.bottom();
        if (next.layout() && next.layout()->lineCount() > 0)
            firstLineBottom = following.top() + next.layout()->lineAt(0).rect().bottom();
        if (int(firstLineBottom / pageHeight) > int(kept.top() / pageHeight))
            return ordinal;
    }
    return -1;
}

} // namespace

const char* kuGuidePdf::fontFamily()
{
    return "DejaVu Sans";
}

kuGuidePdf::Result kuGuidePdf::write(const QString& sourcePath, const QString& pdfPath)
{
    Result result;
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("guide source %1 cannot be read: %2")
                               .arg(QDir::toNativeSeparators(sourcePath), source.errorString());
        return result;
    }
    const QString markdown = QString::fromUtf8(source.readAll());
    result.inputs.append(QFileInfo(sourcePath).absoluteFilePath());
    if (!QFontDatabase().families().contains(QLatin1String(fontFamily()))) {
        result.error = QStringLiteral("font \"%1\" is not installed (Debian: fonts-dejavu-core)").arg(fontFamily());
        return result;
    }

    QSaveFile file(pdfPath);
    if (!QDir().mkpath(QFileInfo(pdfPath).absolutePath()) || !file.open(QIODevice::WriteOnly)) {
        result.error =
                QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(pdfPath), file.errorString());
        return result;
    }
    QPdfWriter writer(&file);
    writer.setTitle(QStringLiteral("Velmoran. Руководство пользователя"));
    writer.setCreator(QStringLiteral("Velmoran"));
    writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, pageMargins, QPageLayout::Millimeter));
    const QRect paintRect = writer.pageLayout().paintRectPixels(writer.resolution());
    const qreal footerHeight = footerHeightMm / millimetresPerInch * writer.resolution();
    const QSizeF body(paintRect.width(), paintRect.height() - footerHeight);

    // Lay out, move a heading or lead-in line left alone at a page's foot to the next page,
    // and again, until none is left alone and the contents give the pages the chapters are on.
    Builder builder(markdown, QFileInfo(sourcePath).absoluteDir(), &writer, body);
    Plan plan;
    std::unique_ptr<QTextDocument> doc;
    for (int pass = 0; pass < maxLayoutPasses; ++pass) {
        doc = builder.build(plan);
        if (!doc) {
            result.error = builder.error;
            return result;
        }
        const int alone = leftAlone(*doc, builder.keepers, plan.pageBreaks);
        if (alone >= 0) {
            plan.pageBreaks.insert(alone);
            continue;
        }
        QStringList pages;
        for (const QTextBlock& chapter : qAsConst(builder.chapters))
            pages << QString::number(pageOf(*doc, chapter) + 1);
        if (pages == plan.chapterPages)
            break;
        plan.chapterPages = pages;
    }
    result.inputs << builder.pictures;

    result.pages = doc->pageCount();
    QPainter painter;
    if (!painter.begin(&writer)) {
        result.error = QStringLiteral("%1 cannot be written").arg(QDir::toNativeSeparators(pdfPath));
        return result;
    }
    // Screenshots stay sharp: Qt would store them as JPEG otherwise.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    QFont footerFont(doc->defaultFont());
    footerFont.setPointSizeF(bodyPointSize * 0.8);
    for (int page = 0; page < result.pages; ++page) {
        if (page > 0)
            writer.newPage();
        painter.save();
        painter.translate(0, -page * body.height());
        // A line moved to the next page starts exactly at this page's foot: a page that
        // touched it would store its picture once more, unseen.
        doc->drawContents(&painter, QRectF(0, page * body.height(), body.width(), body.height() - 1));
        painter.restore();
        if (page > 0) {
            painter.setFont(footerFont);
            painter.setPen(QColor(0x60, 0x60, 0x60));
            painter.drawText(QRectF(0, body.height(), body.width(), footerHeight), Qt::AlignHCenter | Qt::AlignBottom,
                             QString::number(page + 1));
        }
    }
    painter.end();
    if (!file.commit()) {
        result.error =
                QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(pdfPath), file.errorString());
        result.pages = 0;
    }
    return result;
}
