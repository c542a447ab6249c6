#include "kutextobjectdialog.h"

#include "kucolorbutton.h"
#include "ui_kutextobjectdialog.h"

#include <QGraphicsSimpleTextItem>
#include <QGuiApplication>
#include <QPen>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalMapper>

namespace {

kuTextObjectDialog::Runner& runner()
{
    static kuTextObjectDialog::Runner r;
    return r;
}

const int firstSize = 7;

QString styleFormat()
{
    const QString gap(44, QLatin1Char(' '));
    return QStringLiteral("color: %1;") + gap + QStringLiteral("font-family: %2;") + gap +
           QStringLiteral("font-size: %3pt;") + gap + QStringLiteral("font-style: %4;") + gap +
           QStringLiteral("font-weight: %5;") + gap + QStringLiteral("text-decoration: %6");
}

// Quoted, so a family that is no CSS name ("Nimbus Sans [urw]") keeps the rest of the style.
QString quotedFamily(QString family)
{
    family.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + family + QLatin1Char('"');
}

} // namespace

void kuTextObjectDialog::setRunner(Runner r)
{
    runner() = std::move(r);
}

kuTextObjectDialog::kuTextObjectDialog(QWidget* parent)
    : QDialog(parent), ui(new Ui::kuTextObjectDialog), m_signalMapper(new QSignalMapper(this)),
      m_previewStyleFormat(styleFormat())
{
    ui->setupUi(this);
    m_fontComboBox = ui->fontComboBox;
    m_sizeComboBox = ui->sizeComboBox;
    m_previewLabel = ui->previewLabel;
    m_textEdit = ui->textEdit;
    m_colorButton = ui->colorButton;
    m_boldToolButton = ui->boldToolButton;
    m_italicToolButton = ui->italicToolButton;
    m_underlineToolButton = ui->underlineToolButton;

    deleteButton()->setText(tr("Удалить"));
    for (int size = firstSize; size <= 14; ++size)
        m_sizeComboBox->addItem(QString::number(size));
    m_sizeComboBox->setCurrentIndex(0);
    m_colorButton->setIconSize(QSize(30, 30));
    handleLablePrevievStyle(0);

    m_signalMapper->setMapping(m_fontComboBox, 0);
    m_signalMapper->setMapping(m_sizeComboBox, 1);
    m_signalMapper->setMapping(m_colorButton, 2);
    m_signalMapper->setMapping(m_boldToolButton, 3);
    m_signalMapper->setMapping(m_italicToolButton, 4);
    m_signalMapper->setMapping(m_underlineToolButton, 5);
    auto map = [this](QObject* sender) { return [this, sender] { m_signalMapper->map(sender); }; };
    connect(m_fontComboBox, qOverload<int>(&QComboBox::currentIndexChanged), this, map(m_fontComboBox));
    connect(m_sizeComboBox, qOverload<int>(&QComboBox::currentIndexChanged), this, map(m_sizeComboBox));
    connect(m_colorButton, &kuColorButton::colorChanged, this, map(m_colorButton));
    for (QToolButton* button : {m_boldToolButton, m_italicToolButton, m_underlineToolButton})
        connect(button, &QToolButton::clicked, this, map(button));
    connect(m_signalMapper, &QSignalMapper::mappedInt, this, &kuTextObjectDialog::handleLablePrevievStyle);
    connect(m_textEdit, &QTextEdit::textChanged, this, &kuTextObjectDialog::handleTextChanged);
    connect(ui->buttonBox, &QDialogButtonBox::clicked, this, &kuTextObjectDialog::handleDeleteText);
}

kuTextObjectDialog::~kuTextObjectDialog()
{
    delete ui;
}

QAbstractButton* kuTextObjectDialog::deleteButton() const
{
    return ui->buttonBox->button(QDialogButtonBox::Reset);
}

int kuTextObjectDialog::pointSizeOf(const QFont& font)
{
    if (font.pointSize() > 0)
        return font.pointSize();
    if (font.pixelSize() > 0)
        return qMax(1, qRound(font.pixelSize() * 72.0 / 96.0));
    return 0;
}

