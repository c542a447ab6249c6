#include "kucharttoolbar.h"

#include "kuiconmanager.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QToolButton>
#include <QVector>

#include <functional>

kuChartToolBar::kuChartToolBar(QWidget* parent) : QToolBar(parent)
{
    setObjectName(QStringLiteral("kuCharttoolBar"));
    if (parent)
        parent->installEventFilter(this);

    QToolButton* properties = createToolButton(QStringLiteral("kuButtonChartProperties"),
                                               QStringLiteral("chart.properties.png"), tr("Свойства графика"));
    QToolButton* print = createToolButton(QStringLiteral("kuButtonChartPrint"), QStringLiteral("chart.print.png"),
                                          tr("Сохранить график"));
    m_chartTypeButton =
            createToolButton(QStringLiteral("kuButtonChartType"), QStringLiteral("chart.type.candles.png"), QString());
    m_timeFrameButton = createToolButton(QStringLiteral("kuButtonChartTimeframe"),
                                         QStringLiteral("chart.type.candles.png"), QString());
    QToolButton* ta =
            createToolButton(QStringLiteral("kuButtonChartTA"), QStringLiteral("chart.ta.png"), tr("Тех. анализ"));
    QToolButton* draw =
            createToolButton(QStringLiteral("kuButtonChartDraw"), QStringLiteral("chart.zoom.in.png"), QString());
    QToolButton* fibo =
            createToolButton(QStringLiteral("kuButtonChartFibonacci"), QStringLiteral("chart.ta.png"), QString());
    QToolButton* showHide =
            createToolButton(QStringLiteral("kuButtonShowHideDrawings"), QStringLiteral("chart.show.drawing.png"),
                             tr("Скрыть/Показать нарисованные объекты"));
    showHide->setCheckable(true);
    QToolButton* trash = createToolButton(QStringLiteral("kuButtonChartTrash"), QStringLiteral("chart.trash.png"),
                                          tr("Удалить все объекты"));

    auto style = [this](int code) { return [this, code] { emit signal_onChangeChartStyle(code); }; };
    fillMenu(m_chartTypeButton,
             {{QT_TR_NOOP("Японские свечи"), QT_TR_NOOP("График в виде японских свечей"), "chart.type.candles.png", 200,
               style(200)},
              {QT_TR_NOOP("Бары"), QT_TR_NOOP("График в виде баров"), "chart.type.bars.png", 201, style(201)},
              {QT_TR_NOOP("Линия"), QT_TR_NOOP("График в виде линий"), "chart.type.line.png", 202, style(202)}});
    auto frame = [this](int minutes) { return [this, minutes] { emit signal_onChangeTimeFrame(minutes); }; };
    fillMenu(m_timeFrameButton, {{QT_TR_NOOP("1 минута"), nullptr, "chart.tick.1m.png", 1, frame(1)},
                                 {QT_TR_NOOP("5 минут"), nullptr, "chart.tick.5m.png", 5, frame(5)},
                                 {QT_TR_NOOP("10 минут"), nullptr, "chart.tick.10m.png", 10, frame(10)},
                                 {QT_TR_NOOP("15 минут"), nullptr, "chart.tick.15m.png", 15, frame(15)},
                                 {QT_TR_NOOP("30 минут"), nullptr, "chart.tick.30m.png", 30, frame(30)},
                                 {QT_TR_NOOP("час"), nullptr, "chart.tick.1h.png", 60, frame(60)},
                                 {QT_TR_NOOP("день"), nullptr, "chart.tick.1d.png", 1440, frame(1440)}});
    auto line = [this](kuChartObjectType type) { return [this, type] { emit signal_onDrawLines(type); }; };
    fillMenu(draw, {{QT_TR_NOOP("Горизонтальная линия"), nullptr, "chart.draw.hline.png", 0, line(otHorizontalLine)},
                    {QT_TR_NOOP("Вертикальная линия"), nullptr, "chart.draw.vline.png", 0, line(otVerticalLine)},
                    {QT_TR_NOOP("Линия тренда"), nullptr, "chart.draw.trendline.png", 0, line(otTrendLine)},
                    {QT_TR_NOOP("Метка"), nullptr, "chart.draw.label.png", 0,
                     [this] { emit signal_createTextObject(otText); }}});
    auto fib = [this](kuChartObjectType type) { return [this, type] { emit signal_onDrawFibo(type); }; };
    fillMenu(fibo, {{QT_TR_NOOP("Коррекция по Фибоначчи"), nullptr, "chart.fibo.png", 0, fib(otFibo)},
                    {QT_TR_NOOP("Окружности по Фибоначчи"), nullptr, "chart.fibo.circle.png", 0, fib(otFiboArcs)},
                    {QT_TR_NOOP("Каналы по Фибоначчи"), nullptr, "chart.fibo.chanel.png", 0, fib(otFiboChannel)}});

    addWidget(properties);
    addWidget(print);
    for (QToolButton* button : {m_chartTypeButton, m_timeFrameButton, ta, draw, fibo, showHide, trash}) {
        addSeparator();
        addWidget(button);
    }
    addSeparator();

    connect(
            properties, &QToolButton::clicked, this, [this] { emit signal_onClickPropertie(1, QString()); },
            Qt::DirectConnection);
    connect(
            print, &QToolButton::clicked, this, [this] { emit signal_onClickPrint(); }, Qt::DirectConnection);
    connect(
            ta, &QToolButton::clicked, this, [this] { emit signal_onClickIndicators(); }, Qt::DirectConnection);
    connect(
            showHide, &QToolButton::clicked, this,
            [this, showHide](bool checked) {
                showHide->setIcon(kuIconManager::icon(checked ? QStringLiteral("chart.hide.drawing.png")
                                                              : QStringLiteral("chart.show.drawing.png")));
                emit signal_onShowHideDrawing(checked);
            },
            Qt::DirectConnection);
    connect(
            trash, &QToolButton::clicked, this,
            [this, showHide] {
                showHide->setIcon(kuIconManager::icon(QStringLiteral("chart.show.drawing.png")));
                emit signal_onDeleteAllObjects();
            },
            Qt::DirectConnection);
}

