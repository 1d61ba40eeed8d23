#pragma once

#include <QDateTime>
#include <QFrame>
#include <QTimer>
#include <deque>
#include <functional>

class QLabel;

namespace lumora {

// A status bar of panels found by key. Panels of the date kind show today's
// date in the system's short format and turn over at midnight.
class StatusBar : public QFrame {
    Q_OBJECT
public:
    enum class PanelKind { Text, Date };

    class Panel {
    public:
        QString text() const;
        void setText(const QString& text);

    private:
        friend class StatusBar;
        QString key_;
        PanelKind kind_ = PanelKind::Text;
        int minimumWidth_ = 0;
        bool spring_ = false;
        QLabel* label_ = nullptr;
    };

    explicit StatusBar(std::function<QDateTime()> clock, QWidget* parent = nullptr);

    // A spring panel takes whatever width the others leave.
    void addPanel(const QString& key, PanelKind kind, int minimumWidth, bool spring);
    // Raises RuntimeError 35601 ("Element not found") for an unknown key.
    Panel& panel(const QString& key);
    Panel& panelAt(int index) { return panels_.at(std::size_t(index)); }
    int panelCount() const { return int(panels_.size()); }

    // Shows the clock's date again and schedules the next midnight.
    void refreshDate();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutPanels();

    std::function<QDateTime()> clock_;
    // A deque, so that adding a panel leaves the ones handed out where they are.
    std::deque<Panel> panels_;
    QTimer* midnight_ = nullptr; // a child, so that it can be found by name
};

} // namespace lumora
