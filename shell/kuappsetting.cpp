#include "kuappsetting.h"

#include "ui_kuappsetting.h"

namespace {
const QString upKey = QStringLiteral("defaultUpColor");
const QString downKey = QStringLiteral("defaultDownColor");
const QString fontKey = QStringLiteral("defaultMasterFont");
} // namespace

kuAppSetting::kuAppSetting(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::kuAppSetting>())
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("kuAppSetting"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setModal(true);
    loadSettings();
}

kuAppSetting::~kuAppSetting() = default;

QColor kuAppSetting::defaultUpColor()
{
    return QColor(QStringLiteral("#4fbd3c"));
}

QColor kuAppSetting::defaultDownColor()
{
    return QColor(QStringLiteral("#bd3c4f"));
}

QFont kuAppSetting::defaultMasterFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    font.setStyle(QFont::StyleNormal);
    return font;
}

QFont kuAppSetting::masterFont() const
{
    return m_masterFont;
}

QColor kuAppSetting::upColor() const
{
    return m_upColor;
}

QColor kuAppSetting::downColor() const
{
    return m_downColor;
}

void kuAppSetting::setMasterFont(const QFont& font)
{
    m_masterFont = font;
}

void kuAppSetting::setUpColor(const QColor& color)
{
    m_upColor = color;
}

void kuAppSetting::setDownColor(const QColor& color)
{
    m_downColor = color;
}

void kuAppSetting::defaultSettings()
{
    m_settings.insert(upKey, defaultUpColor());
    m_settings.insert(downKey, defaultDownColor());
    m_settings.insert(fontKey, defaultMasterFont());
}

void kuAppSetting::loadSettings()
{
    defaultSettings();
    // A value of another type gives a default font or an invalid colour.
    const QVariant font = m_settings[fontKey];
    m_masterFont = font.canConvert<QFont>() ? font.value<QFont>() : QFont();
    const QVariant up = m_settings[upKey];
    m_upColor = up.canConvert<QColor>() ? up.value<QColor>() : QColor();
    const QVariant down = m_settings[downKey];
    m_downColor = down.canConvert<QColor>() ? down.value<QColor>() : QColor();
}
