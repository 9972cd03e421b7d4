#include "platform/posix/WimHandles.h"

#include "platform/Errors.h"
#include "platform/posix/WimErrors.h"

#include <map>
#include <mutex>

namespace quen::platform::posix {
namespace {

struct Table {
    std::mutex mutex;
    std::map<uintptr_t, WimObject> objects;
    uintptr_t next = 0x1000;
};

Table& Handles()
{
    static Table table;
    return table;
}

bool InvalidHandle() { return FailWim(err::InvalidHandle, std::wstring()); }

}  // namespace

WimHandle AddHandle(WimObject object)
{
    Table& table = Handles();
    const std::lock_guard lock(table.mutex);
    const uintptr_t id = table.next;
    table.next += 4;
    table.objects.emplace(id, std::move(object));
    return reinterpret_cast<WimHandle>(id);
}

bool FindObject(WimHandle handle, WimObject& object)
{
    Table& table = Handles();
    const std::lock_guard lock(table.mutex);
    const auto found = table.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (found == table.objects.end())
        return InvalidHandle();
    object = found->second;
    return true;
}

bool FindFile(WimHandle handle, std::shared_ptr<WimFile>& file)
{
    WimObject object;
    if (!FindObject(handle, object))
        return false;
    if (object.index != 0)
        return InvalidHandle();
    file = std::move(object.file);
    return true;
}

bool FindImage(WimHandle handle, WimObject& image)
{
    return FindObject(handle, image) && (image.index != 0 || InvalidHandle());
}

bool RemoveHandle(WimHandle handle)
{
    WimObject removed;  // released after the lock: closing a file takes time
    Table& table = Handles();
    const std::lock_guard lock(table.mutex);
    const auto found = table.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (found == table.objects.end())
        return InvalidHandle();
    removed = std::move(found->second);
    table.objects.erase(found);
    return true;
}

}  // namespace quen::platform::posix
