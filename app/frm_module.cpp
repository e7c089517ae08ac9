#include "app/frm_module.h"

#include "app/beep.h"
#include "app/colours.h"
#include "app/globals.h"
#include "app/settings_store.h"
#include "app/shape.h"
#include "i18n/catalogue.h"
#include "link/com_ports.h"
#include "link/exchange.h"
#include "link/line_settings.h"
#include "res/pictures.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

TfrmModule* frmModule = nullptr;

namespace {

const char* const AlarmItems[] = {"Alarm Off",  "Steal Alarm",  "Help Alarm",  "Fire Alarm",
                                  "Gas Alarm", "Forced Alarm", "Duress Alarm"};

QFont pixelFont(int pixels, bool bold, const char* family = "MS Sans Serif") {
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// A panel showing text: centred, on its own colour, with a border.
enum class Border { Single, Lowered };

QLabel* makePanel(QWidget* parent, const QRect& geometry, const QString& text, const QFont& font,
                  const QColor& text_colour, const QColor& background, Border border) {
    auto* panel = new QLabel(text, parent);
    panel->setGeometry(geometry);
    panel->setFont(font);
    panel->setAlignment(Qt::AlignCenter);
    panel->setTextFormat(Qt::PlainText);
    const QString edge = border == Border::Single
                             ? QStringLiteral("border: 1px solid #000000;")
                             : QStringLiteral("border: 1px solid; border-color: #808080 #FFFFFF #FFFFFF #808080;");
    panel->setStyleSheet(QStringLiteral("QLabel { background-color: %1; color: %2; %3 }")
                             .arg(background.name(), text_colour.name(), edge));
    return panel;
}

QLabel* makeLabel(QWidget* parent, const QRect& geometry, const QString& text, int pixels,
                  Qt::Alignment alignment) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setFont(pixelFont(pixels, false));
    label->setAlignment(alignment);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void setColours(QWidget* widget, QPalette::ColorRole backgroundRole, const QColor& background,
                QPalette::ColorRole textRole, const QColor& text) {
    // A disabled control keeps the application's grey text.
    QPalette palette = widget->palette();
    palette.setColor(backgroundRole, background);
    for (auto group : {QPalette::Active, QPalette::Inactive}) palette.setColor(group, textRole, text);
    widget->setPalette(palette);
}

// Bold 16 px yellow on the highlight colour, for the two drop-down lists.
void applyDisplayLook(QComboBox* combo) {
    combo->setFont(pixelFont(16, true));
    QPalette palette = combo->palette();
    for (auto role : {QPalette::Button, QPalette::Base, QPalette::Window})
        palette.setColor(role, clHighlight);
    for (auto role : {QPalette::ButtonText, QPalette::Text, QPalette::WindowText})
        palette.setColor(role, clYellow);
    palette.setColor(QPalette::Highlight, clYellow);
    palette.setColor(QPalette::HighlightedText, clHighlight);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, clYellow);
    palette.setColor(QPalette::Disabled, QPalette::Text, clYellow);
    palette.setColor(QPalette::Disabled, QPalette::Button, clHighlight);
    palette.setColor(QPalette::Disabled, QPalette::Base, clHighlight);
    combo->setPalette(palette);
}

// Bold 16 px white on the given colour, for the three edits.
void applyEditLook(QLineEdit* edit, const QColor& background) {
    edit->setFont(pixelFont(16, true));
    QPalette palette = edit->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, background);
        palette.setColor(group, QPalette::Text, clWhite);
        palette.setColor(group, QPalette::Highlight, clWhite);
        palette.setColor(group, QPalette::HighlightedText, clHighlight);
    }
    edit->setPalette(palette);
}

QPushButton* makeButton(QWidget* parent, const QRect& geometry, const QString& text,
                        const QPixmap& picture = {}) {
    auto* button = new QPushButton(text, parent);
    button->setGeometry(geometry);
    if (!picture.isNull()) {
        button->setIcon(QIcon(picture));
        button->setIconSize(picture.deviceIndependentSize().toSize());
    }
    // A focused button takes Enter itself; elsewhere Enter goes to btnScan.
    button->setAutoDefault(true);
    return button;
}

// A push button that shows its picture centred above the caption.
class PictureAboveButton : public QPushButton {
public:
    PictureAboveButton(const QString& text, const QPixmap& picture, QWidget* parent)
        : QPushButton(text, parent), picture_(picture) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        option.icon = QIcon();
        painter.drawControl(QStyle::CE_PushButtonBevel, option);

