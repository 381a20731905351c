#include "chooser/folder_probe.h"

#include "platform/name_codec.h"

#include <QByteArray>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace volmarin {

namespace {

using MountKey = std::pair<int, QByteArray>;

struct Question {
    bool answered = false;
    bool isFolder = false;
    std::vector<MountKey> mountsAskedFor; // whose answer is kept for mountedOnFolder
};

// Never destroyed: a thread that waited on a dead volume may come back while the program
// ends.
struct Registry {
    std::mutex mutex;
    std::condition_variable answered;
    std::map<QByteArray, std::shared_ptr<Question>> open; // by path, until answered
    std::map<MountKey, bool> mountedOnFolder;
};

Registry& registry() {
    static Registry* const shared = new Registry;
    return *shared;
}

// The open question about path, or a new one asked on a thread of its own; nothing when no
// thread can be had. Called with the registry locked.
std::shared_ptr<Question> ask(Registry& r, const QByteArray& path) {
    std::shared_ptr<Question>& open = r.open[path];
    if (open) {
        return open;
    }
    auto question = std::make_shared<Question>();
    try {
        std::thread([&r, question, path] {
            struct stat info;
            const bool isFolder = ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
            const std::lock_guard lock(r.mutex);
            question->answered = true;
            question->isFolder = isFolder;
            for (const MountKey& mount : question->mountsAskedFor) {
                r.mountedOnFolder[mount] = isFolder;
            }
            r.open.erase(path);
            r.answered.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        r.open.erase(path);
        return nullptr;
    }
    open = question;
    return question;
}

} // namespace

FolderAnswer probeFolder(const QString& path, std::chrono::milliseconds limit) {
    Registry& r = registry();
    std::unique_lock lock(r.mutex);
    const std::shared_ptr<Question> question = ask(r, nameToBytes(path));
    if (!question || !r.answered.wait_for(lock, limit, [&] { return question->answered; })) {
        return FolderAnswer::NoAnswer;
    }
    return question->isFolder ? FolderAnswer::Folder : FolderAnswer::NotFolder;
}

std::optional<bool> mountedOnFolder(int mountId, const QString& mountPoint) {
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    const QByteArray path = nameToBytes(mountPoint);
    const MountKey key{mountId, path};
    if (const auto known = r.mountedOnFolder.find(key); known != r.mountedOnFolder.end()) {
        return known->second;
    }
    if (const std::shared_ptr<Question> question = ask(r, path)) {
        question->mountsAskedFor.push_back(key);
    }
    return std::nullopt;
}

} // namespace volmarin
