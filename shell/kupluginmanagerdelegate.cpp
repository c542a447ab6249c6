#include "kupluginmanagerdelegate.h"

#include "kuiconmanager.h"

#include <QDebug>

#include <QImageReader>

#include "kupluginmanageritem.h"
#include "kupluginmanagermodel.h"
#include <QBuffer>

#include <QApplication>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionProgressBar>

#include <cmath>

namespace {
constexpr uint messageFlags = prInstallPending | prRemovePending | prUpdatePending | prDisablePending | prEnablePending;
constexpr int cardHeight = 64;
constexpr int messageHeight = 28;
const QColor textPen(77, 77, 77);
} // namespace

kuPluginManagerDelegate::kuPluginManagerDelegate(QObject* parent) : QItemDelegate(parent)
{
    const QFontMetrics metrics(QApplication::font());
    for (int kind = bkInstall; kind <= bkDisable; ++kind) {
        const QRect r = metrics.boundingRect(buttonText(kind)).adjusted(-20, -5, 20, 5);
        if (r.width() >= m_buttonRect.width())
            m_buttonRect = r;
    }
    m_buttonRect.moveTopLeft(QPoint(0, 0));
    m_defaultIcon = kuIconManager::pixmap(QStringLiteral("plug.png")).toImage();
}

QString kuPluginManagerDelegate::buttonText(int kind)
{
    switch (kind) {
    case bkInstall:
        return tr("Установить");
    case bkRemove:
        return tr("Удалить");
    case bkUpdate:
        return tr("Обновить");
    case bkEnable:
        return tr("Включить");
    case bkDisable:
        return tr("Выключить");
    case bkCancel:
        return tr("Отмена");
    case bkRestart:
        return tr("Перезапустить");
    default:
        return QStringLiteral("Unknown");
    }
}

QString kuPluginManagerDelegate::versionText(int version)
{
    if (version <= 10000000)
        return QString();
    return QStringLiteral("ver. %1.%2.%3")
            .arg(version / 10000000)
            .arg((version % 10000000) / 100000, 2, 10, QLatin1Char('0'))
            .arg((version % 100000) / 1000, 2, 10, QLatin1Char('0'));
}

bool kuPluginManagerDelegate::hasMessage(uint flags)
{
    // A failed download is shown as well, so that the user sees it and can cancel it.
    return flags & (messageFlags | prFailed);
}

QString kuPluginManagerDelegate::messageText(uint flags, const QString& title)
{
    QString text;
    if (flags & prInstallPending)
        text = tr("Модуль '%1' будет установлен после перезапуска приложения");
    if (flags & prRemovePending)
        text = tr("Модуль '%1' будет удален после перезапуска приложения");
    if (flags & prUpdatePending)
        text = tr("Модуль '%1' будет обновлен после перезапуска приложения");
    if (flags & prDisablePending)
        text = tr("Модуль '%1' будет отключен после перезапуска приложения");
    if (flags & prEnablePending)
        text = tr("Модуль '%1' станет доступен после перезапуска приложения");
    if (flags & prFailed)
        text = tr("Не удалось установить модуль '%1'");
    return text.isEmpty() ? text : text.arg(title);
}

QVector<int> kuPluginManagerDelegate::buttonKinds(uint flags, bool installed, bool enabled, bool noRemove)
{
    if (hasMessage(flags) || (flags & prDownloading))
        return {bkCancel};
    if (!installed)
        return {bkInstall};
    QVector<int> kinds;
    if (flags & prUpdateAvailable)
        kinds << bkUpdate;
    if (flags & prSwitchable)
        kinds << (enabled ? bkDisable : bkEnable);
    if (!noRemove)
        kinds << bkRemove;
    return kinds;
}

QVector<int> kuPluginManagerDelegate::buttonKinds(const QModelIndex& index)
{
    return buttonKinds(uint(index.flags()), index.data(kuPluginManagerModel::InstalledRole).toBool(),
                       index.data(kuPluginManagerModel::EnabledRole).toBool(),
                       index.data(kuPluginManagerModel::ReservedRole).toBool());
}

int kuPluginManagerDelegate::areaWidth(int count, bool downloading) const
{
    if (downloading)
        return m_buttonRect.width() + 4;
    return count > 0 ? count * m_buttonRect.width() + 5 * (count - 1) + 4 : 4;
}

QVector<QRect> kuPluginManagerDelegate::buttonRects(const QRect& row, int count, bool downloading) const
{
    QVector<QRect> rects;
    QRect r = m_buttonRect.translated(row.right() - areaWidth(count, downloading),
                                      row.bottom() - m_buttonRect.height() - 5);
    for (int i = 0; i < count; ++i) {
        rects << r;
        r.translate(m_buttonRect.width() + 5, 0);
    }
    return rects;
}

QSize kuPluginManagerDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    Q_UNUSED(option)
    if (!index.model() || !index.parent().isValid())
        return QSize(-1, 28);
    return QSize(-1, hasMessage(uint(index.flags())) ? cardHeight + messageHeight : cardHeight);
}