        const QSize pictureSize = picture_.deviceIndependentSize().toSize();
        const int textHeight = fontMetrics().height();
        const int gap = 6;
        int top = (height() - pictureSize.height() - gap - textHeight) / 2;
        if (isDown()) top += 1;
        const QPixmap shown = QIcon(picture_).pixmap(pictureSize, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        painter.drawPixmap((width() - pictureSize.width()) / 2, top, shown);
        const QRect textRect(2, top + pictureSize.height() + gap, width() - 4, textHeight);
        style()->drawItemText(&painter, textRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic,
                              palette(), isEnabled(), text(), QPalette::ButtonText);
        if (hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = rect().adjusted(4, 4, -4, -4);
            painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
    }

private:
    QPixmap picture_;
};

// Lamps speak as indicators, with their colour as the description.
QAccessibleInterface* shapeAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("TShape") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Indicator);
    return nullptr;
}

} // namespace

TfrmModule::TfrmModule(QWidget* parent) : QWidget(parent) {
    static const bool factoryInstalled = (QAccessible::installFactory(shapeAccessible), true);
    (void)factoryInstalled;

    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(560, 435);
    setWindowTitle(QStringLiteral("VELDO QX530RM-V3 Config V3.20-01"));
    setWindowIcon(windowIconPicture());
    setFont(pixelFont(16, true));
    setAutoFillBackground(true);
    setColours(this, QPalette::Window, clBtnFace, QPalette::WindowText, clWindowText);

    buildControls();
    setProcessMessages(&TfrmModule::processMessages);
    FormCreate();
}

TfrmModule::~TfrmModule() {
    setProcessMessages({});
    if (frmModule == this) frmModule = nullptr;
}

