#include "app/cfgdialog.h"

#include "app/artwork.h"
#include "app/language.h"
#include "controls/colorcombo.h"
#include "controls/spinfloatedit.h"
#include "controls/tag.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace {

constexpr TColor kDialogColour = rgbColor(0xDE, 0xDE, 0xDE);
constexpr int kAlgItemHeight = 17;

QFont dialogFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    return font;
}

// The contact pictures instead of texts: in the list and in the closed box.
class AlgDelegate : public QStyledItemDelegate {
public:
    AlgDelegate(const QPixmap& on, const QPixmap& off, QObject* parent)
        : QStyledItemDelegate(parent), m_on(on), m_off(off) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        painter->fillRect(option.rect, option.palette.color(selected ? QPalette::Highlight : QPalette::Base));
        if (option.state.testFlag(QStyle::State_Enabled))
            painter->drawPixmap(option.rect.topLeft(), index.row() == 0 ? m_on : m_off);
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return {m_on.width(), kAlgItemHeight}; }

private:
    QPixmap m_on, m_off;
};

class AlgCombo : public QComboBox {
public:
    AlgCombo(const QPixmap& on, const QPixmap& off, QWidget* parent)
        : QComboBox(parent), m_on(on), m_off(off)
    {
        setItemDelegate(new AlgDelegate(on, off, this));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        option.currentText.clear();
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
        painter.fillRect(field, palette().color(QPalette::Base));
        // A disabled list shows no picture, as a disabled entry draws none.
        if (isEnabled() && currentIndex() >= 0)
            painter.drawPixmap(field.left(), field.top() + (field.height() - m_on.height()) / 2,
                               currentIndex() == 0 ? m_on : m_off);
    }

private:
    QPixmap m_on, m_off;
};

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry,
                  Qt::Alignment alignment = Qt::AlignRight | Qt::AlignVCenter)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

// ---------------------------------------------------------------- pictures

QPixmap paintLanguagePicture()
{
    // A speech bubble over two flag stripes: "language" without words.
    QPixmap pixmap(21, 26);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(1.5, 1.5, 18, 13), 3, 3);
    bubble.moveTo(5, 14.5);
    bubble.lineTo(4, 19);
    bubble.lineTo(9.5, 14.5);
    p.setPen(QPen(QColor(40, 60, 120), 1));
    p.setBrush(Qt::white);
    p.drawPath(bubble.simplified());
    p.setPen(QPen(QColor(40, 60, 120), 1.2));
    for (int y : {5, 8, 11})
        p.drawLine(QPointF(5, y), QPointF(y == 11 ? 11 : 16, y));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(6, 20, 14, 2), QColor(0, 0, 0));
    p.fillRect(QRect(6, 22, 14, 2), QColor(221, 0, 0));
    p.fillRect(QRect(6, 24, 14, 2), QColor(255, 206, 0));
    return pixmap;
}

