#pragma once

#include <QBrush>
#include <QByteArray>
#include <QDialogButtonBox>
#include <QHash>
#include <QMetaType>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QVariant>

// One user message of a workspace's message bar. Null or empty values mean
// "use the widget's default".
class kuQueuedMessage
{
public:
    using Buttons = QHash<QDialogButtonBox::StandardButton, QString>;

    bool operator==(const kuQueuedMessage& other) const;
    bool operator!=(const kuQueuedMessage& other) const { return !(*this == other); }

    // Registers the value and the button type for queued calls; safe to repeat.
    static void registerMetaTypes();

    QString text;
    // Milliseconds; -1 takes the widget's default, 0 or less never closes by itself.
    int timeout = -1;
    QPixmap pixmap;
    QBrush background = Qt::NoBrush;
    QBrush foreground = Qt::NoBrush;
    // Button -> caption (empty = the standard one); no buttons means a single OK.
    Buttons buttons;
    // Its slot `member` is invoked with (QDialogButtonBox::StandardButton, kuQueuedMessage).
    QPointer<QObject> receiver;
    QByteArray member;
    QVariant data;
};

Q_DECLARE_METATYPE(kuQueuedMessage)
