#pragma once

// Records every signal of a converter as one line of text, in emission order.

#include "dcmessagepack.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QMutex>
#include <QStringList>

class ConverterRecorder : public QObject
{
public:
    explicit ConverterRecorder(dcMessagePack* converter) : converter(converter)
    {
        using C = dcMessagePack;
        const auto direct = Qt::DirectConnection;
        connect(
                converter, &C::on_statusAuthorization, this,
                [this](QVariantList list) { add("status " + json(QJsonArray::fromVariantList(list))); }, direct);
        connect(
                converter, &C::on_snapshotPapers, this, [this] { add("papers"); }, direct);
        connect(
                converter, &C::on_snapshotChart, this,
                [this](int id, QVariant data) {
                    add(QStringLiteral("snapshotChart %1 %2").arg(id).arg(data.isNull() ? "null" : "data"));
                },
                direct);
        connect(
                converter, &C::on_updateChart, this,
                [this](int id, QVariant data) {
                    add(QStringLiteral("updateChart %1 ").arg(id) + json(data.toJsonObject()));
                },
                direct);
        connect(
                converter, &C::on_snapshotOrderBook, this,
                [this](int id, QJsonArray a) { add(QStringLiteral("snapshotOrderBook %1 ").arg(id) + json(a)); },
                direct);
        connect(
                converter, &C::on_updateOrderBook, this,
                [this](int id, QJsonArray a) { add(QStringLiteral("updateOrderBook %1 ").arg(id) + json(a)); }, direct);
        connect(
                converter, &C::on_snapshotLastTrades, this,
                [this](int id, QJsonArray a) { add(QStringLiteral("snapshotLastTrades %1 ").arg(id) + json(a)); },
                direct);
        connect(
                converter, &C::on_updateLastTrades, this,
                [this](int id, QJsonArray a) { add(QStringLiteral("updateLastTrades %1 ").arg(id) + json(a)); },
                direct);
        connect(
                converter, &C::on_snapshotQuotes, this,
                [this](int id, QJsonObject o) { add(QStringLiteral("snapshotQuotes %1 ").arg(id) + json(o)); }, direct);
        connect(
                converter, &C::on_updateQuotes, this,
                [this](int id, QJsonObject o) { add(QStringLiteral("updateQuotes %1 ").arg(id) + json(o)); }, direct);
        connect(
                converter, &C::on_syncDateTime, this, [this] { add("sync"); }, direct);
        connect(
                converter, &C::on_updateLastPrice, this,
                [this](int id, double price) { add(QStringLiteral("updateLastPrice %1 %2").arg(id).arg(price)); },
                direct);
        connect(
                converter, &C::on_snapshotPositions, this,
                [this](QJsonObject o) { add("snapshotPositions " + json(o)); }, direct);
        connect(
                converter, &C::on_updatePositions, this, [this](QJsonObject o) { add("updatePositions " + json(o)); },
                direct);
        connect(
                converter, &C::on_snapshotOrders, this, [this](QJsonObject o) { add("snapshotOrders " + json(o)); },
                direct);
        connect(
                converter, &C::on_updateOrders, this, [this](QJsonObject o) { add("updateOrders " + json(o)); },
                direct);
        connect(
                converter, &C::on_snapshotTrades, this, [this](QJsonObject o) { add("snapshotTrades " + json(o)); },
                direct);
        connect(
                converter, &C::on_updateTrades, this, [this](QJsonObject o) { add("updateTrades " + json(o)); },
                direct);
        connect(
                converter, &C::on_receviedError, this,
                [this](WinType wt, QString msg, int id) {
                    add(QStringLiteral("error %1 %2 %3").arg(int(wt)).arg(msg).arg(id));
                },
                direct);
        connect(
                converter, &C::on_snapshotAdditionalData, this,
                [this](WinType wt, QVariantList list, QVariantMap args) {
                    add(QStringLiteral("additional %1 ").arg(int(wt)) + json(QJsonArray::fromVariantList(list)) + " " +
                        json(QJsonObject::fromVariantMap(args)));
                },
                direct);
        connect(
                converter, &C::on_orderOutcome, this,
                [this](QJsonObject o, int outcome, QString msg) {
                    add(QStringLiteral("outcome %1 %2 ").arg(outcome).arg(o.value("type").toInt()) + msg);
                },
                direct);
        connect(
                converter, &C::on_infoMessage, this,
                [this](QString text, int ms) { add(QStringLiteral("info %1 %2").arg(text).arg(ms)); }, direct);
        connect(
                converter, &C::on_errorMessage, this,
                [this](QString text, int ms) { add(QStringLiteral("errorMessage %1 %2").arg(text).arg(ms)); }, direct);
        connect(
                converter, &C::on_papersWanted, this, [this] { add("papersWanted"); }, direct);
        connect(
                converter, &C::on_snapshotFailed, this,
                [this](WinType wt, int id) { add(QStringLiteral("snapshotFailed %1 %2").arg(int(wt)).arg(id)); },
                direct);
        connect(
                converter, &C::on_snapshotsWanted, this, [this] { add("snapshotsWanted"); }, direct);
        connect(
                converter, &C::on_updatesFailed, this,
                [this](int code, QString msg) { add(QStringLiteral("updatesFailed %1 %2").arg(code).arg(msg)); },
                direct);
    }

    // Everything emitted once the queued replies are decoded and delivered.
    QStringList take()
    {
        converter->waitForDone();
        QCoreApplication::processEvents();
        QMutexLocker lock(&mutex);
        QStringList out;
        out.swap(events);
        return out;
    }

    static QString json(const QJsonObject& o)
    {
        return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
    }
    static QString json(const QJsonArray& a)
    {
        return QString::fromUtf8(QJsonDocument(a).toJson(QJsonDocument::Compact));
    }

private:
    void add(const QString& event)
    {
        QMutexLocker lock(&mutex);
        events.append(event);
    }

    dcMessagePack* converter;
    QMutex mutex;
    QStringList events;
};
