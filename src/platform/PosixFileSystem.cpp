// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PosixFileSystem.h"

#include "platform/FileAttributes.h"
#include "platform/MountTable.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <unordered_set>
#include <utility>
#include <vector>

namespace tallyvane {
namespace {

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

class EmptyListing final : public FolderListing {
public:
    bool next(FolderItem&) override { return false; }
    std::unique_ptr<FolderListing> openItem() override { return std::make_unique<EmptyListing>(); }
};

// Room for the kernel's records. Allocated without zero-filling: a scan opens one per folder,
// and clearing 32 KiB each time would cost more than the reading.
class RecordBuffer {
public:
    explicit RecordBuffer(std::size_t size) : m_bytes(std::make_unique_for_overwrite<char[]>(size)), m_size(size) {}
    char* data() { return m_bytes.get(); }
    std::size_t size() const { return m_size; }
    // Changes the size, keeping the first `keep` bytes.
    void resize(std::size_t size, std::size_t keep)
    {
        auto bytes = std::make_unique_for_overwrite<char[]>(size);
        std::memcpy(bytes.get(), m_bytes.get(), std::min(keep, size));
        m_bytes = std::move(bytes);
        m_size = size;
    }

private:
    std::unique_ptr<char[]> m_bytes;
    std::size_t m_size;
};

class PosixListing;

// What the listings of one scan share: the open folders in depth order, the identities of the
// open folders (for loop detection), the descriptor budget and the mount table.
struct ScanSession {
    std::size_t descriptorBudget;
    std::size_t openDescriptors = 0;
    std::vector<PosixListing*> levels;
    std::size_t detachedLevels = 0; // levels below this index hold no descriptor
    std::unordered_set<FileId, FileIdHash> openFolders;
    std::optional<MountTable> mounts;
    bool mountsRereadOnce = false;

    bool isPseudoFileSystem(dev_t device);
    void keepWithinBudget();
};

// One open folder. While it holds a descriptor it reads the kernel's records in batches and
// stats each as it is delivered; once detached it has read and statted all that was left.
class PosixListing final : public FolderListing {
public:
    PosixListing(std::shared_ptr<ScanSession> session, PosixListing* parent, std::string name,
                 Descriptor fd, FileId id)
        : m_session(std::move(session)), m_parent(parent), m_name(std::move(name)),
          m_fd(std::move(fd)), m_id(id)
    {
        m_session->levels.push_back(this);
        m_session->openFolders.insert(m_id);
        ++m_session->openDescriptors;
    }

    ~PosixListing() override
    {
        if (m_fd.valid())
            --m_session->openDescriptors;
        m_session->openFolders.erase(m_id);
        auto& levels = m_session->levels;
        levels.erase(std::find(levels.rbegin(), levels.rend(), this).base() - 1);
        m_session->detachedLevels = std::min(m_session->detachedLevels, levels.size());
    }

    bool next(FolderItem& item) override;
    std::unique_ptr<FolderListing> openItem() override;

    bool holdsDescriptor() const { return m_fd.valid(); }
    void detach();

private:
    struct ItemStat {
        std::int64_t size;
        std::uint32_t attributes;
        bool vanished;
        FileId id; // zero when unknown
    };

    bool readBatch(std::size_t offset);
    std::optional<ItemStat> statItem(const dirent64& record) const;
    int descriptor();

    std::shared_ptr<ScanSession> m_session;
    PosixListing* m_parent;
    std::string m_name; // this folder's name in its parent, or the path it was opened with
    Descriptor m_fd;
    FileId m_id;

    RecordBuffer m_buffer{32 * 1024};
    std::size_t m_end = 0;
    std::size_t m_position = 0;
    bool m_readToEnd = false;
    std::vector<ItemStat> m_detachedStats; // one per record after m_position when detached
    std::size_t m_detachedIndex = 0;

