#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The guide is read back the way a viewer reads it, with Poppler's tools.
namespace {

struct Run
{
    int code = -1;
    QString errors;
};

Run runGenerator(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(VELMORAN_GUIDE_PDF_TOOL), args);
    Run run;
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit)
        run.code = process.exitCode();
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString poppler(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

int pageCount(const QString& pdf)
{
    const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)$"), QRegularExpression::MultilineOption)
                    .match(poppler(QStringLiteral("pdfinfo"), {pdf}));
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

// One page (from 1) with its lines as laid out, or the whole text.
QString pdfText(const QString& pdf, int page = 0)
{
    QStringList args{QStringLiteral("-layout")};
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    return poppler(QStringLiteral("pdftotext"), args << pdf << QStringLiteral("-"));
}

// The encoding of each picture drawn, one entry per picture stored.
QStringList images(const QString& pdf)
{
    QStringList encodings;
    const QStringList lines = poppler(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).split('\n');
    for (const QString& line : lines) {
        const QStringList fields = line.simplified().split(' ');
        if (fields.size() > 8 && fields.at(2) == QLatin1String("image"))
            encodings << fields.at(8);
    }
    return encodings;
}

QStringList chapters(const QString& markdown)
{
    QStringList titles;
    for (const QString& line : markdown.split('\n')) {
        if (line.startsWith(QLatin1String("## ")))
            titles << line.mid(3).simplified();
    }
    return titles;
}

// Every chapter is listed in the contents with the page on which its title stands.
void checkContents(const QString& pdf, const QStringList& titles)
{
    QStringList front;
    for (int page = 1; page <= 2; ++page)
        front << pdfText(pdf, page).split('\n');
    for (const QString& title : titles) {
        const QRegularExpression entry(
                QStringLiteral("^\\s*%1\\s{2,}(\\d+)\\s*$").arg(QRegularExpression::escape(title)));
        int listed = 0;
        for (const QString& line : front) {
            const QRegularExpressionMatch match = entry.match(line);
            if (match.hasMatch())
                listed = match.captured(1).toInt();
        }
        QVERIFY2(listed > 0, qPrintable("not in the contents: " + title));
        const QStringList lines = pdfText(pdf, listed).split('\n');
        const bool opens =
                std::any_of(lines.begin(), lines.end(), [&](const QString& line) { return line.trimmed() == title; });
        QVERIFY2(opens, qPrintable(QStringLiteral("%1 is not on page %2").arg(title).arg(listed)));
    }
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_UserGuide : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void builtGuide();
    void textPicturesAndPages();
    void errors_data();
    void errors();
};

void tst_UserGuide::initTestCase()
{
    for (const char* tool : {"pdfinfo", "pdftotext", "pdfimages"})
        QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(), "poppler-utils is missing: run scripts/setup");
}

// The build wrote the guide beside the program: a PDF of several pages with every
// chapter of the source, its contents and its pictures.
void tst_UserGuide::builtGuide()
{
    const QString pdf = QStringLiteral(VELMORAN_BINARY_DIR "/bin/doc/Velmoran.pdf");
    QVERIFY2(QFile::exists(pdf), qPrintable(pdf));
    QVERIFY(readFile(pdf).startsWith("%PDF-"));
    QVERIFY(pageCount(pdf) >= 5);
    const QString source = QString::fromUtf8(readFile(QStringLiteral(VELMORAN_GUIDE_SOURCE)));
    const QString text = pdfText(pdf);
    QVERIFY(text.contains(QStringLiteral("Руководство пользователя")));
    QVERIFY(text.contains(QStringLiteral("Содержание")));
    const QStringList titles = chapters(source);
    QVERIFY(titles.size() >= 5);
    checkContents(pdf, titles);
    // Each picture stored once, and losslessly: JPEG blurs the text of a screenshot.
    const QStringList encodings = images(pdf);
    QVERIFY(!encodings.isEmpty());
    QCOMPARE(encodings.size(), source.count(QStringLiteral("![")));
    QVERIFY2(!encodings.contains(QStringLiteral("jpeg")), qPrintable(encodings.join(' ')));
}

