#include "kuorderbooksetting.h"

#include "kucolorbutton.h"
#include "ui_kuorderbooksetting.h"

#include <QPushButton>

kuOrderBookSetting::kuOrderBookSetting(QWidget* parent) : QDialog(parent), ui(new Ui_kuOrderBookSetting)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setupButtons();
}

kuOrderBookSetting::~kuOrderBookSetting() = default;

void kuOrderBookSetting::setupButtons()
{
    m_bidButton = ui->bidColorBtn;
    m_offerButton = ui->offerColorBtn;
    m_restoreButton = ui->buttonBox->button(QDialogButtonBox::RestoreDefaults);
    m_bidButton->setDefaultColor(defaultBidColor);
    m_offerButton->setDefaultColor(defaultOfferColor);
    for (kuColorButton* button : {m_bidButton, m_offerButton}) {
        button->setIconSize(button->geometry().size());
        // A colour the user picks with the button may leave or reach the defaults.
        connect(button, &kuColorButton::colorChanged, this, &kuOrderBookSetting::updateRestoreButton);
    }
    m_restoreButton->setEnabled(false);
    connect(m_restoreButton, &QPushButton::clicked, this, &kuOrderBookSetting::slot_restoreColors);
}

QColor kuOrderBookSetting::bidColor() const
{
    return m_bidButton->color();
}

QColor kuOrderBookSetting::offerColor() const
{
    return m_offerButton->color();
}

void kuOrderBookSetting::setBidColor(const QColor& color)
{
    m_bidButton->setColor(color);
    updateRestoreButton();
}

void kuOrderBookSetting::setOfferColor(const QColor& color)
{
    m_offerButton->setColor(color);
    updateRestoreButton();
}

void kuOrderBookSetting::slot_restoreColors()
{
    m_bidButton->setColor(defaultBidColor);
    updateRestoreButton();
    m_offerButton->setColor(defaultOfferColor);
    updateRestoreButton();
}

void kuOrderBookSetting::updateRestoreButton()
{
    m_restoreButton->setEnabled(m_bidButton->color() != defaultBidColor || m_offerButton->color() != defaultOfferColor);
}