void TfrmModule::buildControls() {
    const QFont display = pixelFont(16, true);

    pnMsg = makePanel(this, {8, 4, 345, 40}, QStringLiteral("Start Scan Controller"), display, clWhite,
                      clActiveCaption, Border::Lowered);
    shComm = new TShape(pnMsg);
    shComm->setGeometry(314, 8, 23, 20);
    shComm->setBrushColor(clRed);
    shComm->setAccessibleName(QStringLiteral("Status lamp"));

    pnSerial = makePanel(this, {8, 48, 169, 28}, QStringLiteral("QX530RM_  ID : __"), display, clYellow,
                         clHighlight, Border::Single);
    pnVersion = makePanel(this, {184, 48, 169, 28}, QStringLiteral("VER : __.__-__"), display, clYellow,
                          clHighlight, Border::Single);
    btnScan = makeButton(this, {184, 78, 169, 33}, QStringLiteral("&Scan Controller"), magnifierPicture());
    btnScan->setDefault(true);
    pnSN = makePanel(this, {8, 80, 169, 28}, QStringLiteral("S / N : 00000000"), display, clYellow,
                     clHighlight, Border::Single);
    pnSetDate = makePanel(this, {184, 114, 169, 25}, QStringLiteral("2001/01/01 12:00:00"),
                          pixelFont(13, true), clWhite, clGrayText, Border::Single);
    lblBaudRate = makeLabel(this, {8, 117, 169, 22}, QStringLiteral("Baud Rate"), 13,
                            Qt::AlignHCenter | Qt::AlignTop);
    cmbBaudRate = new QComboBox(this);
    cmbBaudRate->setGeometry(24, 136, 155, 28);
    for (const char* item : LineSettings) cmbBaudRate->addItem(QString::fromLatin1(item));
    applyDisplayLook(cmbBaudRate);
    lblBaudRate->setBuddy(cmbBaudRate);
    pnDate = makePanel(this, {184, 138, 169, 25}, QStringLiteral("___/__/__  __:__:__"), pixelFont(13, true),
                       clYellow, clHighlight, Border::Single);
    chkLock = new QCheckBox(QStringLiteral("chkLock"), this);
    chkLock->setGeometry(4, 140, 17, 17);
    chkLock->setChecked(true);
    btnBaudRate = makeButton(this, {8, 166, 169, 33}, QStringLiteral("Set &Baud Rate"), telephonePicture());
    btnSetDate = makeButton(this, {184, 166, 169, 33}, QStringLiteral("Set Date Time"), stopwatchPicture());
    lblAlarm = makeLabel(this, {8, 213, 169, 22}, QStringLiteral("Alarm Test :"), 13,
                         Qt::AlignRight | Qt::AlignTop);
    cmbAlarm = new QComboBox(this);
    cmbAlarm->setGeometry(184, 208, 171, 28);
    for (const char* item : AlarmItems) cmbAlarm->addItem(QString::fromLatin1(item));
    applyDisplayLook(cmbAlarm);
    lblAlarm->setBuddy(cmbAlarm);
    btnAlarm = makeButton(this, {8, 238, 345, 33}, QStringLiteral("Alarm Test"), telephonePicture());
    lblTestCard = makeLabel(this, {8, 285, 169, 22}, QStringLiteral("Test Card ID :"), 13,
                            Qt::AlignRight | Qt::AlignTop);
    edCardID = new QLineEdit(QStringLiteral("00000000"), this);
    edCardID->setGeometry(184, 280, 169, 28);
    edCardID->setMaxLength(8);
    applyEditLook(edCardID, clHighlight);
    lblTestCard->setBuddy(edCardID);
    btnSetCard = makeButton(this, {8, 314, 345, 33}, QStringLiteral("Add Reader and Card"), cardReaderPicture());

    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 1);
        shDI[i] = new TShape(this);
        shDI[i]->setGeometry(2 + 40 * i, 352, 23, 15);
        shDI[i]->setAccessibleName(QStringLiteral("DI") + n + QStringLiteral(" lamp"));
        lblDI[i] = makeLabel(this, {24 + 40 * i, 354, 25, 17}, QStringLiteral("DI") + n, 11,
                             Qt::AlignLeft | Qt::AlignTop);
    }
    const int doLeft[4] = {168, 216, 262, 308};
    for (int i = 0; i < 4; ++i) {
        chkDO[i] = new QCheckBox(QStringLiteral("DO") + QString::number(i + 1), this);
        chkDO[i]->setGeometry(doLeft[i], 352, 49, 17);
        chkDO[i]->setFont(pixelFont(11, false));
    }
    btnProcess = makeButton(this, {8, 376, 249, 33}, QStringLiteral("&Auto Test"), progressBarPicture());
    btnDIDO = makeButton(this, {264, 376, 89, 33}, QStringLiteral("DI/DO"), barPicture());
    btnDIDO->setFont(pixelFont(13, true));
    setColours(btnDIDO, QPalette::Button, clBtnFace, QPalette::ButtonText, clBlack);

    gbDefault = new QGroupBox(QStringLiteral("Quick Setting"), this);
    gbDefault->setGeometry(360, 4, 193, 333);
    pcDefault = new QTabWidget(gbDefault);
    pcDefault->setGeometry(6, 30, 182, 294);
    pcDefault->setFont(pixelFont(16, false));
    pcDefault->setDocumentMode(true);
    pcDefault->tabBar()->setExpanding(false);
    pcDefault->setUsesScrollButtons(false);
    tsDefault = new QWidget;
    tsDefault->setFont(pixelFont(16, false));
    pcDefault->addTab(tsDefault, QStringLiteral("Default"));
    btnFactory = new PictureAboveButton(QStringLiteral("(Factory &Default)"), keypadPicture(), tsDefault);
    btnFactory->setGeometry(4, 6, 165, 243);
    btnFactory->setFont(pixelFont(16, true));
    btnFactory->setAutoDefault(true);
    tsSerial = new QWidget;
    tsSerial->setFont(pixelFont(16, false));
    pcDefault->addTab(tsSerial, QStringLiteral("Command"));
    lblCommand = makeLabel(tsSerial, {5, 29, 169, 22}, QStringLiteral("Test Command"), 13,
                           Qt::AlignHCenter | Qt::AlignTop);
    edCommand = new QLineEdit(QStringLiteral("AB"), tsSerial);
    edCommand->setGeometry(5, 52, 169, 28);
    edCommand->setMaxLength(30);
    applyEditLook(edCommand, clHighlight);
    lblCommand->setBuddy(edCommand);
    lblRecCommand = makeLabel(tsSerial, {5, 109, 169, 22}, QStringLiteral("Rec Command"), 13,
                              Qt::AlignHCenter | Qt::AlignTop);
    edRecCommand = new QLineEdit(tsSerial);
    edRecCommand->setGeometry(5, 132, 169, 28);
    edRecCommand->setReadOnly(true);
    applyEditLook(edRecCommand, clGrayText);
    lblRecCommand->setBuddy(edRecCommand);
    btnCommand = makeButton(tsSerial, {5, 199, 169, 33}, QStringLiteral("Test Command"), cardReaderPicture());
    pcDefault->setCurrentWidget(tsDefault);

    btnEng = makeButton(this, {359, 344, 62, 24}, QStringLiteral("English"));
    btnEng->setFont(pixelFont(13, false));
    setColours(btnEng, QPalette::Button, clBtnFace, QPalette::ButtonText, clRed);
    btnGB = makeButton(this, {426, 344, 62, 24}, QString(), simplifiedPicture());
    btnGB->setAccessibleName(QStringLiteral("簡体"));
    btnBIG5 = makeButton(this, {492, 344, 62, 24}, QString(), traditionalPicture());
    btnBIG5->setAccessibleName(QStringLiteral("繁體"));
    btnExit = makeButton(this, {360, 376, 193, 33}, QStringLiteral("&Exit"));
    btnExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    btnExit->setIconSize(QSize(16, 16));
    pnVELDO = makePanel(this, {0, 413, 561, 21}, catalogueText(0, 0), pixelFont(11, false, "Microsoft Sans Serif"),
                        clWhite, clPurple, Border::Single);

    tmrBusy = new QTimer(this);
    tmrBusy->setInterval(200);
    tmrClock = new QTimer(this);
    tmrClock->setInterval(500);

    // Names as the operations know them, for tests and assistive tools.
    const std::pair<QObject*, const char*> names[] = {
        {pnMsg, "pnMsg"},           {shComm, "shComm"},         {pnSerial, "pnSerial"},
        {pnVersion, "pnVersion"},   {btnScan, "btnScan"},       {pnSN, "pnSN"},
        {pnSetDate, "pnSetDate"},   {lblBaudRate, "lblBaudRate"}, {cmbBaudRate, "cmbBaudRate"},
        {pnDate, "pnDate"},         {chkLock, "chkLock"},       {btnBaudRate, "btnBaudRate"},
        {btnSetDate, "btnSetDate"}, {lblAlarm, "lblAlarm"},     {cmbAlarm, "cmbAlarm"},
        {btnAlarm, "btnAlarm"},     {lblTestCard, "lblTestCard"}, {edCardID, "edCardID"},
        {btnSetCard, "btnSetCard"}, {btnProcess, "btnProcess"}, {btnDIDO, "btnDIDO"},
        {gbDefault, "gbDefault"},   {pcDefault, "pcDefault"},   {tsDefault, "tsDefault"},
        {btnFactory, "btnFactory"}, {tsSerial, "tsSerial"},     {lblCommand, "lblCommand"},
        {edCommand, "edCommand"},   {lblRecCommand, "lblRecCommand"}, {edRecCommand, "edRecCommand"},
        {btnCommand, "btnCommand"}, {btnEng, "btnEng"},         {btnGB, "btnGB"},
        {btnBIG5, "btnBIG5"},       {btnExit, "btnExit"},       {pnVELDO, "pnVELDO"},
        {tmrBusy, "tmrBusy"},       {tmrClock, "tmrClock"}};
    for (const auto& [object, name] : names) object->setObjectName(QString::fromLatin1(name));
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 1);
        shDI[i]->setObjectName(QStringLiteral("shDI") + n);
        lblDI[i]->setObjectName(QStringLiteral("lblDI") + n);
        chkDO[i]->setObjectName(QStringLiteral("chkDO") + n);
    }
    setObjectName(QStringLiteral("frmModule"));

    // Keyboard order: the scan first, then the controls as they are laid out.
    QWidget* order[] = {btnScan,    cmbBaudRate, chkLock,   btnBaudRate, btnSetDate, cmbAlarm,
                        btnAlarm,   edCardID,    btnSetCard, chkDO[0],   chkDO[1],   chkDO[2],
                        chkDO[3],   btnProcess,  btnDIDO,   pcDefault,   btnFactory, edCommand,
                        edRecCommand, btnCommand, btnEng,   btnGB,       btnBIG5,    btnExit};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    btnScan->setFocus();

    connect(btnScan, &QPushButton::clicked, this, [this] { btnScanClick(); });
    connect(btnBaudRate, &QPushButton::clicked, this, [this] { btnBaudRateClick(); });
    connect(btnSetDate, &QPushButton::clicked, this, [this] { btnSetDateClick(); });
    connect(btnAlarm, &QPushButton::clicked, this, [this] { btnAlarmClick(); });
    connect(btnSetCard, &QPushButton::clicked, this, [this] { btnSetCardClick(); });
    connect(btnProcess, &QPushButton::clicked, this, [this] { btnProcessClick(); });
    connect(btnDIDO, &QPushButton::clicked, this, [this] { btnDIDOClick(); });
    connect(btnFactory, &QPushButton::clicked, this, [this] { btnFactoryClick(); });
    connect(btnCommand, &QPushButton::clicked, this, [this] { btnCommandClick(); });
    connect(btnEng, &QPushButton::clicked, this, [this] { btnEngClick(); });
    connect(btnGB, &QPushButton::clicked, this, [this] { btnGBClick(); });
    connect(btnBIG5, &QPushButton::clicked, this, [this] { btnBIG5Click(); });
    connect(btnExit, &QPushButton::clicked, this, [this] { btnExitClick(); });
    for (QLineEdit* edit : {edCardID, edCommand, edRecCommand})
        connect(edit, &QLineEdit::textChanged, this, [this] { edCardIDChange(); });
    connect(tmrBusy, &QTimer::timeout, this, [this] { tmrBusyTimer(); });
    connect(tmrClock, &QTimer::timeout, this, [this] { tmrClockTimer(); });
    tmrClock->start();
}

