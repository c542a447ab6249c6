#ifndef KUWINDOWBASE_H
#define KUWINDOWBASE_H

#include "wintype.h"

#include <QJsonObject>
#include <QMainWindow>
#include <QPointer>

class kuLightBoxWidget;

// Base of every trading window: reports its stream, subscribes to it, and
// starts covered by the busy overlay until its first data is shown.
class kuWindowBase : public QMainWindow
{
    Q_OBJECT

public:
    explicit kuWindowBase(QWidget* parent = nullptr);
    ~kuWindowBase() override;

    virtual WinType winType() const = 0;
    // Connects the converter's signals of the window's stream and sends its request.
    virtual void subscribe() = 0;
    virtual void unsubscribe();
    // Blocks the window's signals and cuts its connections; whether any was cut.
    bool disconnectAll();
    // At least "winType" and "paperID".
    virtual QJsonObject saveSettings();

    // 0 until the window has an instrument.
    int paperID() const { return m_paperID; }
    // True from construction or showLightBox until hideLightBox.
    bool isBusy() const { return m_busy; }

public slots:
    virtual void slot_showError(WinType winType, QString msg, int paperID);
    void showLightBox();
    void hideLightBox();

signals:
    void on_closeWindow();

protected:
    void setPaperID(int paperID) { m_paperID = paperID; }

private:
    QPointer<kuLightBoxWidget> m_lightBox;
    int m_paperID = 0;
    bool m_busy = true;
};

#endif // KUWINDOWBASE_H
