// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PosixFileSystem.h"

#include "platform/FileAttributes.h"
#include "platform/FolderFileSystem.h"
#include "platform/FolderVolumeQuery.h"

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

namespace tallyvane {
namespace {

constexpr int FolderOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr std::size_t KernelBufferSize = 32 * 1024;

// A mutex that spins a moment before it sleeps: the session's critical sections are much
// shorter than putting a thread to sleep and waking it again.
class SpinningMutex {
public:
    SpinningMutex()
    {
        pthread_mutexattr_t attributes;
        pthread_mutexattr_init(&attributes);
        pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_ADAPTIVE_NP);
        pthread_mutex_init(&m_mutex, &attributes);
        pthread_mutexattr_destroy(&attributes);
    }
    ~SpinningMutex() { pthread_mutex_destroy(&m_mutex); }
    SpinningMutex(const SpinningMutex&) = delete;
    SpinningMutex& operator=(const SpinningMutex&) = delete;

    void lock() { pthread_mutex_lock(&m_mutex); }
    void unlock() { pthread_mutex_unlock(&m_mutex); }
    pthread_mutex_t* handle() { return &m_mutex; }

private:
    pthread_mutex_t m_mutex;
};

class Condition {
public:
    Condition() = default;
    ~Condition() { pthread_cond_destroy(&m_condition); }
    Condition(const Condition&) = delete;
    Condition& operator=(const Condition&) = delete;