void TfrmModule::FormCreate() {
    loadSettings();
    {
        // The value just read needs no save: storing it again would only
        // rewrite the file at every start.
        const QSignalBlocker noSave(edCardID);
        edCardID->setText(QString::fromStdString(ScanCardID));
    }
    // The window has no close box; closeEvent refuses every request but Exit's.
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    TestRunning = false;
    ControllerFound = false;
    cmbAlarm->setCurrentIndex(0);
    cmbBaudRate->setCurrentIndex(ScanBaudRateNo);
}

void TfrmModule::loadSettings() { ::loadSettings(configDirectory()); }

void TfrmModule::SaveScanSettings() { saveScanSettings(configDirectory()); }

void TfrmModule::SaveCardID() { saveCardID(configDirectory()); }

void TfrmModule::SaveLanguage() { saveLanguage(configDirectory()); }

void TfrmModule::edCardIDChange() {
    ScanCardID = edCardID->text().toStdString();
    SaveCardID();
}

void TfrmModule::SetBusy(bool on) {
    if (on) {
        tmrBusy->start();
        setEnabled(false);
    } else {
        setEnabled(true);
        tmrBusy->stop();
    }
}

bool TfrmModule::isBusy() const { return tmrBusy->isActive(); }

void TfrmModule::tmrBusyTimer() {
    if (blinkPhase_ == 1) {
        blinkPhase_ = 0;
        setLamp(clYellow);
    } else {
        blinkPhase_ = 1;
        setLamp(clRed);
    }
}

