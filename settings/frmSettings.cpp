#include "settings/frmSettings.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "controls/CheckBox.h"
#include "controls/FormFont.h"
#include "controls/FormRuntime.h"
#include "controls/OptionButton.h"
#include "controls/SparkleCanvas.h"
#include "controls/Twips.h"
#include "core/SparklePoint.h"
#include "launcher/frmMain.h"

namespace lumora {

namespace {

template <class W>
W* place(W* widget, const char* name, int left, int top, int width, int height)
{
    placeControl(widget, name, left, top, width, height);
    // Like the classic controls, each one paints its own background: the
    // sparkle shows on the window around the controls, not under captions.
    widget->setAutoFillBackground(true);
    return widget;
}

} // namespace

frmSettings::frmSettings(FormRuntime& runtime, frmMain& main) : QWidget(nullptr), runtime_(runtime), main_(main)
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(twipsSize(5655, 3390));

    canvas = new SparkleCanvas(this);
    canvas->setObjectName(QStringLiteral("client"));
    canvas->setGeometry(rect());

    setFont(formDefaultFont());
    const QFont plain = formDefaultFont();
    auto option = [&](QGroupBox* frame, const char* name, const char* caption, int top, int width) {
        auto* button = place(new OptionButton(QString::fromLatin1(caption), frame), name, 120, top, width, 195);
        button->setFont(plain);
        return button;
    };

    Frame1 = place(new QGroupBox(QStringLiteral("Frame Skip"), canvas), "Frame1", 120, 120, 1695, 1455);
    Frame1->setFont(frameCaptionFont());
    optSkip1 = option(Frame1, "optSkip1", "1 Frame", 360, 1095);
    optSkip2 = option(Frame1, "optSkip2", "2 Frames", 600, 1095);
    optSkip3 = option(Frame1, "optSkip3", "3 Frames", 840, 1095);
    optSkip4 = option(Frame1, "optSkip4", "4 Frames", 1080, 975);

    Frame2 = place(new QGroupBox(QStringLiteral("Video Options"), canvas), "Frame2", 1920, 120, 2535, 1935);
    Frame2->setFont(frameCaptionFont());
    optScan = option(Frame2, "optScan", "Scanlines", 360, 1575);
    optScan25 = option(Frame2, "optScan25", "25% Thinner Scanlines", 600, 2175);
    optScan50 = option(Frame2, "optScan50", "50% Thinner Scanlines", 840, 2055);
    optScanNo = option(Frame2, "optScanNo", "No Scanlines", 1080, 1815);
    optVga = option(Frame2, "optVga", "VGA Resolution", 1320, 1575);
    optModex = option(Frame2, "optModex", "Mode x", 1560, 1455);

    chkVsync = place(new CheckBox(QStringLiteral("Enable Vsync"), canvas), "chkVsync", 120, 1680, 1455, 195);
    chkNoAnalyse =
        place(new CheckBox(QStringLiteral("Skip Code Analyse"), canvas), "chkNoAnalyse", 120, 1920, 1695, 195);
    Label3 = place(new QLabel(QStringLiteral("Screen Shot Directory"), canvas), "Label3", 0, 2160, 5415, 255);
    txtScreen = place(new QLineEdit(canvas), "txtScreen", 120, 2400, 5415, 375);
    cmdClose = place(new QPushButton(QStringLiteral("Close and Save"), canvas), "cmdClose", 3960, 2880, 1575, 375);

    options_ = {optSkip1, optSkip2, optSkip3, optSkip4, optScan, optScan25, optScan50, optScanNo, optVga, optModex};

    // Tab order of the design: the label (0) takes no focus, so the text box
    // comes first and holds the focus when the window is first shown.
    const QList<QWidget*> tabOrder = {txtScreen, cmdClose, chkVsync,     optVga,   optScan,  optScan25, optScan50,
                                      optScanNo, optModex, chkNoAnalyse, optSkip1, optSkip2, optSkip3,  optSkip4};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    txtScreen->setFocus();

    connect(cmdClose, &QPushButton::clicked, this, [this] { runtime_.guard([this] { cmdClose_Click(); }); });

    tmrTimer1 = new QTimer(this);
    tmrTimer1->setObjectName(QStringLiteral("tmrTimer1"));
    tmrTimer1->setInterval(sparkleIntervalMs);
    connect(tmrTimer1, &QTimer::timeout, this, [this] { runtime_.guard([this] { tmrTimer1_Timer(); }); });
    tmrTimer1->start();
}

frmSettings::~frmSettings() = default;

void frmSettings::Form_Load()
{
    sparkleFlag_ = 1;
    main_.LoadRecord(frmMain::LoadScope::SettingsWindow);
}

void frmSettings::cmdClose_Click()
{
    if (!main_.SaveRecord())
        return; // the report has been shown; the window stays open with its values
    main_.Reload();
    hide();
}

void frmSettings::tmrTimer1_Timer()
{
    if (sparkleFlag_ == 1)
        canvas->sparkle(runtime_.random());
}

void frmSettings::closeEvent(QCloseEvent* event)
{
    // Closed through its frame: unloaded at once, with no handler of the
    // program, and no further tick of its timer.
    unloaded_ = true;
    tmrTimer1->stop();
    event->accept();
}

void frmSettings::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    canvas->setGeometry(rect());
}

} // namespace lumora
