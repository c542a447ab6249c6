#pragma once

#include <QString>
#include <QStringList>

// Lays out the user guide's Markdown (pictures beside it, paths relative to it) on
// A4 pages and writes them as a PDF: a contents list before the first chapter,
// headings and lead-in lines kept with what follows, pictures fitted to the text width, page numbers.
// Needs a QGuiApplication (the offscreen platform is enough).
class kuGuidePdf
{
public:
    struct Result
    {
        QString error;      // empty when the PDF was written
        QStringList inputs; // the source and every picture read, for the build's dependencies
        int pages = 0;
    };

    // Text size of the body in points; headings and tables follow it.
    static constexpr qreal bodyPointSize = 10.5;
    // The family the guide is set in: it has the Cyrillic glyphs, and scripts/setup installs it.
    static const char* fontFamily();

    // Writes pdfPath only when everything succeeded (an old file stays otherwise).
    static Result write(const QString& sourcePath, const QString& pdfPath);
};