void TfrmModule::tmrClockTimer() {
    pnSetDate->setText(QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")));
}

void TfrmModule::btnExitClick() {
    exitRequested_ = true;
    if (!close()) exitRequested_ = false;
}

void TfrmModule::closeEvent(QCloseEvent* event) {
    if (exitRequested_) event->accept();
    else event->ignore();
}

void TfrmModule::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void TfrmModule::keyPressEvent(QKeyEvent* event) {
    // Enter that no focused button took presses the default button.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && btnScan->isEnabled() &&
        btnScan->isVisible()) {
        btnScan->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TfrmModule::setLamp(const QColor& colour) { shComm->setBrushColor(colour); }

QColor TfrmModule::lampColour() const { return shComm->brushColor(); }

void TfrmModule::reportOutcome(bool success, const QString& text) {
    setLamp(success ? clYellow : clRed);
    pnMsg->setText(text);
    // Shown before the tone, which holds the thread until it ends.
    pnMsg->repaint();
    Beep(success ? HighBeepHz : LowBeepHz, BeepMs);
}

void TfrmModule::reportRefusal() {
    setLamp(clRed);
    pnMsg->setText(Msg(2));
    pnMsg->repaint();
    Beep(LowBeepHz, BeepMs);
}

void TfrmModule::processMessages() { QCoreApplication::processEvents(); }