QColor kuPluginManagerDelegate::bandColour(uint flags)
{
    QColor colour;
    if (flags & (prInstallPending | prUpdatePending))
        colour = QColor(76, 187, 23);
    if (flags & (prEnablePending | prDisablePending | prRemovePending))
        colour = QColor(186, 164, 22);
    if (flags & prFailed)
        colour = QColor(243, 20, 20);
    return colour;
}

void kuPluginManagerDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const
{
    painter->save();
    if (index.parent().isValid()) {
        const uint flags = uint(index.flags());
        if (hasMessage(flags)) {
            paintBand(painter, option, flags);
            paintMessage(painter, option, index, flags);
        }
        paintCard(painter, option, index, flags);
        painter->restore();
        painter->save();
        paintButtons(painter, option, index, flags);
    } else {
        paintGroup(painter, option, index);
    }
    painter->restore();
    painter->save();
    painter->setPen(QColor(215, 215, 215));
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->restore();
}

void kuPluginManagerDelegate::paintBand(QPainter* painter, const QStyleOptionViewItem& option, uint flags) const
{
    const int w = option.rect.width();
    const int h = option.rect.height();
    painter->save();
    painter->setClipRect(option.rect);
    painter->setOpacity(0.2);
    QColor colour = bandColour(flags);
    colour.setAlpha(200);
    painter->setBrush(colour);
    painter->setPen(Qt::NoPen);
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->translate(option.rect.topLeft());
    painter->save();
    painter->translate(0, -50);
    for (int i = 0; i < w / 100 + 2; ++i) {
        painter->rotate(30);
        painter->drawRect(0, 0, 40, int(1.5 * h));
        painter->rotate(-30);
        painter->translate(100, 0);
    }
    painter->restore();
    painter->setOpacity(1.0);
    QLinearGradient gradient(0, h / 5, 0, 3 * (h / 5));
    gradient.setColorAt(0, QColor(255, 255, 255, 60));
    gradient.setColorAt(1, QColor(255, 255, 255));
    gradient.setSpread(QGradient::PadSpread);
    painter->fillRect(QRect(0, 0, w, h), gradient);
    painter->restore();
}

void kuPluginManagerDelegate::paintMessage(QPainter* painter, const QStyleOptionViewItem& option,
                                           const QModelIndex& index, uint flags) const
{
    const int w = option.rect.width();
    painter->save();
    painter->translate(option.rect.topLeft());
    painter->setClipRect(QRect(0, 0, w, messageHeight));
    painter->translate(64, 0);
    QFont font = option.font;
    font.setWeight(QFont::Bold);
    painter->setFont(font);
    painter->setPen(bandColour(flags).darker(125));
    const QString text = messageText(flags, index.data(Qt::DisplayRole).toString());
    const QRect bounds =
            painter->boundingRect(QRect(0, 0, w - 64, messageHeight), Qt::TextWordWrap | Qt::AlignVCenter, text);
    painter->drawText(QRect(0, 0, bounds.width(), messageHeight), Qt::TextWordWrap | Qt::AlignBottom, text);
    painter->restore();
}

void kuPluginManagerDelegate::paintCard(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                                        uint flags) const
{
    const int w = option.rect.width();
    painter->setClipRect(option.rect);
    painter->setPen(textPen);
    painter->translate(option.rect.topLeft());
    painter->translate(0, sizeHint(option, index).height() - cardHeight);
    painter->translate(16, 16);
    const QVariant decoration = index.data(Qt::DecorationRole);
    QImage image = decoration.canConvert<QImage>() ? decoration.value<QImage>() : decoration.value<QPixmap>().toImage();
    if (image.isNull())
        image = m_defaultIcon;
    // Whatever size it came in, it fills the slot and no more.
    const QSize drawn = image.size().scaled(iconSlot, iconSlot, Qt::KeepAspectRatio);
    painter->drawImage(QRect(QPoint(0, 0), drawn), image);

    painter->translate(48, 0);
    QFont titleFont = option.font;
    titleFont.setPointSize(10);
    titleFont.setWeight(QFont::Bold);
    painter->setFont(titleFont);
    const QString title = index.data(Qt::DisplayRole).toString();
    painter->drawText(QPoint(0, painter->boundingRect(QRect(), 0, title).height() - 5), title);
    painter->setFont(option.font);

    const QString version = versionText(index.data(kuPluginManagerModel::VersionRole).toInt());
    if (!version.isEmpty()) {
        const QRect b = painter->boundingRect(QRect(), Qt::TextSingleLine, version);
        painter->drawText(QRect(w - b.width() - 85, 0, b.width() + 5, b.height()), Qt::TextSingleLine, version);
    }
    const double price = index.data(kuPluginManagerModel::PriceRole).toDouble();
    if (price > 0) {
        const QString text = QObject::tr("%1 руб/мес").arg(price, 0, 'f', 2);
        const QRect b = painter->boundingRect(QRect(), Qt::TextSingleLine, text);
        painter->save();
        painter->setPen(QColor(243, 20, 20));
        painter->drawText(QRect(w - b.width() - 75, -15, b.width(), b.height()), Qt::TextSingleLine, text);
        painter->restore();
    }

    const bool downloading = flags & prDownloading;
    const int area = downloading ? m_buttonRect.width() + 109 : areaWidth(buttonKinds(index).size(), false);
    const QString description = painter->fontMetrics().elidedText(
            index.data(kuPluginManagerModel::DescriptionRole).toString(), Qt::ElideRight, w - area - 78);
    painter->translate(0, 16);
    painter->drawText(QPoint(0, painter->boundingRect(QRect(), 0, description).height()), description);

    if (downloading) {
        const int progress = index.data(kuPluginManagerModel::ProgressRole).toInt();
        QStyleOptionProgressBar bar;
        bar.state = QStyle::State_Enabled | QStyle::State_Horizontal | QStyle::State_Active;
        bar.minimum = 0;
        bar.maximum = 100;
        bar.progress = progress;
        bar.text = QStringLiteral("%1%").arg(progress);
        bar.textAlignment = Qt::AlignCenter;
        bar.textVisible = true;
        bar.orientation = Qt::Horizontal;
        bar.invertedAppearance = false;
        bar.bottomToTop = true;
        const int bw = m_buttonRect.width();
        bar.rect = QRect(QPoint(w - bw - 174, 4), QPoint(w - bw - 75, 24));
        painter->setPen(textPen);
        QApplication::style()->drawControl(QStyle::CE_ProgressBar, &bar, painter, nullptr);
    }
}