    void wait(std::unique_lock<SpinningMutex>& lock) { pthread_cond_wait(&m_condition, lock.mutex()->handle()); }
    void wakeOne() { pthread_cond_signal(&m_condition); }
    void wakeAll() { pthread_cond_broadcast(&m_condition); }

private:
    pthread_cond_t m_condition = PTHREAD_COND_INITIALIZER;
};

struct FileId {
    dev_t device;
    ino_t inode;
    bool operator==(const FileId&) const = default;
};

struct FileIdHash {
    std::size_t operator()(const FileId& id) const noexcept
    {
        return std::hash<std::uint64_t>{}(static_cast<std::uint64_t>(id.inode) * 0x9E3779B97F4A7C15u
                                          ^ static_cast<std::uint64_t>(id.device));
    }
};

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    Descriptor(Descriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept
    {
        reset(std::exchange(other.m_fd, -1));
        return *this;
    }
    ~Descriptor() { reset(); }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

std::uint32_t attributesOf(mode_t mode, const char* name)
{
    std::uint32_t attributes = 0;
    if (S_ISDIR(mode))
        attributes |= Attribute::Directory;
    else if (S_ISLNK(mode))
        attributes |= Attribute::ReparsePoint;
    if (name[0] == '.')
        attributes |= Attribute::Hidden;
    if (!(mode & S_IWUSR))
        attributes |= Attribute::ReadOnly;
    return attributes ? attributes : Attribute::Normal;
}

std::optional<FileId> identityOf(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return std::nullopt;
    return FileId{st.st_dev, st.st_ino};
}

class EmptyListing final : public FolderListing {
public:
    bool next(FolderItem&) override { return false; }
    std::unique_ptr<FolderListing> openItem() override { return std::make_unique<EmptyListing>(); }
};

// The records of one getdents64 batch, statted and packed: each a head, then the name and its
// terminating zero, padded to the head's alignment.
struct RecordHead {
    std::int64_t size;
    std::uint64_t device;
    std::uint64_t inode;
    std::uint32_t links;
    std::uint32_t attributes;
    std::uint16_t nameLength;
    bool folder; // a folder other than "." and "..": a Folder stands for it among the children
};

std::size_t footprint(std::size_t nameLength)
{
    return (sizeof(RecordHead) + nameLength + 1 + alignof(RecordHead) - 1) & ~(alignof(RecordHead) - 1);
}

struct Block {
    std::unique_ptr<char[]> bytes;
    std::size_t used = 0;
    std::size_t count = 0;
};

// A first-in first-out queue that frees nothing until it runs empty and keeps its first
// `Inline` items in place: most folders hold one block and a child or two, and whatever a
// worker allocates for a folder the scan frees, on another thread, at a cost.
template <typename T, std::size_t Inline>
class Queue {
public:
    bool empty() const { return m_head == m_size; }
    void push(T item)
    {
        if (m_size < Inline)
            m_inline[m_size] = std::move(item);
        else
            m_overflow.push_back(std::move(item));
        ++m_size;
    }
    // Room for `extra` more pushes, which then cannot fail.
    void reserve(std::size_t extra)
    {
        const std::size_t beyond = m_size + extra > Inline ? m_size + extra - Inline : 0;
        if (beyond > m_overflow.capacity())
            m_overflow.reserve(std::max(beyond, 2 * m_overflow.capacity()));
    }
    T pop()
    {
        T item = std::move(at(m_head++));
        if (empty()) {
            m_overflow.clear();
            m_head = m_size = 0;
        }
        return item;
    }
    // The items not popped yet, in order.
    template <typename Visit>
    void forEach(Visit visit)
    {
        for (std::size_t i = m_head; i < m_size; ++i)
            visit(at(i));
    }

private:
    T& at(std::size_t i) { return i < Inline ? m_inline[i] : m_overflow[i - Inline]; }

    std::array<T, Inline> m_inline{};
    std::vector<T> m_overflow;
    std::size_t m_head = 0;
    std::size_t m_size = 0;
};

struct Folder;

// Folders waiting for a worker, linked through the folders themselves so that any of them
// leaves the list in constant time.
class WorkList {
public:
    Folder* first() const { return m_first; }
    void insertAfter(Folder* position, Folder* folder); // position null: at the front
    void pushBack(Folder* folder);
    void remove(Folder* folder);
    bool holds(const Folder* folder) const;

private:
    Folder* m_first = nullptr;
    Folder* m_last = nullptr;
};

enum class Stage { Pending, Opening, Listing, Listed };
enum class Owner { None, Worker, Scan };

// A folder of the scan, from the moment its record is listed until the scan leaves it. The
// fields other than the name and the parent are guarded by the session's mutex, except that
// whoever owns the folder reads its descriptor and writes fd and id while opening it.
struct Folder {
    // The folder and its name take one allocation: the scan frees what the workers allocate.
    static std::unique_ptr<Folder> make(Folder* parent, std::string_view name, FileId id)
    {
        void* memory = ::operator new(sizeof(Folder) + name.size() + 1);
        char* text = static_cast<char*>(memory) + sizeof(Folder);
        std::memcpy(text, name.data(), name.size());
        text[name.size()] = 0;
        return std::unique_ptr<Folder>(new (memory) Folder(parent, text, id));
    }
    static void operator delete(void* memory) { ::operator delete(memory); }

    Folder* const parent;
    const char* const name; // in its parent; for the analysed folder, the path it was opened by
    FileId id;              // zero until known
    const std::size_t depth; // below the analysed folder

    Stage stage = Stage::Pending;
    Owner owner = Owner::None;
    bool unusable = false;     // could not be opened, or must not be entered
    bool fillsBuffer = false;  // its file system's fillsListingBuffer, set as it is opened
    bool finishWanted = false; // the scan reads the rest itself and closes it
    std::atomic<bool> abandoned{false};
    Descriptor fd;
    // A descriptor of a folder the scan finished below this one, `upLevels` levels down:
    // going up from it by ".." reopens this folder in one call.
    Descriptor up;
    unsigned upLevels = 0;
    Queue<Block, 1> blocks;                     // listed, not yet delivered
    Queue<std::unique_ptr<Folder>, 2> children; // one per folder record, not yet entered
    std::size_t openingChildren = 0;              // being opened with this folder's descriptor
    std::size_t pendingChildren = 0;              // not opened yet: they need this folder's descriptor
    Folder* lastQueuedChild = nullptr;

    WorkList* list = nullptr;
    Folder* previousWork = nullptr;
    Folder* nextWork = nullptr;
    // Chains a subtree of folders while the scan gives it up or frees it: that needs no memory,
    // so it cannot fail while a failure unwinds the scan.
    Folder* swept = nullptr;

private:
    Folder(Folder* parent, const char* name, FileId id) noexcept
        : parent(parent), name(name), id(id), depth(parent ? parent->depth + 1 : 0)
    {
    }
};

void WorkList::insertAfter(Folder* position, Folder* folder)
{
    folder->list = this;
    folder->previousWork = position;
    folder->nextWork = position ? position->nextWork : m_first;
    (folder->nextWork ? folder->nextWork->previousWork : m_last) = folder;
    (position ? position->nextWork : m_first) = folder;
}

void WorkList::pushBack(Folder* folder)
{
    insertAfter(m_last, folder);
}

void WorkList::remove(Folder* folder)
{
    if (folder->list != this)
        return;
    if (folder->parent && folder->parent->lastQueuedChild == folder)
        folder->parent->lastQueuedChild = nullptr;
    (folder->previousWork ? folder->previousWork->nextWork : m_first) = folder->nextWork;
    (folder->nextWork ? folder->nextWork->previousWork : m_last) = folder->previousWork;
    folder->list = nullptr;
    folder->previousWork = folder->nextWork = nullptr;
}

bool WorkList::holds(const Folder* folder) const
{
    return folder->list == this;
}

// Chains top and the folders read ahead below it through `swept`, top first.
Folder* sweep(Folder& top)
{
    top.swept = nullptr;
    Folder* last = &top;
    for (Folder* folder = &top; folder; folder = folder->swept) {
        folder->children.forEach([&last](std::unique_ptr<Folder>& child) {
            child->swept = nullptr;
            last->swept = child.get();
            last = child.get();
        });
    }
    return &top;
}

// Frees a tree of folders without recursing, however deep the read-ahead went, and without
// allocating.
void freeFolders(std::unique_ptr<Folder> top)
{
    for (Folder* folder = sweep(*top); folder;) {
        Folder* next = folder->swept;
        // On the chain: freed in its turn.
        folder->children.forEach([](std::unique_ptr<Folder>& child) { static_cast<void>(child.release()); });
        if (folder == top.get())
            top.reset();
        else
            delete folder;
        folder = next;
    }
}

struct Batch {
    Block block;
    std::vector<std::unique_ptr<Folder>> children;
    bool end = false;
    bool aborted = false;
};

// What the listings of one scan share: the folders read ahead, the workers, the open folders
// of the scan in depth order and the budgets.
class Session : public std::enable_shared_from_this<Session> {
public:
    Session(const FolderReading& reading, unsigned threads, const ListingOptions& options);
    ~Session();

    std::unique_ptr<FolderListing> start(const std::string& path);

    // The scan's side, called by its listings.
    bool nextBlock(Folder& folder, Block& block);
    // Opens the next folder of parent's records after skipping `skipped` of them.
    std::unique_ptr<FolderListing> descend(Folder& parent, std::size_t skipped);
    // Ends the scan's stay in folder; `undelivered` records of the block it was reading go
    // out of the read-ahead with it.
    void leave(std::unique_ptr<Folder> folder, std::size_t undelivered);

private:
    using Lock = std::unique_lock<SpinningMutex>;

    void work();
    Folder* pickWork();
    // Opens and lists a folder taken from the work lists until it is read to the end, the
    // record budget is spent (one batch only when oneBatch), or the scan no longer wants it.
    void serve(Folder& folder, Lock& lock, char* buffer, bool oneBatch);
    Batch readBatch(Folder& folder, char* buffer);
    void publish(Folder& folder, Batch& batch, bool queueChildren);
    bool openChild(Folder& folder, int parentFd, bool bounded);
    // Opens a folder that waits for it with its parent's descriptor (-1: it cannot be), the
    // lock let go meanwhile, and keeps the counts. What opening threw (memory, in practice) is
    // thrown on once the folder is left unusable.
    void openPending(Folder& folder, int parentFd, bool bounded, Lock& lock);
    void readToEnd(Folder& folder, Lock& lock);
    int descriptorOf(Folder& folder);
    // Closes the descriptor of a folder that is read to the end and has no child left to open,
    // so that the budget bounds the folders still being read rather than the ones read ahead.
    // Only near the top: deeper down, the scan may have given up the descriptors of the
    // folders it is in, and the way back up to them goes through the descriptors below.
    void closeIfDone(Folder& folder);
    void keepWithinBudget(Lock& lock);
    // Whether the read-ahead holds as many records as it may. Once it does, it waits until the
    // scan has taken a quarter of them: woken for every block the scan takes, the workers would
    // each read one batch and sleep again.
    bool budgetSpent();
    // Takes top and the folders read ahead below it off the work lists and waits until no
    // worker is in any of them; from then on no worker reads, opens or queues anything there.
    // Returns them chained through `swept`.
    Folder* withdraw(Folder& top, Lock& lock);
    // Drops the unread blocks and the descriptors of withdrawn folders.
    void release(Folder* withdrawn);
    void abandon(Folder& top, Lock& lock);
    // With the mutex held: wakes a worker when there is work for it, and the scan when it waits.
    void wakeWorker();
    void wakeScan();
    template <typename Predicate>
    void waitForWorkers(Lock& lock, Predicate done);
    // A worker that failed (memory ran out) records the first failure and stops the
    // read-ahead; the scan meets the failure at its next step, as if it had failed itself.
    void fail(std::exception_ptr failure);
    void throwIfFailed() const;

    const ListingOptions m_options;
    const std::size_t m_descriptorBudget;
    const std::size_t m_recordBudget;
    // Workers leave room for the scan's own folders.
    const std::size_t m_workerDescriptors;

    SpinningMutex m_mutex;
    Condition m_workAvailable; // workers wait here
    Condition m_progress;      // the scan waits here
    std::atomic<bool> m_stop{false};
    std::exception_ptr m_failure;
    std::size_t m_openDescriptors = 0;
    std::size_t m_unconsumed = 0;
    bool m_budgetSpent = false;
    WorkList m_pending;  // not opened yet, below a folder that holds a descriptor
    WorkList m_partial;  // opened, not read to the end, nobody reading
    std::vector<Folder*> m_levels; // the scan's open folders, outermost first
    std::size_t m_detachedLevels = 0;
    std::unordered_set<FileId, FileIdHash> m_levelIds;
    Folder* m_current = nullptr; // the innermost open folder of the scan
    bool m_scanWaits = false;
    std::unique_ptr<char[]> m_scanBuffer;
    std::vector<std::thread> m_workers;
};

// The scan's view of one folder: the records of the blocks it takes from the folder in turn.
class ReadAheadListing final : public FolderListing {
public:
    ReadAheadListing(std::shared_ptr<Session> session, std::unique_ptr<Folder> folder)
        : m_session(std::move(session)), m_folder(std::move(folder))
    {
    }
    ~ReadAheadListing() override
    {
        m_session->leave(std::move(m_folder), m_block.count);
    }

    bool next(FolderItem& item) override
    {
        if (m_lastIsFolder)
            ++m_skippedFolders;
        for (;;) {
            if (m_offset < m_block.used) {
                const char* record = m_block.bytes.get() + m_offset;
                RecordHead head;
                std::memcpy(&head, record, sizeof head);
                m_offset += footprint(head.nameLength);
                item.attributes = head.attributes;
                item.size = head.size;
                item.name = std::string_view(record + sizeof head, head.nameLength);
                item.device = head.device;
                item.inode = head.inode;
                item.links = head.links;
                m_lastIsFolder = head.folder;
                return true;
            }
            m_lastIsFolder = false;
            if (!m_session->nextBlock(*m_folder, m_block))
                return false;
            m_offset = 0;
        }
    }

    std::unique_ptr<FolderListing> openItem() override
    {
        if (!m_lastIsFolder)
            return std::make_unique<EmptyListing>();
        m_lastIsFolder = false;
        return m_session->descend(*m_folder, std::exchange(m_skippedFolders, 0));
    }

private:
    std::shared_ptr<Session> m_session;
    std::unique_ptr<Folder> m_folder;
    Block m_block;
    std::size_t m_offset = 0;
    bool m_lastIsFolder = false;
    std::size_t m_skippedFolders = 0; // folder records delivered and not opened since the last one opened
};

Session::Session(const FolderReading& reading, unsigned threads, const ListingOptions& options)
    : m_options(options), m_descriptorBudget(std::max<std::size_t>(reading.descriptorBudget, 2)),
      m_recordBudget(std::max<std::size_t>(reading.recordBudget, 1)),
      m_workerDescriptors(std::max<std::size_t>(m_descriptorBudget * 3 / 4, 1)),
      m_scanBuffer(std::make_unique_for_overwrite<char[]>(KernelBufferSize))
{
    m_workers.reserve(threads > 1 ? threads : 0);
    for (unsigned i = 0; threads > 1 && i < threads; ++i) {
        // Short of memory for another thread's stack or state, the scan makes do with the
        // workers it has; with none, it reads alone.
        try {
            m_workers.emplace_back([this] { work(); });
        } catch (const std::system_error&) {
            break;
        } catch (const std::bad_alloc&) {
            break;
        }
    }
}

Session::~Session()
{
    {
        const Lock lock(m_mutex);
        m_stop = true;
    }
    m_workAvailable.wakeAll();
    for (auto& worker : m_workers)
        worker.join();
#ifdef __GLIBC__
    // The workers' listings were freed in their own arenas, where the memory would stay with
    // the process while the tree it was read into is sorted and shown.
    if (!m_workers.empty())
        ::malloc_trim(0);
#endif
}

std::unique_ptr<FolderListing> Session::start(const std::string& path)
{
    // The analysed folder itself may be reached through a link: the user named it.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const auto id = fd.valid() ? identityOf(fd.get()) : std::nullopt;
    if (!id)
        return std::make_unique<EmptyListing>();
    auto top = Folder::make(nullptr, path, *id);
    top->fillsBuffer = fileSystemOfFolder(fd.get(), id->device).fillsListingBuffer;
    top->fd = std::move(fd);
    top->stage = Stage::Listing;
    Folder* const folder = top.get();
    const Lock lock(m_mutex);
    // Workers look at the levels: they hold the folder only once nothing more can fail.
    m_levels.reserve(1);
    m_levelIds.insert(*id);
    std::unique_ptr<FolderListing> listing;
    try {
        listing = std::make_unique<ReadAheadListing>(shared_from_this(), std::move(top));
    } catch (...) {
        m_levelIds.erase(*id);
        throw;
    }
    ++m_openDescriptors;
    m_levels.push_back(folder);
    m_current = folder;
    return listing;
}

Batch Session::readBatch(Folder& folder, char* buffer)
{
    Batch batch;
    const ssize_t count = ::getdents64(folder.fd.get(), buffer, KernelBufferSize);
    if (count <= 0) {
        // The end, or an error in mid-folder: both end the listing.
        batch.end = true;
        return batch;
    }
    std::size_t bytes = 0;
    std::size_t folders = 0; // at most: the listing's type is a hint, the stat decides
    for (ssize_t offset = 0; offset < count;) {
        const auto* record = reinterpret_cast<const dirent64*>(buffer + offset);
        bytes += footprint(std::strlen(record->d_name));
        folders += record->d_type == DT_DIR || record->d_type == DT_UNKNOWN;
        offset += record->d_reclen;
    }
    batch.block.bytes = std::make_unique_for_overwrite<char[]>(bytes);
    batch.children.reserve(folders);
    char* out = batch.block.bytes.get();
    for (ssize_t offset = 0; offset < count;) {
        if (m_stop.load(std::memory_order_relaxed) || folder.abandoned.load(std::memory_order_relaxed)) {
            batch.aborted = true;
            return batch;
        }
        const auto* record = reinterpret_cast<const dirent64*>(buffer + offset);
        offset += record->d_reclen;
        const char* name = record->d_name;
        RecordHead head{0, 0, 0, 0, 0, static_cast<std::uint16_t>(std::strlen(name)), false};
        FileId id{};
        struct stat st;
        if (isDotOrDotDot(name)) {
            head.attributes = Attribute::Directory | Attribute::Hidden;
        } else if (::fstatat(folder.fd.get(), name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            head.size = st.st_size;
            head.device = st.st_dev;
            head.inode = st.st_ino;
            head.links = static_cast<std::uint32_t>(st.st_nlink);
            head.attributes = attributesOf(st.st_mode, name);
            id = {st.st_dev, st.st_ino};
        } else if (errno == ENOENT) {
            continue; // gone since it was listed
        } else {
            // Listed but not statable (a folder we may read but not search): what the listing tells.
            const mode_t type = record->d_type == DT_DIR ? S_IFDIR : record->d_type == DT_LNK ? S_IFLNK : S_IFREG;
            head.attributes = attributesOf(type | S_IRUSR | S_IWUSR, name);
        }
        head.folder = (head.attributes & Attribute::Directory) && !isDotOrDotDot(name);
        if (head.folder)
            batch.children.push_back(Folder::make(&folder, std::string_view(name, head.nameLength), id));
        std::memcpy(out, &head, sizeof head);
        std::memcpy(out + sizeof head, name, head.nameLength + 1u);
        out += footprint(head.nameLength);
        ++batch.block.count;
    }
    batch.block.used = static_cast<std::size_t>(out - batch.block.bytes.get());
    if (folder.fillsBuffer && static_cast<std::size_t>(count) + sizeof(dirent64) <= KernelBufferSize)
        batch.end = true;
    return batch;
}

void Session::publish(Folder& folder, Batch& batch, bool queueChildren)
{
    // The room first: a failure leaves the folder and the counts as they were.
    folder.blocks.reserve(batch.block.count > 0 ? 1 : 0);
    folder.children.reserve(batch.children.size());
    if (batch.block.count > 0) {
        m_unconsumed += batch.block.count;
        folder.blocks.push(std::move(batch.block));
    }
    // Children go to the front of the work, in their order and after the ones queued before
    // them: the scan needs them before anything listed earlier.
    Folder* position = folder.lastQueuedChild && m_pending.holds(folder.lastQueuedChild) ? folder.lastQueuedChild
                                                                                          : nullptr;
    for (auto& child : batch.children) {
        if (queueChildren) {
            m_pending.insertAfter(position, child.get());
            position = child.get();
            folder.lastQueuedChild = position;
        }
        folder.children.push(std::move(child));
        ++folder.pendingChildren;
    }
    if (batch.end)
        folder.stage = Stage::Listed;
    wakeScan();
    if (queueChildren && !batch.children.empty())
        wakeWorker();
}

bool Session::openChild(Folder& folder, int parentFd, bool bounded)
{
    if (m_options.oneFileSystem && folder.id != FileId{} && folder.id.device != folder.parent->id.device)
        return false; // not even opened: a hung network mount would hold the scan
    Descriptor fd(::openat(parentFd, folder.name, FolderOpenFlags));
    if (!fd.valid())
        return false;
    // The record's identity is the folder's: its stat crossed any mount on the name, and
    // O_NOFOLLOW refuses a link put in its place since. Only an unknown one costs a call.
    if (folder.id == FileId{}) {
        const auto id = identityOf(fd.get());
        if (!id)
            return false;
        folder.id = *id;
    }
    if (folder.id.device == folder.parent->id.device) {
        folder.fillsBuffer = folder.parent->fillsBuffer;
    } else {
        if (m_options.oneFileSystem)
            return false;
        const FolderFileSystem fileSystem = fileSystemOfFolder(fd.get(), folder.id.device);
        if (fileSystem.pseudo)
            return false;
        folder.fillsBuffer = fileSystem.fillsListingBuffer;
    }
    // The scan refuses a folder that is one of its own ancestors; workers look a few levels up
    // only, which stops them from following a bind mount loop round and round.
    if (bounded) {
        int steps = 0;
        for (const Folder* ancestor = folder.parent; ancestor && steps < 64; ancestor = ancestor->parent, ++steps) {
            if (ancestor->id == folder.id)
                return false;
        }
    }
    folder.fd = std::move(fd);
    return true;
}

void Session::openPending(Folder& folder, int parentFd, bool bounded, Lock& lock)
{
    Folder& parent = *folder.parent;
    folder.stage = Stage::Opening;
    ++m_openDescriptors;
    --parent.pendingChildren;
    ++parent.openingChildren;
    lock.unlock();
    bool opened = false;
    std::exception_ptr failure;
    try {
        opened = parentFd >= 0 && openChild(folder, parentFd, bounded);
    } catch (...) {
        failure = std::current_exception();
    }
    lock.lock();
    --parent.openingChildren;
    folder.stage = opened ? Stage::Listing : Stage::Listed;
    folder.unusable = !opened;
    if (!opened)
        --m_openDescriptors;
    closeIfDone(parent);
    if (failure)
        std::rethrow_exception(failure);
}

void Session::wakeWorker()
{
    if (!m_workers.empty() && pickWork())
        m_workAvailable.wakeOne();
}

void Session::wakeScan()
{
    if (m_scanWaits)
        m_progress.wakeOne();
}

void Session::fail(std::exception_ptr failure)
{
    if (!m_failure)
        m_failure = std::move(failure);
    m_stop = true;
    m_workAvailable.wakeAll();
    wakeScan();
}

void Session::throwIfFailed() const
{
    if (m_failure)
        std::rethrow_exception(m_failure);
}

template <typename Predicate>
void Session::waitForWorkers(Lock& lock, Predicate done)
{
    while (!done()) {
        // Rather than sleep while the workers are busy, the scan lends a hand: on few cores
        // it would otherwise leave its core to threads that wake it for every folder.
        Folder* folder = m_stop ? nullptr : pickWork();
        if (folder) {
            serve(*folder, lock, m_scanBuffer.get(), true);
            continue;
        }
        m_scanWaits = true;
        m_progress.wait(lock);
        m_scanWaits = false;
    }
}

bool Session::budgetSpent()
{
    if (m_unconsumed >= m_recordBudget)
        m_budgetSpent = true;
    else if (m_unconsumed <= m_recordBudget - m_recordBudget / 4)
        m_budgetSpent = false;
    return m_budgetSpent;
}

Folder* Session::pickWork()
{
    // The folder the scan waits for goes first and ignores the record budget: the scan drains it.
    if (m_current && m_partial.holds(m_current))
        return m_current;
    if (budgetSpent())
        return nullptr;
    if (m_pending.first() && m_openDescriptors < m_workerDescriptors)
        return m_pending.first();
    return m_partial.first();
}

void Session::work()
{
    // Whatever fails here (memory, in practice) gives back what the worker holds, so that
    // nobody waits for it, and ends the worker: the scan fails with it.
    std::unique_ptr<char[]> buffer;
    try {
        buffer = std::make_unique_for_overwrite<char[]>(KernelBufferSize);
    } catch (...) {
        const Lock lock(m_mutex);
        fail(std::current_exception());
        return;
    }
    Lock lock(m_mutex);
    while (!m_stop) {
        if (Folder* folder = pickWork())
            serve(*folder, lock, buffer.get(), false);
        else
            m_workAvailable.wait(lock);
    }
}

void Session::serve(Folder& folder, Lock& lock, char* buffer, bool oneBatch)
{
    folder.list->remove(&folder);
    folder.owner = Owner::Worker;
    wakeWorker(); // more work: another worker takes it
    if (folder.stage == Stage::Pending) {
        try {
            openPending(folder, folder.parent->fd.get(), true, lock);
        } catch (...) {
            fail(std::current_exception());
        }
    }
    const auto goOn = [&] {
        return folder.stage == Stage::Listing && !m_stop && !folder.abandoned && !folder.finishWanted;
    };
    for (bool first = true; goOn(); first = false) {
        if ((oneBatch && !first) || (budgetSpent() && &folder != m_current)) {
            m_partial.pushBack(&folder);
            break;
        }
        lock.unlock();
        try {
            Batch batch = readBatch(folder, buffer);
            lock.lock();
            // Abandoned after readBatch last looked: the scan has already gathered the
            // folders below it to free them once no worker is in them, so the ones this
            // batch found must not be queued for workers.
            if (batch.aborted || folder.abandoned)
                break;
            publish(folder, batch, !folder.finishWanted);
        } catch (...) {
            // publish() changes nothing when it fails, and the batch is freed here.
            if (!lock.owns_lock())
                lock.lock();
            fail(std::current_exception());
        }
    }
    folder.owner = Owner::None;
    if (!folder.abandoned)
        closeIfDone(folder);
    wakeScan();
}

bool Session::nextBlock(Folder& folder, Block& block)
{
    Block finished = std::move(block);
    block = {};
    Lock lock(m_mutex);
    if (finished.count > 0) {
        const bool wasSpent = m_budgetSpent;
        m_unconsumed -= finished.count;
        if (wasSpent && !budgetSpent())
            wakeWorker();
    }
    for (;;) {
        throwIfFailed();
        if (!folder.blocks.empty()) {
            block = folder.blocks.pop();
            return true;
        }
        if (folder.stage != Stage::Listing)
            return false;
        if (folder.owner == Owner::Worker) {
            waitForWorkers(lock, [&] { return !folder.blocks.empty() || folder.owner != Owner::Worker; });
            continue;
        }
        // Nobody is reading it: the scan reads a batch itself.
        m_partial.remove(&folder);
        folder.owner = Owner::Scan;
        lock.unlock();
        Batch batch = readBatch(folder, m_scanBuffer.get());
        lock.lock();
        publish(folder, batch, !folder.finishWanted);
        if (folder.stage != Stage::Listing) {
            folder.owner = Owner::None;
            closeIfDone(folder);
        }
    }
}

void Session::closeIfDone(Folder& folder)
{
    // While the scan stays above this depth, the budget leaves every folder it is in open.
    const std::size_t closingDepth = m_descriptorBudget - m_workerDescriptors;
    if (folder.fd.valid() && folder.depth < closingDepth && folder.stage == Stage::Listed
        && folder.owner == Owner::None && folder.pendingChildren == 0 && folder.openingChildren == 0) {
        folder.fd.reset();
        --m_openDescriptors;
    }
}

void Session::readToEnd(Folder& folder, Lock& lock)
{
    // Its descriptor is closed next: no worker may start opening a child with it meanwhile, and
    // the records read from now on queue no children.
    folder.finishWanted = true;
    m_partial.remove(&folder);
    folder.children.forEach([this](std::unique_ptr<Folder>& child) { m_pending.remove(child.get()); });
    waitForWorkers(lock, [&] { return folder.owner != Owner::Worker && folder.openingChildren == 0; });
    folder.owner = Owner::Scan;
    while (folder.stage == Stage::Listing) {
        lock.unlock();
        Batch batch = readBatch(folder, m_scanBuffer.get());
        lock.lock();
        publish(folder, batch, false);
    }
    folder.owner = Owner::None;
}

void Session::keepWithinBudget(Lock& lock)
{
    // The two innermost folders keep their descriptors: the one being read and its parent.
    while (m_openDescriptors > m_descriptorBudget && m_detachedLevels + 2 < m_levels.size()) {
        Folder& folder = *m_levels[m_detachedLevels];
        if (folder.fd.valid()) {
            readToEnd(folder, lock);
            folder.fd.reset();
            --m_openDescriptors;
        }
        ++m_detachedLevels;
    }
}

// Climbs `levels` levels up from fd by "..", a bounded number of components per call.
Descriptor climb(int fd, unsigned levels)
{
    Descriptor result(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    while (result.valid() && levels > 0) {
        const unsigned step = std::min(levels, 1000u);
        std::string path;
        for (unsigned i = 0; i < step; ++i)
            path += i ? "/.." : "..";
        result = Descriptor(::openat(result.get(), path.c_str(), FolderOpenFlags));
        levels -= step;
    }
    return result;
}

int Session::descriptorOf(Folder& folder)
{
    if (folder.fd.valid())
        return folder.fd.get();
    Descriptor fd;
    if (folder.up.valid()) {
        fd = climb(folder.up.get(), folder.upLevels);
        folder.up.reset();
        --m_openDescriptors;
    }
    if (!fd.valid() || identityOf(fd.get()) != folder.id) {
        // By names from the nearest folder that still has a descriptor, or from the path the
        // scan began with.
        std::vector<const Folder*> chain;
        const Folder* start = &folder;
        for (; start->parent && !start->fd.valid(); start = start->parent)
            chain.push_back(start);
        fd = Descriptor(start->fd.valid() ? ::fcntl(start->fd.get(), F_DUPFD_CLOEXEC, 0)
                                          : ::open(start->name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        for (auto it = chain.rbegin(); fd.valid() && it != chain.rend(); ++it)
            fd = Descriptor(::openat(fd.get(), (*it)->name, FolderOpenFlags));
        if (!fd.valid() || identityOf(fd.get()) != folder.id)
            return -1; // moved or replaced meanwhile: nothing more is opened below it
    }
    folder.fd = std::move(fd);
    ++m_openDescriptors;
    // Only the innermost folder opens folders, so it is the one that got its descriptor back.
    m_detachedLevels = std::min(m_detachedLevels, m_levels.size() - 1);
    return folder.fd.get();
}

std::unique_ptr<FolderListing> Session::descend(Folder& parent, std::size_t skipped)
{
    // Declared before the lock: should keeping the budget fail below, the listing leaves with
    // the mutex free.
    std::unique_ptr<FolderListing> entered;
    Lock lock(m_mutex);
    throwIfFailed();
    for (; skipped > 0 && !parent.children.empty(); --skipped) {
        std::unique_ptr<Folder> child = parent.children.pop();
        if (child->stage == Stage::Pending)
            --parent.pendingChildren;
        abandon(*child, lock);
        freeFolders(std::move(child));
    }
    closeIfDone(parent);
    if (parent.children.empty())
        return std::make_unique<EmptyListing>();
    std::unique_ptr<Folder> child = parent.children.pop();
    if (child->stage == Stage::Pending) {
        m_pending.remove(child.get());
        child->owner = Owner::Scan;
        openPending(*child, descriptorOf(parent), false, lock);
        child->owner = Owner::None;
    }
    waitForWorkers(lock, [&] { return child->stage != Stage::Opening; });

    // The child is entered, or given up with whatever was read ahead below it.
    Folder* const folder = child.get();
    std::exception_ptr failure = m_failure;
    if (!failure && !folder->unusable && !m_levelIds.contains(folder->id)) {
        try {
            m_levels.reserve(m_levels.size() + 1);
            m_levelIds.insert(folder->id);
            try {
                entered = std::make_unique<ReadAheadListing>(shared_from_this(), std::move(child));
            } catch (...) {
                m_levelIds.erase(folder->id);
                throw;
            }
        } catch (...) {
            failure = std::current_exception();
        }
    }
    if (!entered) {
        abandon(*folder, lock);
        lock.unlock();
        freeFolders(std::move(child));
        if (failure)
            std::rethrow_exception(failure);
        return std::make_unique<EmptyListing>();
    }
    // While the scan is below it, workers may go on reading the parent.
    if (parent.owner == Owner::Scan) {
        parent.owner = Owner::None;
        if (parent.stage == Stage::Listing && !parent.finishWanted)
            m_partial.insertAfter(nullptr, &parent);
    }
    m_levels.push_back(folder);
    m_current = folder;
    keepWithinBudget(lock);
    wakeWorker();
    return entered;
}

Folder* Session::withdraw(Folder& top, Lock& lock)
{
    Folder* const folders = sweep(top);
    for (Folder* folder = folders; folder; folder = folder->swept) {
        folder->abandoned = true;
        if (folder->list)
            folder->list->remove(folder);
    }
    waitForWorkers(lock, [&] {
        for (const Folder* folder = folders; folder; folder = folder->swept) {
            if (folder->owner == Owner::Worker)
                return false;
        }
        return true;
    });
    return folders;
}

void Session::release(Folder* withdrawn)
{
    for (Folder* folder = withdrawn; folder; folder = folder->swept) {
        while (!folder->blocks.empty())
            m_unconsumed -= folder->blocks.pop().count;
        m_openDescriptors -= folder->fd.valid() + folder->up.valid();
        folder->fd.reset();
        folder->up.reset();
    }
}

void Session::abandon(Folder& top, Lock& lock)
{
    release(withdraw(top, lock));
}

void Session::leave(std::unique_ptr<Folder> folder, std::size_t undelivered)
{
    Lock lock(m_mutex);
    m_unconsumed -= undelivered;
    m_levels.pop_back();
    m_levelIds.erase(folder->id);
    m_detachedLevels = std::min(m_detachedLevels, m_levels.size());
    Folder* parent = m_levels.empty() ? nullptr : m_levels.back();
    m_current = parent;
    // Normally nothing is left to wait for; after a stop, a worker may still be reading the
    // folder with the descriptor handed up below, or be busy in the read-ahead under it.
    Folder* const folders = withdraw(*folder, lock);
    // A parent that gave up its descriptor may need it again: hand it the way back up.
    if (parent && !parent->fd.valid() && (folder->fd.valid() || folder->up.valid())) {
        if (parent->up.valid())
            --m_openDescriptors;
        if (folder->fd.valid()) {
            parent->up = std::move(folder->fd);
            parent->upLevels = 1;
        } else {
            parent->up = std::move(folder->up);
            parent->upLevels = folder->upLevels + 1;
        }
    }
    release(folders);
    wakeWorker();
    lock.unlock();
    freeFolders(std::move(folder));
}

} // namespace

PosixFileSystem::PosixFileSystem(FolderReading reading) : m_reading(reading)
{
    if (m_reading.threads == 0)
        m_reading.threads = automaticThreads();
}

unsigned PosixFileSystem::automaticThreads()
{
    // Warm, two threads beat one by a third on two cores and more add only switching; cold, the
    // disk serves many requests at once. Four is the compromise measured on two cores.
    return std::max(4u, std::thread::hardware_concurrency());
}

std::unique_ptr<FolderListing> PosixFileSystem::openFolder(const std::string& path, const ListingOptions& options)
{
    auto session = std::make_shared<Session>(m_reading, m_reading.threads, options);
    return session->start(path);
}

FolderVolume PosixFileSystem::volumeOf(const std::string& path)
{
    return queryFolderVolume(path);
}

bool PosixFileSystem::isFolder(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFileSystem::exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace tallyvane