int kuTextObjectDialog::execNew()
{
    m_dialogMode = NewText;
    deleteButton()->setEnabled(false);
    m_colorButton->setColor(Qt::black);
    return exec();
}

bool kuTextObjectDialog::execEdit(QGraphicsSimpleTextItem* item)
{
    if (!item)
        return false;
    const QFont font = item->font();
    m_dialogMode = EditText;
    deleteButton()->setEnabled(true);
    m_textEdit->setPlainText(item->text());
    m_fontComboBox->setCurrentFont(font);
    selectSize(font);
    showFontStyle(font);
    m_colorButton->setColor(item->pen().color());
    handleLablePrevievStyle(0);
    m_editedItem = item;
    exec();
    if (m_textDeleted) {
        item->hide();
        return false;
    }
    return true;
}

void kuTextObjectDialog::selectSize(const QFont& font)
{
    // The list holds 7 to 14 points: other sizes take the nearest entry.
    const int size = pointSizeOf(font);
    if (size <= 0)
        return;
    m_sizeComboBox->setCurrentIndex(qBound(0, size - firstSize, m_sizeComboBox->count() - 1));
}

void kuTextObjectDialog::showFontStyle(const QFont& font)
{
    m_boldToolButton->setChecked(font.weight() > 57);
    m_italicToolButton->setChecked(font.style() != QFont::StyleNormal);
    m_underlineToolButton->setChecked(font.underline());
}

void kuTextObjectDialog::handleTextChanged()
{
    m_previewLabel->setText(m_textEdit->toPlainText());
}

void kuTextObjectDialog::handleDeleteText(QAbstractButton* button)
{
    if (m_dialogMode != EditText || button != deleteButton())
        return;
    m_textDeleted = true;
    QDialog::reject();
}

void kuTextObjectDialog::handleLablePrevievStyle(int)
{
    const QString style = m_previewStyleFormat.arg(
            m_colorButton->color().name(), quotedFamily(m_fontComboBox->currentText()), m_sizeComboBox->currentText(),
            m_italicToolButton->isChecked() ? QStringLiteral("italic") : QStringLiteral("normal"),
            m_boldToolButton->isChecked() ? QStringLiteral("bold") : QStringLiteral("normal"),
            m_underlineToolButton->isChecked() ? QStringLiteral("underline") : QStringLiteral("none"));
    m_previewLabel->setStyleSheet(style);
}

void kuTextObjectDialog::accept()
{
    if (m_dialogMode == NewText) {
        // Shown until the new label is dropped on the chart, which pops it.
        if (!m_cursorPushed) {
            QGuiApplication::setOverrideCursor(QCursor(Qt::PointingHandCursor));
            m_cursorPushed = true;
        }
    } else if (m_dialogMode == EditText && m_editedItem) {
        m_previewLabel->ensurePolished();
        m_editedItem->setText(m_previewLabel->text());
        m_editedItem->setFont(m_previewLabel->font());
        m_editedItem->setPen(QPen(m_previewLabel->palette().color(QPalette::WindowText)));
    }
    QDialog::accept();
}

void kuTextObjectDialog::reject()
{
    m_previewLabel->clear();
    m_textEdit->clear();
    m_textDeleted = false;
    QDialog::reject();
}

int kuTextObjectDialog::exec()
{
    if (m_dialogMode == NotStarted)
        return 0;
    if (runner())
        return runner()(this);
    return QDialog::exec();
}

void kuTextObjectDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    const QFont font = m_previewLabel->font();
    for (int i = 0; i < m_fontComboBox->count(); ++i) {
        if (m_fontComboBox->itemText(i) == font.family())
            m_fontComboBox->setCurrentIndex(i);
    }
    const int size = pointSizeOf(font);
    for (int i = 0; i < m_sizeComboBox->count(); ++i) {
        if (m_sizeComboBox->itemText(i).toInt() == size)
            m_sizeComboBox->setCurrentIndex(i);
    }
    showFontStyle(font);
    m_textEdit->setFocus(Qt::OtherFocusReason);
    m_colorButton->setIconSize(QSize(30, 30));
}

void kuTextObjectDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        deleteButton()->setText(tr("Удалить"));
    }
}
