// Feeds arbitrary bytes to ContainerWidget::restoreState, both as a whole
// state and framed as the hierarchy entry so that the inner decoder is
// reached without the fuzzer having to find a valid header first.
// Seeds: fuzz/corpus/docking. Run with LSAN_OPTIONS=suppressions=fuzz/lsan.supp
// (fontconfig keeps its start-up allocations).

#include <QApplication>
#include <QLabel>

#include "containerwidget.h"
#include "statewriter.h"

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&)
{}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static int argc = 1;
    static char name[] = "fuzz_docking";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quiet);
    new QApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));

    ads::ContainerWidget container;
    QList<ads::SectionContent::RefPtr> contents;
    for (const char* n : {"a", "b", "c", "f"}) {
        contents << ads::SectionContent::newSectionContent(QString::fromLatin1(n), &container, new QLabel(n),
                                                           new QLabel(n));
        container.addSectionContent(contents.last());
    }
    container.restoreState(bytes);

    ads::StateWriter writer;
    writer.writeEntry(ads::StateIndexEntry::HierarchyEntry, bytes);
    container.restoreState(writer.toByteArray());
    container.saveState();
    // Emptied sections are freed later; without an event loop that means here.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