QPixmap paintContactPicture(bool closed)
{
    QPixmap pixmap(41, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colour = closed ? QColor(220, 0, 0) : QColor(128, 128, 128);
    const QPointF left(8, 11), right(33, 11);
    // Leads to the two contact points.
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.drawLine(QPointF(0, 11), left);
    p.drawLine(right, QPointF(41, 11));
    // The lever: lying on both points when closed, lifted when open.
    p.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(left, closed ? right : QPointF(30, 2));
    p.setPen(QPen(colour.darker(130), 1));
    p.setBrush(colour);
    p.drawEllipse(left, 3, 3);
    p.drawEllipse(right, 3, 3);
    return pixmap;
}

// ---------------------------------------------------------------- the dialog

TCfgDialog::TCfgDialog(const QString& programDir, quint32 comPorts, int charSet, QWidget* parent)
    : QDialog(parent)
{
    build();
    buildLists(programDir, comPorts, charSet);
}

void TCfgDialog::build()
{
    setObjectName(QStringLiteral("CfgDialog"));
    setWindowTitle(QStringLiteral("Einstellungen"));
    setFont(dialogFont());
    setFixedSize(316, 236);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, toQColor(kDialogColour));
    setPalette(palette);
    setAutoFillBackground(true);

    ImageLng = new QLabel(this);
    ImageLng->setObjectName(QStringLiteral("ImageLng"));
    ImageLng->setGeometry(4, 3, 21, 26);
    ImageLng->setPixmap(paintLanguagePicture());

    cbLang = new QComboBox(this);
    cbLang->setObjectName(QStringLiteral("cbLang"));
    cbLang->setGeometry(28, 6, 125, 21);
    cbLang->setMaxVisibleItems(20);
    cbLang->setEnabled(false);

    cbCharset = new QComboBox(this);
    cbCharset->setObjectName(QStringLiteral("cbCharset"));
    cbCharset->setGeometry(167, 6, 145, 21);
    cbCharset->setMaxVisibleItems(20);
    cbCharset->setToolTip(QStringLiteral("Charset"));

    GroupBox1 = new QGroupBox(QStringLiteral(" Farben "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(6, 30, 147, 64);

    const auto colourList = [this](const char* name, int top) {
        auto* combo = new ToColorCombo(GroupBox1);
        combo->setObjectName(QLatin1String(name));
        combo->setColorSet(ToColor::clrPure | ToColor::clrUser);
        combo->setColorUser(clBlack);
        // Ready as a new list is: on its first entry, not on the user entry
        // that setting the user colour selected.
        combo->setCurrentIndex(0);
        combo->setDrawColorName(false);
        combo->setGeometry(67, top, 74, 22);
        combo->setMaxVisibleItems(17);
        connect(combo, &ToColorCombo::changed, this, [this, combo] { cbColorCifraChange(combo); });
        return combo;
    };
    Label4 = makeLabel(GroupBox1, "Label4", QStringLiteral("Display:"), QRect(4, 13, 60, 22));
    cbColorFon = colourList("cbColorFon", 13);
    Label5 = makeLabel(GroupBox1, "Label5", QStringLiteral("Passiv:"), QRect(4, 38, 60, 22));
    cbColorCifraF = colourList("cbColorCifraF", 38);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(paintContactPicture(true));
    Image1->setGeometry(0, 0, 41, 16);
    Image1->hide();
    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(paintContactPicture(false));
    Image2->setGeometry(0, 0, 41, 16);
    Image2->hide();

    // The longest label may reach over the colour frame's corner; it is
    // raised so the frame does not cut it.
    Label6 = makeLabel(this, "Label6", QStringLiteral("LS-Kontakte (4+6):"), QRect(140, 29, 104, 21));
    cbPort = new QComboBox(this);
    cbPort->setObjectName(QStringLiteral("cbPort"));
    cbPort->setGeometry(247, 29, 65, 21);
    cbPort->addItem(QStringLiteral("Keine"));
    cbPort->setCurrentIndex(0);
    connect(cbPort, &QComboBox::activated, this, &TCfgDialog::cbPortChange);

    Label1 = makeLabel(this, "Label1", QStringLiteral("Ereignis bei:"), QRect(154, 51, 90, 22));
    cbAlg = new AlgCombo(Image1->pixmap(), Image2->pixmap(), this);
    cbAlg->setObjectName(QStringLiteral("cbAlg"));
    cbAlg->setGeometry(247, 51, 65, 22);
    cbAlg->addItems({QStringLiteral("Ein"), QStringLiteral("Aus")});
    cbAlg->setCurrentIndex(0);
    cbAlg->setEnabled(false);

    Label10 = makeLabel(this, "Label10", QStringLiteral("LS-Sperrzeit:"), QRect(154, 76, 90, 21));
    seWait = new TSpinFloatEdit(this);
    seWait->setObjectName(QStringLiteral("seWait"));
    seWait->setGeometry(247, 76, 65, 21);
    seWait->setMinValue(0.0);
    seWait->setMaxValue(5.0);
    seWait->setIncrement(0.1);
    seWait->setValue(0.1);
    seWait->setEnabled(false);
    Label11 = makeLabel(this, "Label11", QStringLiteral("Sek."), QRect(315, 123, 30, 13), Qt::AlignLeft | Qt::AlignVCenter);

    cbSound = new QCheckBox(QStringLiteral("Beep sound (zeit.wav)"), this);
    cbSound->setObjectName(QStringLiteral("cbSound"));
    cbSound->setGeometry(184, 100, 126, 17);
    // The text stands left of the box.
    cbSound->setLayoutDirection(Qt::RightToLeft);
    cbSound->setChecked(true);
    // The designed width fits the text only in the designed font: grow to
    // the left and keep the box where it was.
    const int soundWidth = std::max(126, cbSound->sizeHint().width());
    cbSound->setGeometry(310 - soundWidth, 100, soundWidth, 17);

    OKBtn = new QPushButton(tickIcon(), QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(16, 204, 135, 25);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    CancelBtn = new QPushButton(toolGlyph(ToolGlyph::Close), QStringLiteral("Abbrechen "), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(167, 204, 138, 25);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    Label6->raise();

    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));
    // The same dialog on every desktop, and one a test can answer.
    ColorDialog1->setOption(QColorDialog::DontUseNativeDialog);

    connect(cbLang, &QComboBox::activated, this, &TCfgDialog::cbLangChange);
    connect(cbCharset, &QComboBox::activated, this, &TCfgDialog::cbCharsetChange);
    const QWidget* order[] = {cbLang, cbCharset, cbColorFon, cbColorCifraF, cbPort, cbAlg, seWait, cbSound, OKBtn, CancelBtn};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
}

void TCfgDialog::buildLists(const QString& programDir, quint32 comPorts, int charSet)
{
    for (const CharSetEntry& entry : kCharSets)
        cbCharset->addItem(QString::fromLatin1(entry.name));
    cbCharset->setCurrentIndex(charSet >= 0 && charSet < cbCharset->count() ? charSet : 0);

    cbLang->addItem(QStringLiteral("DEFAULT"));
    // Ordinary files only: a folder named "x.lng" is no language.
    const QStringList files = QDir(programDir).entryList({QStringLiteral("*.lng")}, QDir::Files, QDir::Name);
    for (const QString& file : files)
        cbLang->addItem(file.chopped(4));
    cbCharset->setEnabled(!files.isEmpty());
    cbLang->setEnabled(cbLang->count() > 1);
    cbLang->setCurrentIndex(0);

    const int highest = std::min(int(comPorts >> 16), 16);
    for (int n = 1; n <= highest; ++n)
        if (comPorts & (1u << (n - 1)))
            cbPort->addItem(QStringLiteral("COM%1").arg(n));
}

void TCfgDialog::fill(const CfgValues& values)
{
    m_alg = values.alg;
    m_lang = values.lang;

    // The lists are filled before the dialog shows: "Other..." must not ask now.
    cbColorFon->setColorValue(values.c1);
    cbColorCifraF->setColorValue(values.c3);

    if (values.port != 0) {
        const int index = cbPort->findText(QStringLiteral("COM%1").arg(values.port), Qt::MatchFixedString);
        cbPort->setCurrentIndex(index);
    } else {
        cbPort->setCurrentIndex(0);
    }
    cbAlg->setEnabled(values.port != 0);
    seWait->setEnabled(cbAlg->isEnabled());
    cbAlg->setCurrentIndex(values.alg == 0 || values.alg == 1 ? values.alg : -1);
    m_portIndexAtFill = cbPort->currentIndex();

    seWait->setValue(values.waitStart / 1000.0);

    cbLang->setCurrentIndex(cbLang->findText(values.lang, Qt::MatchFixedString));
    cbCharset->setCurrentIndex(values.charSet >= 0 && values.charSet < cbCharset->count() ? values.charSet : 0);
    m_langIndexAtFill = cbLang->currentIndex();

    cbSound->setChecked(values.playZeit);
}

void TCfgDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (cbLang->currentIndex() < 0)
        cbLang->setCurrentIndex(0);
    m_langAtShow = m_lang;
    cbPort->setEnabled(m_alg >= 0);
}

void TCfgDialog::cbPortChange()
{
    cbAlg->setEnabled(cbPort->currentIndex() > 0);
    seWait->setEnabled(cbAlg->isEnabled());
}

void TCfgDialog::cbLangChange()
{
    m_lang = cbLang->currentText();
    cbCharset->setCurrentIndex(charSetForLanguage(m_lang));
    emit languagePicked(m_lang, cbCharset->currentIndex());
}

void TCfgDialog::cbCharsetChange()
{
    emit charSetPicked(cbCharset->currentIndex());
}

void TCfgDialog::cbColorCifraChange(ToColorCombo* combo)
{
    // Filling the lists before the dialog shows never asks; the Tag keeps the
    // nested change raised by the new custom colour from asking again.
    if (!isVisible() || tagOf(combo) != 0)
        return;
    if (combo->hasUserEntry() && combo->currentIndex() == combo->count() - 1) {
        const auto chosen = m_chooseColor ? m_chooseColor(toQColor(combo->ColorUser()))
                                          : runColorDialog(toQColor(combo->ColorUser()));
        if (chosen && chosen->isValid()) {
            setTag(combo, 1);
            combo->setColorUser(fromQColor(*chosen));
        }
    }
    setTag(combo, 0);
}

std::optional<QColor> TCfgDialog::runColorDialog(const QColor& initial)
{
    ColorDialog1->setCurrentColor(initial);
    if (ColorDialog1->exec() != QDialog::Accepted)
        return std::nullopt;
    return ColorDialog1->currentColor();
}

int TCfgDialog::charSetForLanguage(const QString& name)
{
    // File names here are Unicode text, so the Cyrillic words are compared as
    // letters, not as the Windows-1251 bytes a Windows name would hold.
    const QString lower = name.toLower();
    static const QString cyrillic[] = {QStringLiteral("русский"), QStringLiteral("украинс"), QStringLiteral("українс")};
    bool russian = lower.contains(QLatin1String("russ")) || lower.contains(QLatin1String("ukrain"));
    for (const QString& word : cyrillic)
        russian = russian || lower.contains(word);
    return russian ? 3 : 0;
}

int TCfgDialog::portIndex() const { return cbPort->currentIndex(); }

int TCfgDialog::selectedPort() const
{
    if (cbPort->currentIndex() <= 0)
        return 0;
    bool ok = false;
    const int port = cbPort->currentText().mid(3).toInt(&ok);
    return ok ? port : 0;
}

int TCfgDialog::algIndex() const { return cbAlg->currentIndex(); }
int TCfgDialog::waitStartMs() const { return seWait->valueTimes1000(); }
TColor TCfgDialog::colorFon() const { return cbColorFon->ColorValue(); }
TColor TCfgDialog::colorCifra() const { return cbColorCifraF->ColorValue(); }
bool TCfgDialog::playZeit() const { return cbSound->isChecked(); }
int TCfgDialog::charSetIndex() const { return cbCharset->currentIndex(); }
QString TCfgDialog::langText() const { return cbLang->currentText(); }
int TCfgDialog::langIndex() const { return cbLang->currentIndex(); }
