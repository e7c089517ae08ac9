#pragma once
// The program's one window: every control, busy mode, the clock display and
// the handlers of every operation (their bodies live in ops/ and i18n/).
#include <QColor>
#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTimer;
class TShape;

class TfrmModule : public QWidget {
    Q_OBJECT
public:
    explicit TfrmModule(QWidget* parent = nullptr);
    ~TfrmModule() override;

    // Controls, named as the operations know them.
    QLabel* pnMsg = nullptr;
    TShape* shComm = nullptr;
    QLabel* pnSerial = nullptr;
    QLabel* pnVersion = nullptr;
    QPushButton* btnScan = nullptr;
    QLabel* pnSN = nullptr;
    QLabel* pnSetDate = nullptr;
    QLabel* lblBaudRate = nullptr;
    QComboBox* cmbBaudRate = nullptr;
    QLabel* pnDate = nullptr;
    QCheckBox* chkLock = nullptr;
    QPushButton* btnBaudRate = nullptr;
    QPushButton* btnSetDate = nullptr;
    QLabel* lblAlarm = nullptr;
    QComboBox* cmbAlarm = nullptr;
    QPushButton* btnAlarm = nullptr;
    QLabel* lblTestCard = nullptr;
    QLineEdit* edCardID = nullptr;
    QPushButton* btnSetCard = nullptr;
    TShape* shDI[4] = {};
    QLabel* lblDI[4] = {};
    QCheckBox* chkDO[4] = {};
    QPushButton* btnProcess = nullptr;
    QPushButton* btnDIDO = nullptr;
    QGroupBox* gbDefault = nullptr;
    QTabWidget* pcDefault = nullptr;
    QWidget* tsDefault = nullptr;
    QPushButton* btnFactory = nullptr;
    QWidget* tsSerial = nullptr;
    QLabel* lblCommand = nullptr;
    QLineEdit* edCommand = nullptr;
    QLabel* lblRecCommand = nullptr;
    QLineEdit* edRecCommand = nullptr;
    QPushButton* btnCommand = nullptr;
    QPushButton* btnEng = nullptr;
    QPushButton* btnGB = nullptr;
    QPushButton* btnBIG5 = nullptr;
    QPushButton* btnExit = nullptr;
    QLabel* pnVELDO = nullptr;
    QTimer* tmrBusy = nullptr;
    QTimer* tmrClock = nullptr;

    // Window-level state the operations use.
    void SetBusy(bool on);
    int busyBlinkPhase() const { return blinkPhase_; }
    bool isBusy() const;
    // Paints the lamp, shows the text and sounds the tone, in that order.
    void reportOutcome(bool success, const QString& text);
    void reportRefusal();          // lamp red, message 2, low tone
    void setLamp(const QColor& colour);
    QColor lampColour() const;
    // Lets the window process its pending messages once.
    static void processMessages();

public slots:
    void FormCreate();
    void FormShow();
    void tmrBusyTimer();
    void tmrClockTimer();
    void btnExitClick();
    void edCardIDChange();

    // Settings store.
    void SaveScanSettings();
    void SaveCardID();
    void SaveLanguage();

    // Operations.
    void btnScanClick();
    void btnSetDateClick();
    void btnAlarmClick();
    void btnSetCardClick();
    void btnFactoryClick();
    void btnBaudRateClick();
    void btnDIDOClick();
    void btnCommandClick();
    void btnProcessClick();

    // Languages.
    void btnEngClick();
    void btnGBClick();
    void btnBIG5Click();

public:
    // Continuous tests (shared by DI/DO and the auto test).
    void PumpWait(int count, int sleepMs);
    void RunDIDOLoop();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Enter that no focused button took presses btnScan, the default button.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void loadSettings();
    int blinkPhase_ = 0;
    bool shownOnce_ = false;
    bool exitRequested_ = false;
    // A continuous test's handler is on the stack (from its start until its
    // caption is restored): every further click on its button is a stop.
    bool didoHandlerActive_ = false;
    bool processHandlerActive_ = false;
};

extern TfrmModule* frmModule;