// Cyrillic text comes out as text, the picture as an image; the contents give each
// chapter's page; no page ends on a heading; the depfile names what was read.
void tst_UserGuide::textPicturesAndPages()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QImage picture(320, 120, QImage::Format_RGB32);
    picture.fill(QColor(40, 120, 200));
    QVERIFY(picture.save(dir.filePath("окно.png")));
    QString markdown = QStringLiteral("# Проверка\n\nСъешь же ещё этих мягких французских булок.\n\n"
                                      "![Окно](окно.png)\n\n*Рисунок: окно*\n\n");
    QStringList titles;
    for (int chapter = 1; chapter <= 4; ++chapter) {
        titles << QStringLiteral("Раздел %1").arg(chapter);
        markdown += QStringLiteral("## Раздел %1\n\n").arg(chapter);
        for (int section = 1; section <= 9; ++section) {
            markdown += QStringLiteral("### Подраздел %1.%2\n\n").arg(chapter).arg(section);
            const int sentences = 2 + (chapter * 7 + section * 5) % 9;
            for (int i = 0; i < sentences; ++i)
                markdown += QStringLiteral("Цена последней сделки по инструменту меняется в течение дня. ");
            markdown += QStringLiteral("\n\n");
        }
    }
    writeFile(dir.filePath("guide.md"), markdown.toUtf8());
    const QString pdf = dir.filePath("out/guide.pdf");
    const QString depfile = dir.filePath("guide.d");

    const Run run = runGenerator({dir.filePath("guide.md"), pdf, depfile});
    QVERIFY2(run.code == 0, qPrintable(run.errors));
    QVERIFY(pdfText(pdf).contains(QStringLiteral("Съешь же ещё этих мягких французских булок.")));
    QCOMPARE(images(pdf), QStringList{QStringLiteral("image")});
    const int pages = pageCount(pdf);
    QVERIFY(pages >= 4);
    checkContents(pdf, titles);
    for (int page = 2; page <= pages; ++page) {
        QStringList lines = pdfText(pdf, page).split('\n');
        lines.erase(
                std::remove_if(lines.begin(), lines.end(),
                               [](const QString& line) {
                                   return line.trimmed().isEmpty() ||
                                          QRegularExpression(QStringLiteral("^\\d+$")).match(line.trimmed()).hasMatch();
                               }),
                lines.end());
        QVERIFY(!lines.isEmpty());
        QVERIFY2(!lines.last().trimmed().contains(QRegularExpression(QStringLiteral("^(Под)?[рР]аздел"))),
                 qPrintable(QStringLiteral("page %1 ends on a heading: %2").arg(page).arg(lines.last())));
    }
    const QString dependencies = QString::fromUtf8(readFile(depfile));
    QVERIFY(dependencies.startsWith(pdf + ":"));
    QVERIFY(dependencies.contains(dir.filePath("guide.md")));
    QVERIFY(dependencies.contains(dir.filePath("окно.png")));
}

void tst_UserGuide::errors_data()
{
    QTest::addColumn<QString>("markdown"); // null: no source at all
    QTest::addColumn<QString>("message");
    QTest::newRow("no source") << QString() << "guide source";
    QTest::newRow("missing picture") << "# Т\n\n![Окно](нет.png)\n"
                                     << "picture not found: ";
    QTest::newRow("not a picture") << "# Т\n\n![Окно](broken.png)\n"
                                   << "cannot be read";
    QTest::newRow("remote picture") << "# Т\n\n![Окно](https://example.org/a.png)\n"
                                    << "only files beside the guide";
}

// A build with a broken guide stops with the reason and keeps the last good PDF.
void tst_UserGuide::errors()
{
    QFETCH(QString, markdown);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString source = dir.filePath("guide.md");
    if (!markdown.isNull())
        writeFile(source, markdown.toUtf8());
    writeFile(dir.filePath("broken.png"), "not an image");
    const QString pdf = dir.filePath("guide.pdf");
    writeFile(pdf, "last good guide");

    const Run run = runGenerator({source, pdf});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.errors.startsWith("velmoran-guide-pdf: error: ") && run.errors.contains(message),
             qPrintable(run.errors));
    if (markdown.isNull())
        QVERIFY(run.errors.contains(source));
    else if (markdown.contains("нет.png"))
        QVERIFY(run.errors.contains(dir.filePath("нет.png")));
    QCOMPARE(readFile(pdf), QByteArray("last good guide"));
}

QTEST_GUILESS_MAIN(tst_UserGuide)
#include "tst_userguide.moc"