    std::string_view m_lastName;
    FileId m_lastId{};
    bool m_lastIsFolder = false;
};

bool ScanSession::isPseudoFileSystem(dev_t device)
{
    if (!mounts)
        mounts = MountTable::readSystem();
    const Mount* mount = mounts->byDevice(device);
    if (!mount && !mountsRereadOnce) {
        // Mounted since the table was read.
        mounts = MountTable::readSystem();
        mountsRereadOnce = true;
        mount = mounts->byDevice(device);
    }
    return mount && MountTable::isPseudoFileSystem(mount->fileSystemType);
}

void ScanSession::keepWithinBudget()
{
    // The two innermost folders keep their descriptors: the one being read and its parent.
    while (openDescriptors > descriptorBudget && detachedLevels + 2 < levels.size()) {
        if (levels[detachedLevels]->holdsDescriptor())
            levels[detachedLevels]->detach();
        ++detachedLevels;
    }
}

bool PosixListing::readBatch(std::size_t offset)
{
    if (m_readToEnd || !m_fd.valid())
        return false;
    const ssize_t count = ::getdents64(m_fd.get(), m_buffer.data() + offset, m_buffer.size() - offset);
    if (count <= 0) {
        // The end, or an error in mid-folder: both end the listing.
        m_readToEnd = true;
        return false;
    }
    m_end = offset + static_cast<std::size_t>(count);
    return true;
}

std::optional<PosixListing::ItemStat> PosixListing::statItem(const dirent64& record) const
{
    if (isDotOrDotDot(record.d_name))
        return ItemStat{0, Attribute::Directory | Attribute::Hidden, false, {}};
    struct stat st;
    if (::fstatat(m_fd.get(), record.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return ItemStat{st.st_size, attributesOf(st.st_mode, record.d_name), false, {st.st_dev, st.st_ino}};
    if (errno == ENOENT)
        return ItemStat{0, 0, true, {}};
    // Listed but not statable (a folder we may read but not search): what the listing tells.
    const mode_t mode = record.d_type == DT_DIR ? S_IFDIR : record.d_type == DT_LNK ? S_IFLNK : S_IFREG;
    return ItemStat{0, attributesOf(mode | S_IRUSR | S_IWUSR, record.d_name), false, {}};
}

bool PosixListing::next(FolderItem& item)
{
    for (;;) {
        if (m_position >= m_end) {
            if (!readBatch(0))
                return false;
            m_position = 0;
        }
        const auto& record = *reinterpret_cast<const dirent64*>(m_buffer.data() + m_position);
        m_position += record.d_reclen;

        const ItemStat stat = m_fd.valid() ? *statItem(record) : m_detachedStats[m_detachedIndex++];
        if (stat.vanished)
            continue;
        item.attributes = stat.attributes;
        item.size = stat.size;
        item.name = record.d_name;
        m_lastName = item.name;
        m_lastId = stat.id;
        m_lastIsFolder = (stat.attributes & Attribute::Directory) && !isDotOrDotDot(record.d_name);
        return true;
    }
}

void PosixListing::detach()
{
    // Keep the records not yet delivered, read the rest of the folder behind them and stat
    // everything while the descriptor is still open.
    std::memmove(m_buffer.data(), m_buffer.data() + m_position, m_end - m_position);
    m_end -= m_position;
    m_position = 0;
    for (;;) {
        if (m_buffer.size() - m_end < 4096)
            m_buffer.resize(m_buffer.size() * 2, m_end);
        if (!readBatch(m_end))
            break;
    }
    m_buffer.resize(m_end, m_end);
    for (std::size_t offset = 0; offset < m_end;) {
        const auto& record = *reinterpret_cast<const dirent64*>(m_buffer.data() + offset);
        m_detachedStats.push_back(*statItem(record));
        offset += record.d_reclen;
    }
    m_fd.reset();
    --m_session->openDescriptors;
}

int PosixListing::descriptor()
{
    if (m_fd.valid())
        return m_fd.get();

    // Reopen by names from the nearest folder that still has a descriptor, or from the path
    // the scan began with.
    std::vector<const PosixListing*> chain;
    const PosixListing* start = this;
    for (; start->m_parent && !start->m_fd.valid(); start = start->m_parent)
        chain.push_back(start);
    Descriptor fd(start->m_fd.valid() ? ::fcntl(start->m_fd.get(), F_DUPFD_CLOEXEC, 0)
                                      : ::open(start->m_name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (auto it = chain.rbegin(); fd.valid() && it != chain.rend(); ++it)
        fd = Descriptor(::openat(fd.get(), (*it)->m_name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || FileId{st.st_dev, st.st_ino} != m_id)
        return -1; // the folder was moved or replaced meanwhile: nothing more is opened below it
    m_fd = std::move(fd);
    ++m_session->openDescriptors;
    // Only the innermost folder opens folders, so it is the one that got its descriptor back.
    m_session->detachedLevels = std::min(m_session->detachedLevels, m_session->levels.size() - 1);
    return m_fd.get();
}

std::unique_ptr<FolderListing> PosixListing::openItem()
{
    const int parentFd = m_lastIsFolder ? descriptor() : -1;
    if (parentFd < 0)
        return std::make_unique<EmptyListing>();
    const std::string name(m_lastName);
    Descriptor fd(::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid())
        return std::make_unique<EmptyListing>();
    // The record's identity is the folder's: its stat crossed any mount on the name, and
    // O_NOFOLLOW refuses a link put in its place since. Only an unknown one costs a call.
    FileId id = m_lastId;
    if (id == FileId{}) {
        struct stat st;
        if (::fstat(fd.get(), &st) != 0)
            return std::make_unique<EmptyListing>();
        id = {st.st_dev, st.st_ino};
    }
    if (m_session->openFolders.contains(id))
        return std::make_unique<EmptyListing>();
    if (id.device != m_id.device && m_session->isPseudoFileSystem(id.device))
        return std::make_unique<EmptyListing>();
    auto listing = std::make_unique<PosixListing>(m_session, this, name, std::move(fd), id);
    m_session->keepWithinBudget();
    return listing;
}

} // namespace

PosixFileSystem::PosixFileSystem(std::size_t descriptorBudget)
    : m_descriptorBudget(std::max<std::size_t>(descriptorBudget, 2))
{
}

std::unique_ptr<FolderListing> PosixFileSystem::openFolder(const std::string& path)
{
    // The analysed folder itself may be reached through a link: the user named it.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st;
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0)
        return std::make_unique<EmptyListing>();
    auto session = std::make_shared<ScanSession>();
    session->descriptorBudget = m_descriptorBudget;
    return std::make_unique<PosixListing>(std::move(session), nullptr, path, std::move(fd),
                                          FileId{st.st_dev, st.st_ino});
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
