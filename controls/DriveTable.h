#pragma once

#include <QHash>
#include <QObject>
#include <QTimer>
#include <chrono>

#include "controls/LatestRequest.h"
#include "controls/ResultPort.h"
#include "controls/Seams.h"

namespace lumora {

// The machine's drives as far as they are known. The system's table of them
// is read on a worker, and each drive is asked on a worker of its own whether
// its root is a folder to browse: a drive that does not answer holds nothing
// up, and is listed by its root as not responding until it does.
class DriveTable : public QObject {
    Q_OBJECT
public:
    DriveTable(ErrorGuard& errors, DriveSource table, DriveQuestion ask);

    // None until the first refresh brings them.
    const QList<Drive>& drives() const { return drives_; }
    // Reads the table again, and asks each drive again that has answered;
    // taken before this returns when it comes within `patience`.
    void refresh(std::chrono::milliseconds patience = std::chrono::milliseconds(0));

    // The drive that `path` lies on: the one with the longest root that
    // contains it. -1 when none does.
    int indexOfPath(const QString& path) const;
    int indexOfText(const QString& text) const;

    // How long a drive may take to answer before it is listed as not
    // responding.
    static constexpr std::chrono::milliseconds answerWithin{1000};
    // How long an opening of the drive list waits for the table, which the
    // system keeps in memory: long enough that a stick just plugged in is
    // offered in that opening.
    static constexpr std::chrono::milliseconds tableWithin{100};

signals:
    void changed();

private:
    void takeTable(const QList<Drive>& table);
    void ask(const QString& root);
    void takeAnswer(const QString& root, const DriveAnswer& answer);
    void publish();

    struct Answer {
        bool waiting = false; // a question is on its way
        std::chrono::steady_clock::time_point askedAt{};
        DriveAnswer said; // as last answered
    };

    ErrorGuard& errors_;
    DriveSource source_;
    DriveQuestion ask_;
    QList<Drive> listed_;            // the table as read
    QList<Drive> drives_;            // as shown: what is no folder left out
    QHash<QString, Answer> answers_; // by root
    QTimer overdue_;                 // when a question on its way counts as unanswered
    ResultPort port_{this};
    LatestRequest<QList<Drive>> table_{errors_, this};
};

} // namespace lumora