void kuPluginManagerDelegate::paintButtons(QPainter* painter, const QStyleOptionViewItem& option,
                                           const QModelIndex& index, uint flags) const
{
    const QVector<int> kinds = buttonKinds(index);
    const QVector<QRect> rects = buttonRects(option.rect, kinds.size(), flags & prDownloading);
    for (int i = 0; i < kinds.size(); ++i) {
        QStyleOptionButton button;
        button.state = QStyle::State_Enabled | QStyle::State_Active;
        button.rect = rects.at(i);
        button.text = buttonText(kinds.at(i));
        if (button.rect.contains(m_pressPos))
            button.state |= QStyle::State_Sunken;
        QApplication::style()->drawControl(QStyle::CE_PushButton, &button, painter, nullptr);
    }
}

void kuPluginManagerDelegate::paintGroup(QPainter* painter, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const
{
    painter->save();
    painter->setClipRect(option.rect);
    painter->setPen(textPen);
    QFont titleFont = option.font;
    titleFont.setPointSize(12);
    titleFont.setWeight(QFont::Bold);
    painter->setFont(titleFont);
    painter->drawText(option.rect.adjusted(16, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(Qt::DisplayRole).toString());
    QFont summaryFont = option.font;
    summaryFont.setWeight(QFont::DemiBold);
    painter->setFont(summaryFont);
    painter->drawText(option.rect.adjusted(0, 0, -16, 0), Qt::AlignRight | Qt::AlignVCenter,
                      index.data(kuPluginManagerModel::SummaryRole).toString());
    painter->restore();
}

bool kuPluginManagerDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                          const QModelIndex& index)
{
    Q_UNUSED(model)
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseMove)
        return false;
    if (type == QEvent::MouseButtonRelease)
        m_pressPos = QPoint(0, 0);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton || !index.parent().isValid())
        return false;

    const QVector<int> kinds = buttonKinds(index);
    const QVector<QRect> rects = buttonRects(option.rect, kinds.size(), uint(index.flags()) & prDownloading);
    const QPoint pos(qRound(mouse->localPos().x()), qRound(mouse->localPos().y()));
    int hit = bkNone;
    for (int i = 0; i < kinds.size(); ++i) {
        if (rects.at(i).contains(pos)) {
            hit = kinds.at(i);
            break;
        }
    }
    if (type == QEvent::MouseButtonPress) {
        if (hit != bkNone)
            m_pressPos = pos;
        return true;
    }
    if (type != QEvent::MouseButtonRelease)
        return false;
    switch (hit) {
    case bkInstall:
        emit install(index);
        return true;
    case bkRemove:
        emit remove(index);
        return true;
    case bkUpdate:
        emit update(index);
        return true;
    case bkEnable:
        emit enable(index);
        return true;
    case bkDisable:
        emit disable(index);
        return true;
    case bkCancel:
        emit cancel(index);
        return true;
    case bkRestart:
        emit restart(index);
        return true;
    default:
        return false;
    }
}

QImage kuPluginManagerDelegate::catalogueIcon(const QByteArray& imageBytes)
{
    if (imageBytes.isEmpty())
        return QImage();
    QBuffer buffer;
    buffer.setData(imageBytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // The header tells the size: a huge declared image is never decoded.
    const QSize declared = reader.size();
    if (!declared.isValid() || declared.width() > maxIconSide || declared.height() > maxIconSide) {
        qWarning() << "Catalogue icon refused: declared size" << declared;
        return QImage();
    }
    const QImage image = reader.read();
    if (image.width() <= iconSlot && image.height() <= iconSlot)
        return image;
    return image.scaled(iconSlot, iconSlot, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
