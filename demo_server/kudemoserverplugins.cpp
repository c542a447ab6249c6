#include "kudemoserver.h"

#include "kudemohostile.h"
#include "kudemopacker.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTextCodec>

QByteArray kuDemoServer::pluginList(bool hugeIcons) const
{
    static QTextCodec* koi8 = QTextCodec::codecForName("KOI8-R");
    struct Entry
    {
        const char *id, *title, *description;
        quint32 version;
        double price;
        const char* name;
    };
    const Entry entries[] = {
            {"ku_newsfeed_win_x86_mingw", "Лента новостей", "Новости эмитентов и биржи в отдельном окне", 10601000, 0.0,
             "ku_newsfeed"},
            {"ku_bondcalc_win_x86_mingw", "Калькулятор облигаций", "Доходность и дюрация облигаций по текущим ценам",
             10500000, 1500.0, "ku_bondcalc"},
    };
    const QList<QJsonObject> offered = offeredPlugins();
    kuDemoPacker p;
    p.array(quint32((2 + offered.size()) * 7));
    for (const Entry& e : entries) {
        p.str(QCryptographicHash::hash(e.id, QCryptographicHash::Keccak_256).toHex());
        p.str(koi8->fromUnicode(QString::fromUtf8(e.title))).str(koi8->fromUnicode(QString::fromUtf8(e.description)));
        p.integer(e.version).str(hugeIcons ? kuDemoHostile::hugePng().toHex() : QByteArray());
        p.real(e.price).str(e.name);
    }
    for (const QJsonObject& o : offered) {
        QFile icon(QDir(m_options.pluginDir).filePath(o.value(QStringLiteral("icon")).toString()));
        const QByteArray iconHex =
                hugeIcons ? kuDemoHostile::hugePng().toHex()
                : !o.value(QStringLiteral("icon")).toString().isEmpty() && icon.open(QIODevice::ReadOnly)
                        ? icon.readAll().toHex()
                        : QByteArray();
        p.str(o.value(QStringLiteral("guid")).toString().toLatin1());
        p.str(koi8->fromUnicode(o.value(QStringLiteral("title")).toString()));
        p.str(koi8->fromUnicode(o.value(QStringLiteral("description")).toString()));
        p.integer(quint32(o.value(QStringLiteral("version")).toDouble())).str(iconHex);
        p.real(o.value(QStringLiteral("price")).toDouble()).str(o.value(QStringLiteral("name")).toString().toLatin1());
    }
    return p.hex();
}

QList<QJsonObject> kuDemoServer::offeredPlugins() const
{
    static const QRegularExpression validName(QStringLiteral("^ku_[A-Za-z0-9_]+$"));
    QList<QJsonObject> result;
    if (m_options.pluginDir.isEmpty())
        return result;
    const QDir dir(m_options.pluginDir);
    for (const QString& name : dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
        if (validName.match(o.value(QStringLiteral("name")).toString()).hasMatch() &&
            !o.value(QStringLiteral("guid")).toString().isEmpty())
            result << o;
    }
    return result;
}

QByteArray kuDemoServer::pluginFile(const Params& params, int* status)
{
    const auto found = m_sessions.find(QString::fromLatin1(params.value(QStringLiteral("ID"))));
    if (found == m_sessions.end() || m_market->now() - found->lastSeen > m_options.sessionTimeoutMs) {
        *status = 403;
        return QByteArray();
    }
    found->lastSeen = m_market->now();
    const QString guid = QString::fromLatin1(params.value(QStringLiteral("GUID")));
    for (const QJsonObject& o : offeredPlugins()) {
        if (o.value(QStringLiteral("guid")).toString() != guid)
            continue;
        QFile file(
                QDir(m_options.pluginDir).filePath(o.value(QStringLiteral("name")).toString() + QStringLiteral(".so")));
        if (file.open(QIODevice::ReadOnly)) {
            *status = 200;
            return file.readAll();
        }
        break;
    }
    *status = 404;
    return QByteArray();
}
