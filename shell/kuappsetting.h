#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QVariantMap>

#include <memory>

namespace Ui {
class kuAppSetting;
}

// The look values every list window uses: the colours of rising and falling
// values and the master font of the tables. Also a (so far empty) dialog.
// The values live in memory only; every start begins with the defaults.
class kuAppSetting : public QDialog
{
    Q_OBJECT
public:
    explicit kuAppSetting(QWidget* parent = nullptr);
    ~kuAppSetting() override;

    QFont masterFont() const;
    QColor upColor() const;
    QColor downColor() const;
    void setMasterFont(const QFont& font);
    void setUpColor(const QColor& color);
    void setDownColor(const QColor& color);

    // Writes the three defaults into the settings map.
    void defaultSettings();
    // defaultSettings, then the three values read back from the map.
    void loadSettings();

    // The defaults, also what readers get once the main window is gone.
    static QColor defaultUpColor();
    static QColor defaultDownColor();
    static QFont defaultMasterFont();

private:
    std::unique_ptr<Ui::kuAppSetting> ui;
    QFont m_masterFont;
    QColor m_upColor;
    QColor m_downColor;
    QVariantMap m_settings;
};