kuChartToolBar::~kuChartToolBar()
{
    delete m_chartTypeButton;
    delete m_timeFrameButton;
}

QToolButton* kuChartToolBar::createToolButton(const QString& name, const QString& icon, const QString& toolTip)
{
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setIcon(kuIconManager::icon(icon));
    // The menu part of a split button takes no colour from a bare declaration and is painted black.
    button->setStyleSheet(QStringLiteral("QToolButton { background: transparent } "
                                         "QToolButton::menu-button { background: transparent; border: none }"));
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip(toolTip);
    return button;
}

void kuChartToolBar::fillMenu(QToolButton* button, const QVector<Entry>& entries)
{
    auto* menu = new QMenu(this);
    for (const Entry& entry : entries) {
        auto* action = new QAction(tr(entry.text), menu);
        action->setToolTip(entry.toolTip ? tr(entry.toolTip) : tr(entry.text));
        action->setIcon(kuIconManager::icon(QString::fromLatin1(entry.icon)));
        if (entry.data != 0)
            action->setData(entry.data);
        menu->addAction(action);
        connect(action, &QAction::triggered, this, entry.emitter, Qt::DirectConnection);
    }
    button->setMenu(menu);
    button->setPopupMode(QToolButton::MenuButtonPopup);
    button->setDefaultAction(menu->actions().first());
    // The entry chosen last is what a click on the button's main part repeats. The menu's
    // own signal also covers entries triggered while the menu is not popped up by the button.
    connect(menu, &QMenu::triggered, button, &QToolButton::setDefaultAction, Qt::DirectConnection);
}

void kuChartToolBar::selectMenuAction(QToolButton* button, int value)
{
    if (!button || !button->menu())
        return;
    for (QAction* action : button->menu()->actions()) {
        if (action->data() == QVariant(value)) {
            button->setDefaultAction(action);
            return;
        }
    }
}

void kuChartToolBar::setChartType(int type)
{
    selectMenuAction(m_chartTypeButton, type);
}

void kuChartToolBar::setChartTimeFrame(int type)
{
    selectMenuAction(m_timeFrameButton, type);
}

void kuChartToolBar::collapseExtension()
{
    // Qt's toolbar offers no call for it: its arrow button, checked while unfolded, folds it.
    auto* arrow = findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"), Qt::FindDirectChildrenOnly);
    if (arrow && arrow->isCheckable() && arrow->isChecked())
        arrow->click();
}

void kuChartToolBar::watchWindow()
{
    QWidget* top = window();
    if (top == m_watchedWindow)
        return;
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    m_watchedWindow = top != this ? top : nullptr;
    if (m_watchedWindow)
        m_watchedWindow->installEventFilter(this);
}

void kuChartToolBar::showEvent(QShowEvent* event)
{
    // Shown again after the chart went to another window.
    watchWindow();
    QToolBar::showEvent(event);
}

bool kuChartToolBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() || watched == m_watchedWindow) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::ParentChange:
        case QEvent::Hide:
            collapseExtension();
            break;
        default:
            break;
        }
        if (watched == parent() && event->type() == QEvent::ParentChange)
            watchWindow();
    }
    return QToolBar::eventFilter(watched, event);
}
