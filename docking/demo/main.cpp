// Docks a few labelled contents so the layout can be dragged about by hand.
// --overlay shows both drop overlays at start, the cursor on the first
// section's right icon; --grab FILE then writes the composed picture and
// quits (translucent windows show black on an X server without compositing).
// --state FILE restores the layout from FILE at start and saves it there at exit.

#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QPainter>
#include <QSaveFile>
#include <QTimer>

#include "containerwidget.h"
#include "dropoverlay.h"
#include "dropoverlaycross.h"
#include "sectioncontent.h"
#include "sectionwidget.h"

namespace {

ads::SectionContent::RefPtr makeContent(ads::ContainerWidget* c, const QString& name, const QColor& colour)
{
    auto* title = new QLabel(name);
    auto* body = new QLabel(QStringLiteral("Окно «%1»").arg(name));
    body->setAlignment(Qt::AlignCenter);
    body->setAutoFillBackground(true);
    QPalette pal = body->palette();
    pal.setColor(QPalette::Window, colour);
    body->setPalette(pal);
    ads::SectionContent::RefPtr sc = ads::SectionContent::newSectionContent(name, c, title, body);
    sc->setTitle(name);
    return sc;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The program's theme does this through the same object names and property.
    app.setStyleSheet(
            QStringLiteral("ads--SectionWidget { border: 1px solid black; }"
                           "ads--SectionContentWidget { border-top: 1px solid palette(dark); }"
                           "ads--SectionTitleWidget { padding: 2px 5px 0 2px; border: none; }"
                           "ads--SectionTitleWidget[activeTab=\"true\"] { margin-top: 1px; border: 1px solid gray;"
                           " border-bottom: none; border-top-left-radius: 3px; border-top-right-radius: 3px;"
                           " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #F0F8CD, stop:1 #FBE89B); }"));
    const QStringList args = app.arguments();

    QMainWindow window;
    auto* container = new ads::ContainerWidget();
    window.setCentralWidget(container);
    window.resize(1000, 680);

    auto quotes = makeContent(container, QStringLiteral("Котировки"), QColor("#e8f0fe"));
    auto book = makeContent(container, QStringLiteral("Стакан"), QColor("#fdf1e1"));
    auto trades = makeContent(container, QStringLiteral("Сделки"), QColor("#e6f4ea"));
    auto orders = makeContent(container, QStringLiteral("Заявки"), QColor("#fce8e6"));
    auto chart = makeContent(container, QStringLiteral("График"), QColor("#f3e8fd"));

    ads::SectionWidget* left = container->addSectionContent(quotes);
    ads::SectionWidget* right = container->addSectionContent(book, left, ads::RightDropArea);
    container->addSectionContent(trades, right, ads::CenterDropArea);
    container->addSectionContent(chart, left, ads::CenterDropArea);
    container->addSectionContent(orders, nullptr, ads::BottomDropArea);

    const int stateAt = args.indexOf(QStringLiteral("--state"));
    const QString statePath = stateAt >= 0 ? args.value(stateAt + 1) : QString();
    if (!statePath.isEmpty()) {
        QFile file(statePath);
        if (file.open(QIODevice::ReadOnly))
            container->restoreState(file.readAll());
    }

    window.show();

    const int grabAt = args.indexOf(QStringLiteral("--grab"));
    const QString grabPath = grabAt >= 0 ? args.value(grabAt + 1) : QString();
    if (args.contains(QStringLiteral("--overlay"))) {
        QTimer::singleShot(300, container, [container, grabPath]() {
            ads::SectionWidget* first = container->sections().value(0);
            if (!first)
                return;
            QPointer<ads::DropOverlay> outer = container->containerDropOverlay();
            QPointer<ads::DropOverlay> inner = container->sectionDropOverlay();
            outer->setAllowedAreas(ads::DropAreas(ads::OuterDropAreas));
            outer->showDropOverlay(container);
            inner->setAllowedAreas(ads::DropAreas(ads::AllDropAreas));
            inner->showDropOverlay(first);
            inner->cross()->layout()->activate();
            QWidget* icon = inner->cross()->areaWidget(ads::RightDropArea);
            QCursor::setPos(icon->mapToGlobal(icon->rect().center()));
            inner->showDropOverlay(first);
            if (grabPath.isEmpty())
                return;
            QPixmap picture = container->window()->grab();
            QPainter p(&picture);
            const QPoint origin = container->window()->mapToGlobal(QPoint());
            for (QWidget* w : {static_cast<QWidget*>(outer.data()), static_cast<QWidget*>(outer->cross()),
                               static_cast<QWidget*>(inner.data()), static_cast<QWidget*>(inner->cross())})
                p.drawPixmap(w->pos() - origin, w->grab());
            p.end();
            picture.save(grabPath);
            qApp->quit();
        });
    }

    const int result = app.exec();
    if (!statePath.isEmpty()) {
        QSaveFile file(statePath);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(container->saveState());
            file.commit();
        }
    }
    return result;
}
