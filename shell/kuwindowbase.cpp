#include "kuwindowbase.h"

#include "dcmessagepack.h"
#include "kuabstractdataconverter.h"
#include "kuconnectionmanager.h"
#include "kufunctions.h"
#include "kulightboxwidget.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QJsonArray>
#include <QLabel>
#include <QSet>

namespace {
// The converter reports errors without an instrument under this id.
constexpr int anyPaper = -100;

int retryStepMs = 2000;
int retryMaxMs = 60000;

// Covers the viewport of a view, which has no rows to show, and follows its size.
class FailedText : public QLabel
{
public:
    explicit FailedText(QWidget* viewport) : QLabel(viewport)
    {
        setObjectName(QStringLiteral("failedSnapshotText"));
        setAlignment(Qt::AlignCenter);
        setWordWrap(true);
        setMargin(12);
        setBackgroundRole(QPalette::Base);
        setAutoFillBackground(true);
        setGeometry(viewport->rect());
        viewport->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parentWidget() && event->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        return QLabel::eventFilter(watched, event);
    }
};

QJsonArray firstGroupParams(const QJsonObject& windowObject)
{
    const QJsonArray groups = windowObject.value(QStringLiteral("settings")).toArray();
    if (groups.isEmpty())
        return {};
    return groups.first().toObject().value(QStringLiteral("params")).toArray();
}
} // namespace

kuWindowBase::kuWindowBase(QWidget* parent) : QMainWindow(parent)
{
    registerWinType();
    m_lightBox = new kuLightBoxWidget(this, false);
    m_lightBox->show();
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &kuWindowBase::askAgain);
}

kuWindowBase::~kuWindowBase() = default;

QJsonObject kuWindowBase::saveSettings()
{
    QJsonObject settings;
    settings.insert(QStringLiteral("winType"), static_cast<int>(winType()));
    settings.insert(QStringLiteral("paperID"), m_paperID);
    return settings;
}

void kuWindowBase::restoreSettings(QJsonObject settings)
{
    const QJsonArray params = firstGroupParams(settings);
    if (params.isEmpty())
        return;
    // A saved file is outside data: it may name any property ("objectName",
    // "enabled"...). Only the window's own parameters are applied.
    QSet<QString> own;
    for (const QJsonValue& param : firstGroupParams(saveSettings()))
        own.insert(param.toObject().value(QStringLiteral("name")).toString());
    for (const QJsonValue& value : params) {
        const QJsonObject param = value.toObject();
        const QString name = param.value(QStringLiteral("name")).toString();
        if (name.isEmpty() || !own.contains(name))
            continue;
        setProperty(name.toLocal8Bit().constData(), param.value(QStringLiteral("value")).toVariant());
    }
}

QPointer<kuAbstractDataConverter> kuWindowBase::converter()
{
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    return manager ? manager->dataConverter() : nullptr;
}

QPointer<kuAbstractConn> kuWindowBase::streamConnection()
{
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    if (!manager)
        return nullptr;
    const QPointer<kuAbstractConn> connection = manager->connection();
    if (!connection)
        return nullptr;
    const QString session = connection->sessionId();
    if (m_stream.connection != connection || m_stream.paperID != m_paperID) {
        // A replaced connection forgot the old stream; another instrument is a new stream.
        if (m_stream.connection == connection && m_stream.requests > 0)
            releaseStream();
        m_stream = Stream{connection, session, m_paperID, 0};
    } else if (m_stream.requests > 0 && m_stream.session == session && !m_busy && !m_failed) {
        return nullptr; // live: the data flows already
    }
    // Records of an earlier session stay counted in the connection: keep counting them.
    m_stream.session = session;
    ++m_stream.requests;
    return connection;
}

void kuWindowBase::connectErrors(bool on)
{
    if (!on) {
        // The snapshot came.
        m_awaiting = false;
        m_failures = 0;
        m_retry.stop();
        hideFailedText();
    }
    const QPointer<kuAbstractDataConverter> source = converter();
    if (!source)
        return;
    auto* messages = qobject_cast<dcMessagePack*>(source.data());
    if (on) {
        connect(source, &kuAbstractDataConverter::on_receviedError, this, &kuWindowBase::slot_showError,
                Qt::UniqueConnection);
        if (messages) {
            connect(messages, &dcMessagePack::on_snapshotFailed, this, &kuWindowBase::slot_snapshotFailed,
                    Qt::UniqueConnection);
            connect(messages, &dcMessagePack::on_snapshotsWanted, this, &kuWindowBase::slot_snapshotsWanted,
                    Qt::UniqueConnection);
        }
    } else {
        disconnect(source, &kuAbstractDataConverter::on_receviedError, this, &kuWindowBase::slot_showError);
        if (messages) {
            disconnect(messages, &dcMessagePack::on_snapshotFailed, this, &kuWindowBase::slot_snapshotFailed);
            disconnect(messages, &dcMessagePack::on_snapshotsWanted, this, &kuWindowBase::slot_snapshotsWanted);
        }
    }
}

