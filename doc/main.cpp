// Build step: writes bin/doc/Velmoran.pdf from the guide's Markdown and pictures.
// velmoran-guide-pdf SOURCE.md OUTPUT.pdf [DEPFILE]

#include "kuguidepdf.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "velmoran-guide-pdf: error: %s\n", qPrintable(message));
    return 1;
}

// The offscreen platform's note on a missing runtime folder is noise in a build log.
void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

QString depfileEscaped(QString path)
{
    return path.replace(QLatin1Char(' '), QLatin1String("\\ "));
}

} // namespace

int main(int argc, char** argv)
{
    // A build machine has no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietHandler);
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2 || args.size() > 3)
        return fail(QStringLiteral("usage: velmoran-guide-pdf SOURCE.md OUTPUT.pdf [DEPFILE]"));

    const kuGuidePdf::Result result = kuGuidePdf::write(args.at(0), args.at(1));
    if (!result.error.isEmpty())
        return fail(result.error);

    // The pictures the text names are what the PDF depends on, besides the text itself.
    if (args.size() == 3) {
        QSaveFile depfile(args.at(2));
        if (!depfile.open(QIODevice::WriteOnly | QIODevice::Text))
            return fail(QStringLiteral("%1 cannot be written").arg(args.at(2)));
        QTextStream out(&depfile);
        out.setCodec("UTF-8");
        out << depfileEscaped(QDir::fromNativeSeparators(args.at(1))) << ":";
        for (const QString& input : result.inputs)
            out << " \\\n  " << depfileEscaped(input);
        out << "\n";
        out.flush();
        if (!depfile.commit())
            return fail(QStringLiteral("%1 cannot be written").arg(args.at(2)));
    }
    return 0;
}
