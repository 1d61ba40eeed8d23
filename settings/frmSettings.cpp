#include "settings/frmSettings.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "controls/CheckBox.h"
#include "controls/Cursors.h"
#include "controls/ErrorGuard.h"
#include "controls/FormFont.h"
#include "controls/NativeText.h"
#include "controls/OptionButton.h"
#include "controls/SparkleCanvas.h"
#include "controls/Twips.h"
#include "core/SettingsRecords.h"
#include "core/SparklePoint.h"

namespace lumora {

namespace {

template <class W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

frmSettings::frmSettings(ErrorGuard& errors, RandomSource& random) : QWidget(nullptr), errors_(errors), random_(random)
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(formDefaultFont());
    createControls();
    placeControls();
    connectControls();
}

frmSettings::~frmSettings() = default;

void frmSettings::createControls()
{
    canvas = named(new SparkleCanvas(this), "client");
    Frame1 = named(new QGroupBox(QStringLiteral("Frame Skip"), canvas), "Frame1");
    optSkip1 = named(new OptionButton(QStringLiteral("1 Frame"), Frame1), "optSkip1");
    optSkip2 = named(new OptionButton(QStringLiteral("2 Frames"), Frame1), "optSkip2");
    optSkip3 = named(new OptionButton(QStringLiteral("3 Frames"), Frame1), "optSkip3");
    optSkip4 = named(new OptionButton(QStringLiteral("4 Frames"), Frame1), "optSkip4");
    Frame2 = named(new QGroupBox(QStringLiteral("Video Options"), canvas), "Frame2");
    optScan = named(new OptionButton(QStringLiteral("Scanlines"), Frame2), "optScan");
    optScan25 = named(new OptionButton(QStringLiteral("25% Thinner Scanlines"), Frame2), "optScan25");
    optScan50 = named(new OptionButton(QStringLiteral("50% Thinner Scanlines"), Frame2), "optScan50");
    optScanNo = named(new OptionButton(QStringLiteral("No Scanlines"), Frame2), "optScanNo");
    optVga = named(new OptionButton(QStringLiteral("VGA Resolution"), Frame2), "optVga");
    optModex = named(new OptionButton(QStringLiteral("Mode x"), Frame2), "optModex");
    chkVsync = named(new CheckBox(QStringLiteral("Enable Vsync"), canvas), "chkVsync");
    chkNoAnalyse = named(new CheckBox(QStringLiteral("Skip Code Analyse"), canvas), "chkNoAnalyse");
    Label3 = named(new QLabel(QStringLiteral("Screen Shot Directory"), canvas), "Label3");
    txtScreen = named(new QLineEdit(canvas), "txtScreen");
    txtScreen->setCursor(textCursor());
    cmdClose = named(new QPushButton(QStringLiteral("Close and Save"), canvas), "cmdClose");
    tmrTimer1 = named(new QTimer(this), "tmrTimer1");
    options_ = {optSkip1, optSkip2, optSkip3, optSkip4, optScan, optScan25, optScan50, optScanNo, optVga, optModex};
}

void frmSettings::placeControls()
{
    resize(twipsSize(5655, 3390));
    canvas->setGeometry(rect());
    const struct {
        QWidget* control;
        int left, top, width, height;
    } design[] = {
        {Frame1, 120, 120, 1695, 1455},    {optSkip1, 120, 360, 1095, 195},      {optSkip2, 120, 600, 1095, 195},
        {optSkip3, 120, 840, 1095, 195},   {optSkip4, 120, 1080, 975, 195},      {Frame2, 1920, 120, 2535, 1935},
        {optScan, 120, 360, 1575, 195},    {optScan25, 120, 600, 2175, 195},     {optScan50, 120, 840, 2055, 195},
        {optScanNo, 120, 1080, 1815, 195}, {optVga, 120, 1320, 1575, 195},       {optModex, 120, 1560, 1455, 195},
        {chkVsync, 120, 1680, 1455, 195},  {chkNoAnalyse, 120, 1920, 1695, 195}, {Label3, 0, 2160, 5415, 255},
        {txtScreen, 120, 2400, 5415, 375}, {cmdClose, 3960, 2880, 1575, 375},
    };
    for (const auto& d : design) {
        d.control->setGeometry(twipsRect(d.left, d.top, d.width, d.height));
        // Like the classic controls, each one paints its own background: the
        // sparkle shows on the window around the controls, not under captions.
        d.control->setAutoFillBackground(true);
    }
    // Only the frames' captions are large; their buttons keep the form's font.
    Frame1->setFont(frameCaptionFont());
    Frame2->setFont(frameCaptionFont());
    for (OptionButton* option : options_)
        option->setFont(formDefaultFont());

    // Tab order of the design: the label (0) takes no focus, so the text box
    // comes first and holds the focus when the window is first shown.
    const QList<QWidget*> tabOrder = {txtScreen, cmdClose, chkVsync,     optVga,   optScan,  optScan25, optScan50,
                                      optScanNo, optModex, chkNoAnalyse, optSkip1, optSkip2, optSkip3,  optSkip4};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    txtScreen->setFocus();
}

void frmSettings::connectControls()
{
    connect(cmdClose, &QPushButton::clicked, this, [this] { errors_.guard([this] { cmdClose_Click(); }); });
    tmrTimer1->setInterval(sparkleIntervalMs);
    connect(tmrTimer1, &QTimer::timeout, this, [this] { errors_.guard([this] { tmrTimer1_Timer(); }); });
    tmrTimer1->start();
}

void frmSettings::Form_Load()
{
    sparkleFlag_ = 1;
    load.raise();
}

void frmSettings::cmdClose_Click() { closeAndSave.raise(); }

void frmSettings::collect(SettingsRecords& records) const
{
    records.screenshotDirectory = nativeFromText(txtScreen->text());
    for (std::size_t i = 0; i < options_.size(); ++i)
        records.options[i] = TaggedValue::fromBool(options_[i]->value());
    records.noAnalyse = static_cast<std::int16_t>(chkNoAnalyse->value());
    records.vsync = static_cast<std::int16_t>(chkVsync->value());
}

void frmSettings::applyOptions(const SettingsRecords& records)
{
    for (std::size_t i = 0; i < options_.size(); ++i)
        options_[i]->setValue(records.options[i].isTrue());
    chkNoAnalyse->setValue(records.noAnalyse);
    chkVsync->setValue(records.vsync);
}

void frmSettings::tmrTimer1_Timer()
{
    if (sparkleFlag_ == 1)
        canvas->sparkle(random_);
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