void kuWindowBase::setRetryPauses(int stepMs, int maxMs)
{
    retryStepMs = qMax(0, stepMs);
    retryMaxMs = qMax(retryStepMs, maxMs);
}

int kuWindowBase::retryPause(int failuresInRow)
{
    if (failuresInRow <= 1)
        return 0;
    qint64 pause = retryStepMs;
    for (int i = 2; i < failuresInRow && pause > 0 && pause < retryMaxMs; ++i)
        pause *= 2;
    return int(qMin<qint64>(pause, retryMaxMs));
}

void kuWindowBase::slot_snapshotFailed(WinType winType, int paperID)
{
    if (winType != this->winType() || paperID != m_paperID || !m_awaiting)
        return;
    ++m_failures;
    hideLightBox();
    m_failed = true;
    showFailedSnapshot();
}

void kuWindowBase::slot_snapshotsWanted()
{
    // One request after each failure; a server that keeps failing is asked less and less often.
    if (!m_failed || m_retry.isActive())
        return;
    const int pause = retryPause(m_failures);
    if (pause > 0)
        m_retry.start(pause);
    else
        askAgain();
}

void kuWindowBase::askAgain()
{
    if (!m_failed)
        return;
    showLightBox();
    askSnapshotAgain();
}

void kuWindowBase::setFailedText(QAbstractScrollArea* view, const QString& text)
{
    if (!view)
        return;
    QWidget* viewport = view->viewport();
    if (m_failedText && m_failedText->parentWidget() != viewport)
        delete m_failedText.data();
    if (!m_failedText)
        m_failedText = new FailedText(viewport);
    m_failedText->setText(text + QLatin1Char('\n') + tr("Запрос повторится, когда сервер снова ответит."));
    m_failedText->show();
    m_failedText->raise();
}

QString kuWindowBase::failedText() const
{
    return m_failedText && !m_failedText->isHidden() ? m_failedText->text() : QString();
}

void kuWindowBase::hideFailedText()
{
    m_failed = false;
    if (m_failedText)
        m_failedText->hide();
}

void kuWindowBase::unsubscribe()
{
    m_retry.stop();
    releaseStream();
}

void kuWindowBase::releaseStream()
{
    const Stream held = m_stream;
    m_stream = Stream{};
    if (!held.connection || held.requests <= 0)
        return;
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    if (!manager || manager->connection() != held.connection)
        return;
    // Blocking requests: the connection may go while one runs.
    for (int i = 0; i < held.requests && held.connection; ++i)
        held.connection->unsubscribe(winType(), held.paperID);
}

bool kuWindowBase::disconnectAll()
{
    m_retry.stop();
    blockSignals(true);
    bool cut = QObject::disconnect(this, nullptr, nullptr, nullptr);
    // Qt cannot list a receiver's senders; windows take their data from the
    // converter and the connection manager, so those are cut by name.
    if (const QPointer<kuConnectionManager> manager = kuConnectionManager::instance()) {
        cut = QObject::disconnect(manager, nullptr, this, nullptr) || cut;
        if (const QPointer<kuAbstractDataConverter> converter = manager->dataConverter())
            cut = QObject::disconnect(converter, nullptr, this, nullptr) || cut;
    }
    return cut;
}

void kuWindowBase::slot_showError(WinType winType, QString msg, int paperID)
{
    if (winType != this->winType())
        return;
    // Until its first snapshot a window takes an error of its stream without
    // an instrument as its own: that reply was the answer to its request.
    const bool own = paperID == m_paperID || (paperID == anyPaper && m_busy);
    if (!own)
        return;
    // Hidden windows stay alive: no more data, and the stream goes back now.
    if (const QPointer<kuAbstractDataConverter> source = converter())
        QObject::disconnect(source, nullptr, this, nullptr);
    m_awaiting = false;
    m_retry.stop();
    hideFailedText();
    const QPointer<kuWindowBase> self(this);
    unsubscribe();
    if (!self)
        return;
    hideLightBox();
    showError(msg);
    if (self)
        emit on_closeWindow();
}

void kuWindowBase::showLightBox()
{
    m_retry.stop();
    hideFailedText();
    m_busy = true;
    if (m_lightBox)
        m_lightBox->show();
}

void kuWindowBase::hideLightBox()
{
    m_busy = false;
    if (m_lightBox)
        m_lightBox->hide();
}

void kuWindowBase::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
}
