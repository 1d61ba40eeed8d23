#include "controls/DriveTable.h"

#include <QDir>
#include <algorithm>

#include "controls/NativeText.h"
#include "core/PathRules.h"

namespace lumora {

DriveTable::DriveTable(ErrorGuard& errors, DriveSource table, DriveQuestion ask)
    : errors_(errors), source_(std::move(table)), ask_(std::move(ask))
{
    overdue_.setSingleShot(true);
    connect(&overdue_, &QTimer::timeout, this, &DriveTable::publish);
}

void DriveTable::refresh(std::chrono::milliseconds patience)
{
    table_.ask(
        {}, [source = source_](const StopFlag&) { return Pending<QList<Drive>>::start(source); },
        [this](const QList<Drive>& table) { takeTable(table); },
        [](const RuntimeError&) {}, // the table cannot be read: the drives stay
        patience, LatestRequest<QList<Drive>>::Waiting::Quiet);
}

void DriveTable::takeTable(const QList<Drive>& table)
{
    listed_ = table;
    for (const Drive& drive : listed_)
        ask(drive.root);
    publish();
}

void DriveTable::ask(const QString& root)
{
    Answer& answer = answers_[root];
    if (answer.waiting)
        return; // still stuck in the last question: one is enough
    answer.waiting = true;
    answer.askedAt = std::chrono::steady_clock::now();
    whenSettled(
        errors_, port_, Pending<DriveAnswer>::start([ask = ask_, root] { return ask(root); }),
        std::chrono::milliseconds(0),
        [this, root](const Outcome<DriveAnswer>& outcome) {
            takeAnswer(root, outcome.error() ? DriveAnswer{false} : outcome.get());
        },
        [] {});
}

void DriveTable::takeAnswer(const QString& root, const DriveAnswer& said)
{
    Answer& answer = answers_[root];
    answer.waiting = false;
    answer.said = said;
    publish();
}

void DriveTable::publish()
{
    const auto now = std::chrono::steady_clock::now();
    QList<Drive> shown;
    auto nextDue = std::chrono::steady_clock::time_point::max();
    for (const Drive& drive : listed_) {
        const Answer& answer = answers_[drive.root];
        if (!answer.said.browsable)
            continue;
        if (answer.waiting && now - answer.askedAt >= answerWithin) {
            shown.append(
                {drive.unanswered.isEmpty() ? QStringLiteral("%1 [not responding]").arg(drive.root) : drive.unanswered,
                 drive.root});
            continue;
        }
        shown.append({answer.said.text.isEmpty() ? drive.text : answer.said.text, drive.root});
        if (answer.waiting)
            nextDue = std::min(nextDue, answer.askedAt + answerWithin);
    }
    if (nextDue != std::chrono::steady_clock::time_point::max())
        overdue_.start(std::max(std::chrono::duration_cast<std::chrono::milliseconds>(nextDue - now),
                                std::chrono::milliseconds(1)));
    if (shown == drives_)
        return;
    drives_ = shown;
    emit changed();
}

int DriveTable::indexOfPath(const QString& path) const
{
    std::vector<std::string> roots;
    roots.reserve(std::size_t(drives_.size()));
    for (const Drive& d : drives_)
        roots.push_back(nativeFromText(QDir::toNativeSeparators(d.root)));
    const std::string root = longestMatchingRoot(nativeFromText(QDir::toNativeSeparators(path)), roots);
    if (root.empty())
        return -1;
    for (int i = 0; i < drives_.size(); ++i)
        if (roots[std::size_t(i)] == root)
            return i;
    return -1;
}

int DriveTable::indexOfText(const QString& text) const
{
    for (int i = 0; i < drives_.size(); ++i)
        if (drives_[i].text == text)
            return i;
    return -1;
}

} // namespace lumora
