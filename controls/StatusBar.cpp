#include "controls/StatusBar.h"

#include <QLabel>
#include <QLocale>

#include "core/RuntimeError.h"

namespace lumora {

QString StatusBar::Panel::text() const { return label_->text(); }
void StatusBar::Panel::setText(const QString& text) { label_->setText(text); }

StatusBar::StatusBar(std::function<QDateTime()> clock, QWidget* parent) : QFrame(parent), clock_(std::move(clock))
{
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    midnight_ = new QTimer(this);
    midnight_->setObjectName(QStringLiteral("midnight"));
    midnight_->setSingleShot(true);
    connect(midnight_, &QTimer::timeout, this, &StatusBar::refreshDate);
}

void StatusBar::addPanel(const QString& key, PanelKind kind, int minimumWidth, bool spring)
{
    Panel panel;
    panel.key_ = key;
    panel.kind_ = kind;
    panel.minimumWidth_ = minimumWidth;
    panel.spring_ = spring;
    panel.label_ = new QLabel(this);
    panel.label_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel.label_->setObjectName(key.isEmpty() ? QStringLiteral("panel%1").arg(panels_.size() + 1) : key);
    panel.label_->setTextFormat(Qt::PlainText);
    panel.label_->setContentsMargins(2, 0, 2, 0);
    if (kind == PanelKind::Date)
        panel.label_->setAlignment(Qt::AlignCenter);
    panels_.push_back(panel);
    if (kind == PanelKind::Date)
        refreshDate();
    layoutPanels();
}

StatusBar::Panel& StatusBar::panel(const QString& key)
{
    for (Panel& p : panels_)
        if (p.key_ == key)
            return p;
    throw RuntimeError(err::ElementNotFound, key.toStdString());
}

void StatusBar::refreshDate()
{
    const QDateTime now = clock_ ? clock_() : QDateTime::currentDateTime();
    const QString date = QLocale::system().toString(now.date(), QLocale::ShortFormat);
    for (Panel& p : panels_)
        if (p.kind_ == PanelKind::Date)
            p.label_->setText(date);
    // A second past midnight, so that the new day has surely begun.
    const QDateTime next(now.date().addDays(1), QTime(0, 0, 1));
    midnight_->start(int(std::max<qint64>(1000, now.msecsTo(next))));
}

void StatusBar::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    layoutPanels();
}

void StatusBar::layoutPanels()
{
    int fixed = 0;
    for (const Panel& p : panels_)
        if (!p.spring_)
            fixed += p.minimumWidth_;
    int x = 0;
    for (Panel& p : panels_) {
        const int w = p.spring_ ? std::max(p.minimumWidth_, width() - fixed) : p.minimumWidth_;
        p.label_->setGeometry(x, 0, w, height());
        x += w;
    }
}

} // namespace lumora
