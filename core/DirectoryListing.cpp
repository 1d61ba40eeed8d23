#include "core/DirectoryListing.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "core/PathRules.h"
#include "core/RuntimeError.h"
#include "core/platform/DirectoryReader.h"
#include "core/platform/Mounts.h"
#include "core/platform/SystemText.h"

namespace lumora {

using platform::forEachEntry;

namespace {

// From this many names, a second core sorts half of them.
constexpr std::size_t twoCoresFrom = 16384;

std::atomic<std::uint64_t> readSerial{1};

// How long a read waits for the next of its links to answer (well within the
// moment a list waits for a read), and how many workers ask them at most:
// one stuck on a link whose target never answers holds up only the links it
// has not reached.
constexpr auto linkPatience = std::chrono::milliseconds(40);
constexpr std::size_t linkWorkers = 4;

// The links of one read and what their targets have said.
struct LinkAnswers {
    enum State : unsigned char { Unasked, Asking, Folder, File };
    std::mutex mutex;
    std::condition_variable answeredOne;
    std::vector<std::string> names;
    std::vector<std::string> paths;
    std::vector<State> states;
    std::size_t next = 0;     // the next one to ask
    std::size_t answered = 0; // how many have answered
    // Once the read has gone on without some: it, and where the whole read
    // goes when the last one answers.
    std::optional<DirectorySnapshot> partial;
    std::shared_ptr<Pending<FolderReads::Snapshot>> whole;
};

// Places the answered links of `answers` in `snapshot`; the others, when
// `leaveOut` is not null, in it as unanswered.
void placeLinks(const LinkAnswers& answers, DirectorySnapshot& snapshot, std::vector<std::string>* leaveOut)
{
    for (std::size_t i = 0; i < answers.names.size(); ++i) {
        const auto state = answers.states[i];
        if (state == LinkAnswers::Folder)
            snapshot.subdirectories.push_back(answers.names[i]);
        else if (state == LinkAnswers::File)
            snapshot.files.push_back(answers.names[i]);
        else if (leaveOut != nullptr)
            leaveOut->push_back(answers.names[i]);
    }
}

void askLinks(const std::shared_ptr<LinkAnswers>& answers, const LinkQuestion& isFolder)
{
    std::unique_lock lock(answers->mutex);
    while (answers->next < answers->names.size()) {
        const std::size_t i = answers->next++;
        answers->states[i] = LinkAnswers::Asking;
        const std::string path = answers->paths[i];
        lock.unlock();
        bool folder = false;
        try {
            folder = isFolder(path);
        } catch (...) {
            // A target that cannot be asked is no folder, as a dangling link is not.
        }
        lock.lock();
        answers->states[i] = folder ? LinkAnswers::Folder : LinkAnswers::File;
        ++answers->answered;
        answers->answeredOne.notify_all();
        if (answers->answered == answers->names.size() && answers->whole) {
            auto whole = std::make_shared<DirectorySnapshot>(*answers->partial);
            whole->unanswered.clear();
            whole->answered.reset();
            placeLinks(*answers, *whole, nullptr);
            sortInListOrder(whole->subdirectories);
            sortInListOrder(whole->files);
            const auto pending = answers->whole;
            lock.unlock();
            pending->settle(Outcome<FolderReads::Snapshot>::ready(std::move(whole)));
            return;
        }
    }
}

// Asks each of `links` (names in `directory`) whether it leads to a folder,
// and places each in `snapshot` that answers in time.
void resolveLinks(const std::string& directory, std::vector<std::string> links, const LinkQuestion& isFolder,
                  DirectorySnapshot& snapshot)
{
    auto answers = std::make_shared<LinkAnswers>();
    const std::string base =
        directory.empty() || directory.back() == nativeSeparator ? directory : directory + nativeSeparator;
    for (const std::string& name : links)
        answers->paths.push_back(base + name);
    answers->names = std::move(links);
    answers->states.assign(answers->names.size(), LinkAnswers::Unasked);
    const std::size_t workers = std::min(linkWorkers, answers->names.size());
    for (std::size_t i = 0; i < workers; ++i)
        startWorker([answers, isFolder] { askLinks(answers, isFolder); });

    std::unique_lock lock(answers->mutex);
    for (std::size_t seen = 0; answers->answered < answers->names.size(); seen = answers->answered) {
        if (!answers->answeredOne.wait_for(lock, linkPatience, [&] { return answers->answered != seen; }))
            break; // none has answered for a moment: the rest come later
    }
    placeLinks(*answers, snapshot, &snapshot.unanswered);
    if (!snapshot.unanswered.empty()) {
        sortInListOrder(snapshot.unanswered);
        answers->whole = std::make_shared<Pending<FolderReads::Snapshot>>();
        snapshot.answered = answers->whole;
        answers->partial = snapshot; // sorted by the caller: the whole read sorts again
    }
}

} // namespace

std::uint64_t nextReadSerial() { return readSerial.load(); }

DirectorySnapshot readDirectory(const std::string& directory) { return readDirectory(directory, platform::isFolder); }

DirectorySnapshot readDirectory(const std::string& directory, const LinkQuestion& isFolder)
{
    DirectorySnapshot snapshot;
    snapshot.serial = readSerial.fetch_add(1);
    std::vector<std::string> links;
    forEachEntry(directory, [&](const platform::DirectoryEntry& entry) {
        if (entry.hidden)
            return;
        switch (entry.kind) {
        case platform::EntryKind::Directory: snapshot.subdirectories.emplace_back(entry.name); break;
        case platform::EntryKind::File: snapshot.files.emplace_back(entry.name); break;
        case platform::EntryKind::Link: links.emplace_back(entry.name); break;
        }
    });
    if (!links.empty())
        resolveLinks(directory, std::move(links), isFolder, snapshot);
    sortInListOrder(snapshot.subdirectories);
    sortInListOrder(snapshot.files);
    return snapshot;
}

void sortInListOrder(std::vector<std::string>& names)
{
    const auto less = [](const std::string& a, const std::string& b) { return listOrderLess(a, b); };
    if (names.size() >= twoCoresFrom) {
        const auto middle = names.begin() + static_cast<std::ptrdiff_t>(names.size() / 2);
        try {
            std::thread firstHalf([&] { std::sort(names.begin(), middle, less); });
            std::sort(middle, names.end(), less);
            firstHalf.join();
            std::inplace_merge(names.begin(), middle, names.end(), less);
            return;
        } catch (const std::system_error&) {
            // No second thread to be had: one core sorts it all.
        }
    }
    std::sort(names.begin(), names.end(), less);
}

std::vector<std::uint32_t> matchingFiles(const DirectorySnapshot& snapshot, std::string_view pattern)
{
    std::vector<std::uint32_t> rows;
    for (std::size_t i = 0; i < snapshot.files.size(); ++i)
        if (wildcardMatch(pattern, snapshot.files[i]))
            rows.push_back(static_cast<std::uint32_t>(i));
    return rows;
}

void FolderReads::begin(const std::string& directory, const std::shared_ptr<Read>& read) const
{
    startWorker([reader = reader_, directory, read] {
        auto work = [&] { return Snapshot(std::make_shared<const DirectorySnapshot>(reader(directory))); };
        read->settle(Outcome<Snapshot>::of(work));
    });
}

void FolderReads::startUpOver()
{
    startingUp_ = false;
    for (const auto& [directory, read] : std::exchange(held_, {}))
        begin(directory, read);
}

std::shared_ptr<FolderReads::Read> FolderReads::start(const std::string& directory)
{
    auto read = std::make_shared<Read>();
    if (startingUp_)
        held_.emplace_back(directory, read);
    else
        begin(directory, read);
    return read;
}

} // namespace lumora
